#include "agent/core/TLyricSources.h"

#include "agent/core/THtmlText.h"
#include "toolkit/AsciiText.h"
#include "toolkit/UrlText.h"

#include <algorithm>

namespace agent {

const char* const kLrclibSiteKind = "json:lrclib";

namespace {

std::string Trimmed(const std::string& text) {
    std::size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ')
        --e;
    return text.substr(b, e - b);
}

bool IsBlank(const std::string& text) {
    return Trimmed(text).empty();
}

TSourceOutcome Outcome(TSourceResult result, std::string note) {
    TSourceOutcome outcome;
    outcome.Result = result;
    outcome.Note = std::move(note);
    return outcome;
}

TSourceOutcome FoundOutcome(const TChosenLyrics& chosen) {
    TSourceOutcome outcome;
    outcome.Result = TSourceResult::Found;
    outcome.Text = chosen.Text;
    outcome.Synced = chosen.Synced;
    return outcome;
}

// A reply that came (any status) is an answer; none at all is a failure of the connection.
bool NoAnswer(const THttpReply& reply) {
    return reply.Status == 0;
}

bool IsSuccess(const THttpReply& reply) {
    return reply.Complete && reply.Status >= 200 && reply.Status < 300;
}

// The page's lyrics cut out by an expression; empty (with why in note) when it gives none.
std::string Cut(const TBoundedRegex& expression, const std::string& page, std::string& note) {
    std::string captured;
    switch (expression.Find(page, captured)) {
    case TBoundedRegex::TResult::Match:
        return captured;
    case TBoundedRegex::TResult::NoMatch:
        note = "the expression matches nothing";
        break;
    case TBoundedRegex::TResult::LimitReached:
        note = "the expression took too much work";
        break;
    case TBoundedRegex::TResult::Error:
        note = "the expression failed";
        break;
    }
    return {};
}

} // namespace

TSite MakeSite(const config::TFilter& entry) {
    TSite site;
    site.Url = entry.Url;
    site.Enabled = entry.Enabled;
    const std::string kind = toolkit::LowerAscii(Trimmed(entry.RegExpr));
    if (Trimmed(entry.Url).empty()) {
        site.Problem = "no address";
    } else if (kind == kLrclibSiteKind) {
        site.Kind = TSiteKind::LrclibJson;
    } else if (kind.rfind("json:", 0) == 0) {
        site.Problem = "unknown site kind " + entry.RegExpr;
    } else {
        std::string error;
        if (!site.Primary.Compile(entry.RegExpr, &error))
            site.Problem = "RegExpr: " + error;
        else if (!entry.RegExprSecondary.empty() && !site.Secondary.Compile(entry.RegExprSecondary, &error))
            site.Problem = "RegExprSecondary: " + error;
    }
    return site;
}

std::string HostOf(const std::string& url) {
    const std::size_t scheme = url.find("://");
    if (scheme == std::string::npos)
        return url;
    const std::size_t begin = scheme + 3;
    std::string authority = url.substr(begin, url.find_first_of("/?#", begin) - begin);
    authority.erase(0, authority.rfind('@') + 1);
    return authority.empty() ? url : authority;
}

TSourceOutcome SearchDatabase(IHttpFetcher& http, const std::string& base, const TSongQuery& query) {
    if (IsBlank(query.Title))
        return Outcome(TSourceResult::NotFound, "no title");
    std::vector<TLrclibRecord> records;
    bool answered = false;
    if (!IsBlank(query.Artist)) {
        const THttpReply reply = http.Get(LrclibGetAddress(base, query));
        if (reply.Cancelled)
            return Outcome(TSourceResult::Cancelled, "cancelled");
        if (NoAnswer(reply))
            return Outcome(TSourceResult::Failed, reply.Error);
        answered = true;
        if (IsSuccess(reply)) {
            if (auto got = ParseLrclibReply(reply.Body))
                records = std::move(*got);
        }
        const auto chosen = ChooseLyrics(records, query);
        if (chosen && (chosen->Synced || !query.WantSynced))
            return FoundOutcome(*chosen);
    }
    const THttpReply reply = http.Get(LrclibSearchAddress(base, query));
    if (reply.Cancelled)
        return Outcome(TSourceResult::Cancelled, "cancelled");
    if (!NoAnswer(reply)) {
        answered = true;
        if (IsSuccess(reply)) {
            if (auto got = ParseLrclibReply(reply.Body))
                records.insert(records.end(), got->begin(), got->end());
        }
    }
    if (const auto chosen = ChooseLyrics(records, query))
        return FoundOutcome(*chosen);
    return answered ? Outcome(TSourceResult::NotFound, "no record fits")
                    : Outcome(TSourceResult::Failed, reply.Error);
}

TSourceOutcome SearchSite(IHttpFetcher& http, const TSite& site, const TSongQuery& query,
                          const std::string& songName) {
    if (!site.Problem.empty())
        return Outcome(TSourceResult::NotFound, site.Problem);
    const std::string address = toolkit::FillAddressTemplate(site.Url, query.Artist, query.Title, songName);
    const THttpReply reply = http.Get(address);
    if (reply.Cancelled)
        return Outcome(TSourceResult::Cancelled, "cancelled");
    if (NoAnswer(reply))
        return Outcome(TSourceResult::Failed, reply.Error);
    if (!IsSuccess(reply))
        return Outcome(TSourceResult::NotFound, "status " + std::to_string(reply.Status) + " " + reply.Error);

    if (site.Kind == TSiteKind::LrclibJson) {
        const auto records = ParseLrclibReply(reply.Body);
        if (!records)
            return Outcome(TSourceResult::NotFound, "not a record list");
        if (const auto chosen = ChooseLyrics(*records, query))
            return FoundOutcome(*chosen);
        return Outcome(TSourceResult::NotFound, "no record fits");
    }

    std::string note;
    std::string cut = Cut(site.Primary, PageToUtf8(reply.Body, reply.ContentType), note);
    if (cut.empty())
        return Outcome(TSourceResult::NotFound, note.empty() ? "empty match" : note);
    if (site.Secondary.IsValid()) {
        const std::string link = ResolveLink(address, cut);
        if (link.empty())
            return Outcome(TSourceResult::NotFound, "no usable link");
        const THttpReply linked = http.Get(link);
        if (linked.Cancelled)
            return Outcome(TSourceResult::Cancelled, "cancelled");
        if (NoAnswer(linked))
            return Outcome(TSourceResult::Failed, linked.Error);
        if (!IsSuccess(linked))
            return Outcome(TSourceResult::NotFound, "linked page: status " + std::to_string(linked.Status));
        cut = Cut(site.Secondary, PageToUtf8(linked.Body, linked.ContentType), note);
        if (cut.empty())
            return Outcome(TSourceResult::NotFound, note.empty() ? "empty match" : note);
    }
    TSourceOutcome outcome;
    outcome.Text = HtmlToText(cut);
    if (outcome.Text.empty())
        return Outcome(TSourceResult::NotFound, "no text");
    if (outcome.Text.size() > kMaxLyricsBytes)
        return Outcome(TSourceResult::NotFound, "too long to be lyrics");
    outcome.Result = TSourceResult::Found;
    return outcome;
}

} // namespace agent
