// One search from request to reply with canned replies, and the agent's handling of the main window's
// records over the in-process channel: progress texts, the stored file, cancelling, replacing a search,
// closing, the main window's disappearance and records of the wrong size.
#include "agent/core/TAgentService.h"

#include "FakeFetcher.h"
#include "agent/core/TLyricFileWriter.h"
#include "platform/fake/FakeAgentChannel.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;
using namespace agent;
using agent::test::Reply;
using agent::test::TFakeFetcher;

namespace {

const char* const kDb = "http://db";
const char* const kRecord =
    R"([{"trackName":"Tune","artistName":"Band","duration":185,"plainLyrics":"One\nTwo","syncedLyrics":"[00:01.00]One\n[00:02.00]Two"}])";

class TEventLog final : public ISearchEvents {
public:
    std::vector<std::string> Texts;
    bool Cancel = false;
    void Progress(const std::string& text) override { Texts.push_back(text); }
    bool Cancelled() override { return Cancel; }
    bool Commit(const std::function<void()>& store) override {
        if (Cancel)
            return false;
        store();
        return true;
    }
};

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

class SearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        Folder = fs::temp_directory_path() / ("cantrel-search-" + std::to_string(std::random_device()()));
        fs::create_directories(Folder);
        Config.LyricsDir = Folder.string() + "/";
        Config.LrclibUrl = kDb;
        Config.Sites = {Site("http://one/?q=%Title%", true), Site("http://off/?q=%Title%", false),
                        Site("http://two/?q=%Title%", true)};
    }
    void TearDown() override { fs::remove_all(Folder); }

    static config::TFilter Site(const std::string& url, bool enabled) {
        config::TFilter f;
        f.Url = url;
        f.RegExpr = "<pre>(.*?)</pre>";
        f.Enabled = enabled;
        return f;
    }
    std::string Run(std::int32_t site, const std::string& song, int length = 0, bool timestamped = false) {
        Events.Texts.clear();
        return RunSearch({site, song, length, timestamped}, Config, Http, Events);
    }

    fs::path Folder;
    TSearchConfig Config;
    TFakeFetcher Http;
    TEventLog Events;
};

} // namespace

TEST_F(SearchTest, DatabaseFindsAndStores) {
    Http.Replies["http://db/api/get"] = Reply(200, "[]", "application/json");
    Http.Replies["http://db/api/search"] = Reply(200, kRecord, "application/json");
    EXPECT_EQ(Run(-1, "Band - Tune", 185, true), "DownloadDone");
    EXPECT_EQ(Events.Texts, std::vector<std::string>{"Searching db.."});
    EXPECT_EQ(ReadAll(Folder / "Band - Tune [190].lrc"),
              "[dl:http://db]\r\n[00:01.00]One\r\n[00:02.00]Two\r\n");

    // The database's lyrics are stored already: asking the database again goes to the sites instead.
    Http.Asked.clear();
    Http.Replies["http://one/"] = Reply(200, "<pre>Site lyrics</pre>");
    EXPECT_EQ(Run(-1, "Band - Tune", 185, true), "DownloadDone");
    EXPECT_EQ(Events.Texts, std::vector<std::string>{"Searching one.."});
    EXPECT_EQ(ReadAll(Folder / "Band - Tune.txt"), "[dl:http://one/?q=%Title%]\r\nSite lyrics\r\n");
}

TEST_F(SearchTest, SitesInOrderFromThePosition) {
    Http.Replies["http://one/"] = Reply(200, "<p>no lyrics</p>");
    Http.Replies["http://two/"] = Reply(200, "<pre>Line &amp; more<br>Two</pre>");
    EXPECT_EQ(Run(0, "Band - Tune"), "DownloadDone");
    // The disabled site is skipped.
    EXPECT_EQ(Events.Texts, (std::vector<std::string>{"Searching one..", "Searching two.."}));
    EXPECT_EQ(Http.Asked, (std::vector<std::string>{"http://one/?q=Tune", "http://two/?q=Tune"}));
    EXPECT_EQ(ReadAll(Folder / "Band - Tune.txt"), "[dl:http://two/?q=%Title%]\r\nLine & more\r\nTwo\r\n");

    // Starting at a later position; past the end there is nothing to ask.
    fs::remove(Folder / "Band - Tune.txt");
    Http.Asked.clear();
    EXPECT_EQ(Run(2, "Band - Tune"), "DownloadDone");
    EXPECT_EQ(Http.Asked, std::vector<std::string>{"http://two/?q=Tune"});
    Http.Asked.clear();
    EXPECT_EQ(Run(3, "Band - Tune"), "Not Found");
    EXPECT_TRUE(Http.Asked.empty());
}

TEST_F(SearchTest, ReplyTexts) {
    // Nobody answers: "Error Connecting"; one site answers without lyrics: "Not Found".
    EXPECT_EQ(Run(0, "Band - Tune"), "Error Connecting");
    EXPECT_EQ(Run(-1, "Band - Tune"), "Error Connecting");
    Http.Replies["http://two/"] = Reply(404, "gone");
    EXPECT_EQ(Run(0, "Band - Tune"), "Not Found");
    // A song name that cannot be a file: nothing is asked.
    Http.Asked.clear();
    EXPECT_EQ(Run(0, "../../etc/Band - Tune"), kErrorNoFileName);
    EXPECT_EQ(Run(0, "-"), "Not Found");
    EXPECT_TRUE(Http.Asked.empty());
    // The lyrics folder is gone.
    Config.LyricsDir = (Folder / "missing").string();
    EXPECT_EQ(Run(0, "Band - Tune"), kErrorNoLyricsFolder);
    EXPECT_TRUE(Http.Asked.empty());
}

TEST_F(SearchTest, CancelledSearchStoresNothing) {
    Http.Replies["http://one/"] = Reply(200, "<pre>Lyrics</pre>");
    Events.Cancel = true;
    EXPECT_EQ(Run(0, "Band - Tune"), "");
    EXPECT_TRUE(fs::is_empty(Folder));
}

namespace {

// The agent's service over the in-process channel, with the main window's side recording the replies.
class ServiceTest : public SearchTest {
protected:
    void SetUp() override {
        SearchTest::SetUp();
        Fetcher = std::make_shared<TFakeFetcher>();
        ASSERT_TRUE(
            MainChannel.Listen(platform::kMainWindowClass, [this](const std::uint8_t* d, std::size_t n) {
                if (auto r = lyrics::ParseAgentRecord(d, n))
                    Replies.push_back(r->Text);
                return std::intptr_t(0);
            }));
        Service = std::make_unique<TAgentService>(
            AgentChannel, [this] { return Config; }, [this](const TSearchConfig&) { return Fetcher; });
        Service->WatchIntervalMs = 0;
        ASSERT_TRUE(Service->Listen());
    }
    void TearDown() override {
        Fetcher->Cancel();
        Service.reset();
        SearchTest::TearDown();
    }
    std::intptr_t Send(const char* command, std::int32_t site = 0, const std::string& song = "Band - Tune") {
        lyrics::TAgentRecord r;
        r.Command = command;
        r.Site = site;
        r.Text = song;
        const auto bytes = lyrics::BuildAgentRecord(r);
        return MainChannel.SendRecord(platform::kAgentWindowClass, bytes.data(), bytes.size());
    }
    // Turns the agent's loop until the condition holds (at most 10 s).
    template <typename TCondition> bool TurnUntil(TCondition condition) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > end || !Service->Turn(5))
                return condition();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return true;
    }

    platform::TFakeAgentHub Hub;
    platform::TFakeAgentChannel MainChannel{Hub};
    platform::TFakeAgentChannel AgentChannel{Hub};
    std::shared_ptr<TFakeFetcher> Fetcher;
    std::unique_ptr<TAgentService> Service;
    std::vector<std::string> Replies;
};

} // namespace

TEST_F(ServiceTest, SearchRepliesWithProgressThenDone) {
    Fetcher->Replies["http://one/"] = Reply(200, "<pre>Lyrics</pre>");
    EXPECT_EQ(Send("Search", 0), lyrics::kAgentAccepted);
    ASSERT_TRUE(TurnUntil([&] { return Replies.size() >= 2; }));
    EXPECT_EQ(Replies, (std::vector<std::string>{"Searching one..", "DownloadDone"}));
    EXPECT_TRUE(fs::exists(Folder / "Band - Tune.txt"));
}

TEST_F(ServiceTest, CancelEndsTheRequestAndStoresNothing) {
    Fetcher->Hold = true; // a silent site
    Fetcher->Replies["http://one/"] = Reply(200, "<pre>Lyrics</pre>");
    EXPECT_EQ(Send("Search", 0), lyrics::kAgentAccepted);
    ASSERT_TRUE(TurnUntil([&] { return !Fetcher->AskedCopy().empty(); }));
    EXPECT_EQ(Send("CancelSearch"), lyrics::kAgentAccepted);
    ASSERT_TRUE(TurnUntil([&] { return !Service->Busy(); }));
    ASSERT_FALSE(Replies.empty());
    EXPECT_EQ(Replies.back(), "Done");
    EXPECT_EQ(std::count(Replies.begin(), Replies.end(), "DownloadDone"), 0);
    EXPECT_TRUE(fs::is_empty(Folder));
}

TEST_F(ServiceTest, NewSearchReplacesTheRunningOne) {
    // The first search hangs on its site until the second one cancels its fetcher.
    auto first = Fetcher;
    first->Hold = true;
    EXPECT_EQ(Send("Search", 0, "Band - Tune"), lyrics::kAgentAccepted);
    ASSERT_TRUE(TurnUntil([&] { return !first->AskedCopy().empty(); }));
    Fetcher = std::make_shared<TFakeFetcher>();
    Fetcher->Replies["http://one/"] = Reply(200, "<pre>Other lyrics</pre>");
    EXPECT_EQ(Send("Search", 0, "Other - Song"), lyrics::kAgentAccepted);
    ASSERT_TRUE(TurnUntil([&] { return !Replies.empty() && Replies.back() == "DownloadDone"; }));
    EXPECT_TRUE(fs::exists(Folder / "Other - Song.txt"));
    EXPECT_FALSE(fs::exists(Folder / "Band - Tune.txt"));
    // Only the second search's texts reach the main window.
    EXPECT_EQ(std::count(Replies.begin(), Replies.end(), "DownloadDone"), 1);
    EXPECT_EQ(Replies.back(), "DownloadDone");
}

TEST_F(ServiceTest, CloseAndWrongRecords) {
    const std::uint8_t shortRecord[10] = {};
    EXPECT_EQ(MainChannel.SendRecord(platform::kAgentWindowClass, shortRecord, sizeof shortRecord), 0);
    std::vector<std::uint8_t> longRecord(lyrics::kAgentRecordSize + 1, 0);
    EXPECT_EQ(MainChannel.SendRecord(platform::kAgentWindowClass, longRecord.data(), longRecord.size()), 0);
    EXPECT_EQ(Send("Unknown"), 0);
    EXPECT_TRUE(Service->Turn(0));
    EXPECT_EQ(Send("Close"), lyrics::kAgentAccepted);
    EXPECT_FALSE(Service->Turn(0));
}

TEST_F(ServiceTest, EndsWhenTheMainWindowIsGone) {
    EXPECT_TRUE(Service->Turn(0));
    MainChannel.StopListening(); // the main window went away without a word
    int turns = 0;
    while (Service->Turn(0) && turns < 100)
        ++turns;
    EXPECT_EQ(turns, Service->MainWindowMisses - 1);
}
