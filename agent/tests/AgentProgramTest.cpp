// The agent program as the main window runs it: copied into "Cantrel" beside a program folder, started with
// no arguments, spoken to over the real channel, searching a local fake lyric database and a local fake
// lyrics site (cpp-httplib on 127.0.0.1) whose addresses come from the settings.
#include "lyrics/USearchAgent.h"

#include "database/tests/TestHttpServer.h"
#include "platform/AgentChannel.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include <unistd.h>

namespace fs = std::filesystem;
using namespace lyrics;
using database::test::TTestHttpServer;

namespace {

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

const char* const kRecords =
    R"([{"trackName":"Tune","artistName":"Band","duration":184.6,"plainLyrics":"One\nTwo",)"
    R"("syncedLyrics":"[00:01.00]One\n[00:02.00]Two"},)"
    R"({"trackName":"Tune","artistName":"Band","duration":240,"plainLyrics":"Live","syncedLyrics":null}])";

class AgentProgramTest : public ::testing::Test, public IAgentReplyListener {
protected:
    void SetUp() override {
        Folder = fs::temp_directory_path() / ("cantrel-agent-e2e-" + std::to_string(std::random_device()()));
        fs::create_directories(Folder / "run");
        fs::permissions(Folder / "run", fs::perms::owner_all);
        fs::create_directories(Folder / "Cantrel" / "lyrics");
        fs::create_directories(Folder / "data");
        fs::copy_file(AGENT_PROGRAM_PATH, Folder / "Cantrel" / "CantrelAgent");
        setenv("XDG_RUNTIME_DIR", (Folder / "run").c_str(), 1);
        setenv("XDG_DATA_HOME", (Folder / "data").c_str(), 1);

        Db.Get("/api/get", [](const httplib::Request&, httplib::Response& res) {
            res.status = 404;
            res.set_content(R"({"code":404,"name":"TrackNotFound"})", "application/json");
        });
        Db.Get("/api/search", [this](const httplib::Request& req, httplib::Response& res) {
            if (req.get_param_value("track_name") == "Slow")
                Db.HoldUntilReleased(std::chrono::seconds(20));
            res.set_content(req.get_param_value("track_name") == "Tune" ? kRecords : "[]",
                            "application/json");
        });
        Db.Start();
        Site.Get("/find", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content(req.get_param_value("q") == "Band - Tune"
                                ? "<html><a class=\"hit\" href=\"/lyrics/band-tune.html\">Tune</a></html>"
                                : "<html>Nothing found</html>",
                            "text/html; charset=utf-8");
        });
        Site.Get("/lyrics/band-tune.html", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("<div id=\"lyrics\">Site line &amp; one<br>\nSite line two</div>", "text/html");
        });
        Site.Start();

        WriteSettings(Db.Address(""));
        std::ofstream(Folder / "Cantrel" / "Filters.ini")
            << "[Filter0]\r\nUrl=" << Site.Address("/find?q=%Song%")
            << "\r\nRegExpr=<a class=\"hit\" href=\"([^\"]+)\"\r\nRegExprSecondary=<div "
               "id=\"lyrics\">(.*?)</div>\r\n"
            << "Enabled=1\r\n";

        Channel = platform::CreateAgentChannel();
        Link = std::make_unique<TSearchAgent>(*Channel);
        ASSERT_TRUE(Link->Listen(*this));
        ASSERT_TRUE(Link->Start(Folder.string() + "/", '/'));
        ASSERT_TRUE(WaitFor([&] { return Channel->IsListening(platform::kAgentWindowClass); }));
    }
    void TearDown() override {
        Db.Release();
        if (Link) {
            Link->Close(); // never leave the agent running, whatever failed
            WaitFor([&] { return !Channel->IsListening(platform::kAgentWindowClass); });
            Link.reset();
        }
        unsetenv("XDG_DATA_HOME");
        fs::remove_all(Folder);
    }
    void AgentReply(const TAgentRecord& reply) override { Replies.push_back(reply.Text); }

    void WriteSettings(const std::string& databaseUrl) {
        std::ofstream(Folder / "Cantrel" / "Settings.ini")
            << "[Lrclib]\r\nUrl=" << databaseUrl << "\r\n[Agent]\r\nTimeout=5\r\nTotal=10\r\n";
    }

    template <typename TCondition> bool WaitFor(TCondition condition, int seconds = 15) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            Channel->WaitForRecords(20);
            Channel->ProcessPending();
        }
        return true;
    }
    // Waits for the search's last reply (one that is no progress text) and returns it.
    std::string Outcome() {
        const bool ended =
            WaitFor([&] { return !Replies.empty() && Replies.back().rfind("Searching ", 0) != 0; });
        return ended ? Replies.back() : "(no reply)";
    }

    fs::path Folder;
    TTestHttpServer Db, Site;
    std::unique_ptr<platform::IAgentChannel> Channel;
    std::unique_ptr<TSearchAgent> Link;
    std::vector<std::string> Replies;
};

} // namespace

TEST_F(AgentProgramTest, DatabaseThenSearchAgainOnTheSite) {
    // The database, timestamped lyrics of the song's length: the version within 2 s of it.
    ASSERT_TRUE(Link->Search(-1, "Band - Tune", 185, true));
    EXPECT_EQ(Outcome(), "DownloadDone");
    EXPECT_EQ(Replies.front(), "Searching 127.0.0.1:" + std::to_string(Db.Port()) + "..");
    const fs::path stored = Folder / "Cantrel" / "lyrics" / "Band - Tune [190].lrc";
    EXPECT_EQ(ReadAll(stored), "[dl:" + Db.Address("") + "]\r\n[00:01.00]One\r\n[00:02.00]Two\r\n");
    const auto asked = Db.Records();
    ASSERT_EQ(asked.size(), 2u); // /api/get, then /api/search
    EXPECT_EQ(asked[0].Path, "/api/get");
    EXPECT_EQ(asked[0].Params.find("duration")->second, "185");
    EXPECT_EQ(asked[0].UserAgent.rfind("CantrelAgent/", 0), 0u);

    // "Search Again" from the first site: the linked page's lyrics, as plain text.
    Replies.clear();
    ASSERT_TRUE(Link->Search(0, "Band - Tune", 185, false));
    EXPECT_EQ(Outcome(), "DownloadDone");
    EXPECT_EQ(ReadAll(Folder / "Cantrel" / "lyrics" / "Band - Tune.txt"),
              "[dl:" + Site.Address("/find?q=%Song%") + "]\r\nSite line & one\r\nSite line two\r\n");
    EXPECT_TRUE(fs::exists(stored.string() + ".old")); // the earlier download stepped aside
}

TEST_F(AgentProgramTest, NotFoundAndErrorConnecting) {
    ASSERT_TRUE(Link->Search(0, "Band - Unknown", 0, false));
    EXPECT_EQ(Outcome(), "Not Found");

    // A database nobody answers at.
    Replies.clear();
    std::string closed;
    {
        TTestHttpServer gone;
        gone.Start();
        closed = gone.Address("");
    }
    WriteSettings(closed);
    ASSERT_TRUE(Link->Search(-1, "Band - Tune", 185, true));
    EXPECT_EQ(Outcome(), "Error Connecting");
    EXPECT_TRUE(fs::is_empty(Folder / "Cantrel" / "lyrics"));
}

TEST_F(AgentProgramTest, CancelDuringASlowReply) {
    ASSERT_TRUE(Link->Search(-1, "Band - Slow", 0, false));
    ASSERT_TRUE(WaitFor([&] { return Db.Records().size() >= 1; }));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(Link->CancelSearch());
    EXPECT_EQ(Outcome(), "Done");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    Db.Release();

    // The agent takes the next search at once.
    Replies.clear();
    ASSERT_TRUE(Link->Search(-1, "Band - Tune", 0, false));
    EXPECT_EQ(Outcome(), "DownloadDone");
    EXPECT_TRUE(fs::exists(Folder / "Cantrel" / "lyrics" / "Band - Tune.lrc"));
}

TEST_F(AgentProgramTest, SongNamesWithPathCharactersStaySafe) {
    for (const char* song : {"../Band - Tune", "Band/.. - Tune", "CON", "..\\..\\Band - Tune"}) {
        SCOPED_TRACE(song);
        Replies.clear();
        ASSERT_TRUE(Link->Search(-1, song, 0, false));
        EXPECT_EQ(Outcome(), "Error: song name is no file name");
    }
    EXPECT_TRUE(Db.Records().empty()); // nothing asked that could not be stored
    EXPECT_TRUE(fs::is_empty(Folder / "Cantrel" / "lyrics"));
    EXPECT_FALSE(fs::exists(Folder / "Cantrel" / "Band - Tune.txt"));

    // A read-only lyrics folder: an error text and nothing written.
    if (geteuid() != 0) {
        Replies.clear();
        fs::permissions(Folder / "Cantrel" / "lyrics", fs::perms::owner_read | fs::perms::owner_exec);
        ASSERT_TRUE(Link->Search(-1, "Band - Tune", 0, false));
        EXPECT_EQ(Outcome(), "Error: lyrics folder is read-only");
        fs::permissions(Folder / "Cantrel" / "lyrics", fs::perms::owner_all);
        EXPECT_TRUE(fs::is_empty(Folder / "Cantrel" / "lyrics"));
    }
}

TEST_F(AgentProgramTest, EndsWhenTheMainWindowIsGone) {
    // The main window's side stops listening without a "Close", as after a crash.
    Link->StopListening();
    EXPECT_TRUE(WaitFor([&] { return !Channel->IsListening(platform::kAgentWindowClass); }, 20));
}
