// The sources of a search with canned replies: site entries, cutting lyrics out of pages (directly and
// through a linked page), JSON sites, and the database's two requests.
#include "agent/core/TLyricSources.h"

#include "FakeFetcher.h"

#include <gtest/gtest.h>

using namespace agent;
using agent::test::Reply;
using agent::test::TFakeFetcher;

namespace {

config::TFilter Entry(const std::string& url, const std::string& expr, const std::string& secondary = "",
                      bool enabled = true) {
    config::TFilter f;
    f.Url = url;
    f.RegExpr = expr;
    f.RegExprSecondary = secondary;
    f.Enabled = enabled;
    return f;
}

const TSongQuery kQuery{"Band & Co", "Tune", 0, false};

} // namespace

TEST(Sources, SiteEntries) {
    const struct {
        config::TFilter entry;
        TSiteKind kind;
        bool usable;
        bool secondary;
    } cases[] = {
        {Entry("http://s/?q=%Song%", "<pre>(.*?)</pre>"), TSiteKind::Page, true, false},
        {Entry("http://s/?q=%Song%", "href=\"(/l/[^\"]+)\"", "<div id=l>(.*?)</div>"), TSiteKind::Page, true,
         true},
        {Entry("http://s/api/search?q=%Title%", "json:lrclib"), TSiteKind::LrclibJson, true, false},
        {Entry("http://s/", "  JSON:LRCLIB "), TSiteKind::LrclibJson, true, false},
        {Entry("http://s/", "json:other"), TSiteKind::Page, false, false},
        {Entry("http://s/", "(unclosed"), TSiteKind::Page, false, false},
        {Entry("http://s/", "(.*)", "[z-a]"), TSiteKind::Page, false, false},
        {Entry("http://s/", ""), TSiteKind::Page, false, false},
        {Entry("  ", "(.*)"), TSiteKind::Page, false, false},
    };
    for (const auto& c : cases) {
        const TSite site = MakeSite(c.entry);
        SCOPED_TRACE(c.entry.Url + " " + c.entry.RegExpr);
        EXPECT_EQ(site.Kind, c.kind);
        EXPECT_EQ(site.Problem.empty(), c.usable) << site.Problem;
        EXPECT_EQ(site.Secondary.IsValid(), c.secondary);
    }
    EXPECT_FALSE(MakeSite(Entry("http://s/", "(.*)", "", false)).Enabled);

    // An unusable site is not asked at all.
    TFakeFetcher http;
    EXPECT_EQ(SearchSite(http, MakeSite(Entry("http://s/", "(bad")), kQuery, "Band & Co - Tune").Result,
              TSourceResult::NotFound);
    EXPECT_TRUE(http.Asked.empty());
}

TEST(Sources, HostOfAnAddress) {
    EXPECT_EQ(HostOf("https://lrclib.net/api/search?q=x"), "lrclib.net");
    EXPECT_EQ(HostOf("http://user:pw@127.0.0.1:8080?x"), "127.0.0.1:8080");
    EXPECT_EQ(HostOf("no address"), "no address");
}

TEST(Sources, PageSiteCutsOutTheLyrics) {
    TFakeFetcher http;
    http.Replies["http://s/l?a=Band%20%26%20Co&t=Tune"] =
        Reply(200, "<html><div class=\"lyrics\">First &amp; one<br>\nSecond<br><br>Third</div></html>",
              "text/html; charset=utf-8");
    const TSite site =
        MakeSite(Entry("http://s/l?a=%Artist%&t=%Title%", "<div class=\"lyrics\">(.*?)</div>"));
    const TSourceOutcome got = SearchSite(http, site, kQuery, "Band & Co - Tune");
    EXPECT_EQ(got.Result, TSourceResult::Found) << got.Note;
    EXPECT_EQ(got.Text, "First & one\nSecond\n\nThird");
}

TEST(Sources, PageSiteThroughALink) {
    TFakeFetcher http;
    http.Replies["http://s/find?q=Band%20%26%20Co%20%2D%20Tune"] =
        Reply(200, "<a href=\"/lyrics/band-tune.html?x=1&amp;y=2\">Tune</a>");
    http.Replies["http://s/lyrics/band-tune.html?x=1&y=2"] =
        Reply(200, "<p id=\"l\">Caf\xE9 line</p>", "text/html; charset=windows-1252");
    const TSite site =
        MakeSite(Entry("http://s/find?q=%Song%", "<a href=\"([^\"]+)\"", "<p id=\"l\">(.*?)</p>"));
    const TSourceOutcome got = SearchSite(http, site, kQuery, "Band & Co - Tune");
    EXPECT_EQ(got.Result, TSourceResult::Found) << got.Note;
    EXPECT_EQ(got.Text, "Caf\xC3\xA9 line"); // the page's character set read
    EXPECT_EQ(http.Asked.size(), 2u);
}

TEST(Sources, PageSiteOutcomes) {
    const TSite site = MakeSite(Entry("http://s/?q=%Title%", "<pre>(.*?)</pre>"));
    const struct {
        const char* name;
        bool answer;
        agent::THttpReply reply;
        TSourceResult result;
    } cases[] = {
        {"no match", true, Reply(200, "<html>nothing here</html>"), TSourceResult::NotFound},
        {"empty match", true, Reply(200, "<pre> <br> </pre>"), TSourceResult::NotFound},
        {"not found status", true, Reply(404, "<pre>Not the lyrics</pre>"), TSourceResult::NotFound},
        {"server error", true, Reply(500, ""), TSourceResult::NotFound},
        {"too long to be lyrics", true,
         Reply(200, "<pre>" + std::string(kMaxLyricsBytes + 1, 'x') + "</pre>"), TSourceResult::NotFound},
        {"no connection", false, {}, TSourceResult::Failed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TFakeFetcher http;
        if (c.answer)
            http.Replies["http://s/"] = c.reply;
        EXPECT_EQ(SearchSite(http, site, kQuery, "Band - Tune").Result, c.result);
    }

    // A link that leads nowhere usable.
    const TSite linked = MakeSite(Entry("http://s/?q=%Title%", "href=\"([^\"]*)\"", "(.*)"));
    TFakeFetcher http;
    http.Replies["http://s/?q=Tune"] = Reply(200, "<a href=\"javascript:go()\">x</a>");
    EXPECT_EQ(SearchSite(http, linked, kQuery, "Band - Tune").Result, TSourceResult::NotFound);
    EXPECT_EQ(http.Asked.size(), 1u);
}

TEST(Sources, JsonSite) {
    TFakeFetcher http;
    http.Replies["http://db/api/search?track_name=Tune"] = Reply(
        200,
        R"([{"trackName":"Other","artistName":"Band & Co","duration":185,"plainLyrics":"No"},)"
        R"({"trackName":"Tune","artistName":"Band & Co","duration":185,"plainLyrics":"Yes","syncedLyrics":null}])",
        "application/json");
    const TSite site = MakeSite(Entry("http://db/api/search?track_name=%Title%", "json:lrclib"));
    const TSourceOutcome got = SearchSite(http, site, kQuery, "Band & Co - Tune");
    EXPECT_EQ(got.Result, TSourceResult::Found) << got.Note;
    EXPECT_EQ(got.Text, "Yes");

    http.Replies["http://db/api/search?track_name=Tune"] = Reply(200, "{broken", "application/json");
    EXPECT_EQ(SearchSite(http, site, kQuery, "Band & Co - Tune").Result, TSourceResult::NotFound);
}

TEST(Sources, DatabaseAsksGetThenSearch) {
    const std::string get = "http://db/api/get?artist_name=Band%20%26%20Co&track_name=Tune";
    const std::string search = "http://db/api/search?track_name=Tune&artist_name=Band%20%26%20Co";
    const char* plain =
        R"({"trackName":"Tune","artistName":"Band & Co","duration":185,"plainLyrics":"Plain"})";
    const char* synced =
        R"([{"trackName":"Tune","artistName":"Band & Co","duration":185,"syncedLyrics":"[00:01.00]Synced"}])";

    {
        // /api/get has it: no search.
        TFakeFetcher http;
        http.Replies[get] = Reply(200, plain, "application/json");
        const auto got = SearchDatabase(http, "http://db/", kQuery);
        EXPECT_EQ(got.Result, TSourceResult::Found);
        EXPECT_EQ(got.Text, "Plain");
        EXPECT_EQ(http.Asked, std::vector<std::string>{get});
    }
    {
        // /api/get says 404: the search finds it.
        TFakeFetcher http;
        http.Replies[get] = Reply(404, R"({"code":404,"name":"TrackNotFound"})", "application/json");
        http.Replies[search] = Reply(200, synced, "application/json");
        const auto got = SearchDatabase(http, "http://db", kQuery);
        EXPECT_EQ(got.Result, TSourceResult::Found);
        EXPECT_TRUE(got.Synced);
        EXPECT_EQ(http.Asked, (std::vector<std::string>{get, search}));
    }
    {
        // Plain lyrics from /api/get while synced ones are wanted: the search is asked too, and wins.
        TFakeFetcher http;
        http.Replies[get] = Reply(200, plain, "application/json");
        http.Replies[search] = Reply(200, synced, "application/json");
        const auto got = SearchDatabase(http, "http://db", {"Band & Co", "Tune", 185, true});
        EXPECT_EQ(got.Text, "[00:01.00]Synced");
        EXPECT_EQ(http.Asked.size(), 2u);
        // No synced ones anywhere: the plain ones after all.
        http.Replies[search] = Reply(200, "[]", "application/json");
        EXPECT_EQ(SearchDatabase(http, "http://db", {"Band & Co", "Tune", 185, true}).Text, "Plain");
    }
    {
        TFakeFetcher http; // nobody answers
        EXPECT_EQ(SearchDatabase(http, "http://db", kQuery).Result, TSourceResult::Failed);
        EXPECT_EQ(http.Asked.size(), 1u); // no second request to a server that does not answer
    }
    {
        TFakeFetcher http;
        http.Replies["http://db/"] = Reply(404, "", "application/json");
        EXPECT_EQ(SearchDatabase(http, "http://db", kQuery).Result, TSourceResult::NotFound);
        // A song name without an artist: only the search, by title.
        http.Asked.clear();
        EXPECT_EQ(SearchDatabase(http, "http://db", {"", "Tune", 0, false}).Result, TSourceResult::NotFound);
        EXPECT_EQ(http.Asked, std::vector<std::string>{"http://db/api/search?q=Tune"});
    }
    {
        TFakeFetcher http;
        http.Cancel();
        EXPECT_EQ(SearchDatabase(http, "http://db", kQuery).Result, TSourceResult::Cancelled);
    }
}
