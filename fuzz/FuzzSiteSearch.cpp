// A search site from the input (its expressions) searched on pages from the input: the bounded
// expressions, the page decoding, the link resolution and the HTML cutting, end to end as the agent runs
// them. Every search ends with an outcome; found lyrics are within bounds.
#include "agent/core/TLyricSources.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

class TPages final : public agent::IHttpFetcher {
public:
    agent::THttpReply First, Linked;
    int Asked = 0;
    agent::THttpReply Get(const std::string&) override { return Asked++ == 0 ? First : Linked; }
    void Cancel() override {}
};

agent::THttpReply Page(FuzzedDataProvider& fuzz) {
    agent::THttpReply reply;
    reply.Status = 200;
    reply.Complete = true;
    static const char* const kTypes[] = {"text/html", "text/html; charset=windows-1251",
                                         "text/html; charset=iso-8859-1", "application/json", ""};
    reply.ContentType = kTypes[fuzz.ConsumeIntegralInRange<int>(0, 4)];
    reply.Body = fuzz.ConsumeRandomLengthString(8192);
    return reply;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider fuzz(data, size);
    config::TFilter entry;
    entry.Url = fuzz.ConsumeBool() ? "http://lyrics.example/%Artist%/%Title%.html"
                                   : "https://example.org/search?q=%Song%";
    entry.RegExpr = fuzz.ConsumeRandomLengthString(64);
    if (fuzz.ConsumeBool())
        entry.RegExprSecondary = fuzz.ConsumeRandomLengthString(64);

    TPages pages;
    pages.First = Page(fuzz);
    pages.Linked = Page(fuzz);

    const agent::TSite site = agent::MakeSite(entry);
    agent::TSongQuery query;
    query.Artist = "Blur";
    query.Title = "Tender";
    const agent::TSourceOutcome outcome = agent::SearchSite(pages, site, query, "Blur - Tender");
    if (outcome.Result == agent::TSourceResult::Found &&
        (outcome.Text.empty() || outcome.Text.size() > agent::kMaxLyricsBytes))
        std::abort();
    if (pages.Asked > 2)
        std::abort();
    return 0;
}
