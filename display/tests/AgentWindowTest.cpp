// The main window with the real search agent program over the real channel, searching a local fake lyric
// database (the site list's LRCLIB entry) and a local fake lyrics site, both on 127.0.0.1: a song without
// lyrics is downloaded, stored with its "[dl:" tag and shown; "Search Again" moves on to the next site.
#include "display/UMain.h"

#include "database/tests/TestHttpServer.h"
#include "display/MainScene.h"
#include "display/UWinampSkin.h"
#include "platform/AgentChannel.h"
#include "platform/fake/FakeWinamp.h"
#include "player/AmpI.h"

#include "QtTestApp.h"

#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;
using namespace display;
using database::test::TTestHttpServer;

namespace {

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

class AgentWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        display::testing::TestApp();
        Folder =
            fs::temp_directory_path() / ("cantrel-agent-window-" + std::to_string(std::random_device()()));
        fs::create_directories(Folder / "run");
        fs::permissions(Folder / "run", fs::perms::owner_all);
        fs::create_directories(Folder / "data");
        fs::create_directories(Folder / "Cantrel" / "lyrics");
        fs::copy_file(AGENT_PROGRAM_PATH, Folder / "Cantrel" / "CantrelAgent");
        setenv("XDG_RUNTIME_DIR", (Folder / "run").c_str(), 1);
        setenv("XDG_DATA_HOME", (Folder / "data").c_str(), 1);

        Db.Get("/api/search", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content(req.get_param_value("track_name") == "Tune"
                                ? R"([{"trackName":"Tune","artistName":"Band","duration":185,)"
                                  R"("syncedLyrics":"[00:01.00]Database one\n[00:02.00]Database two"}])"
                                : "[]",
                            "application/json");
        });
        Db.Start();
        Site.Get("/lyrics", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("<pre class=\"l\">Site one\nSite two</pre>", "text/html");
        });
        Site.Start();
        std::ofstream(Folder / "Cantrel" / "Filters.ini")
            << "[LRCLIB]\r\nUrl=" << Db.Address("/api/search?track_name=%Title%&artist_name=%Artist%")
            << "\r\nRegExpr=json:lrclib\r\nEnabled=1\r\n"
            << "[Site]\r\nUrl=" << Site.Address("/lyrics?s=%Song%")
            << "\r\nRegExpr=<pre class=\"l\">(.*?)</pre>\r\nEnabled=1\r\n";
        std::ofstream(Folder / "Cantrel" / "Settings.ini") << "[Lrclib]\r\nUrl=" << Db.Address("") << "\r\n";
        Clock.Now = 5000000;
        Channel = platform::CreateAgentChannel();
    }
    void TearDown() override {
        Window.reset(); // closes the agent
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (Channel->IsListening(platform::kAgentWindowClass) && std::chrono::steady_clock::now() < end)
            QTest::qWait(20);
        if (Channel->IsListening(platform::kAgentWindowClass)) {
            lyrics::TSearchAgent link(*Channel);
            link.Close();
        }
        unsetenv("XDG_DATA_HOME");
        fs::remove_all(Folder);
    }

    TFormCantrel& Open() {
        TMainWindowServices services;
        services.Session = &Session;
        services.Clock = &Clock;
        services.AgentChannel = Channel.get();
        services.ProgramFolder = Folder.string() + "/";
        services.Separator = '/';
        services.OpenAddress = [](const std::string&) {};
        services.ShowWarning = [](const std::string&) {};
        Window = std::make_unique<TFormCantrel>(services);
        Window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
        return *Window;
    }
    void Play(int ms) {
        Clock.Advance(std::uint32_t(ms));
        if (Amp)
            Amp->PositionMs += ms;
        Window->DisplayLoopStep();
    }
    // Waits while the window's events run, noting every notice text shown on the way.
    template <typename TCondition> bool WaitFor(TCondition condition) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (!condition()) {
            if (Window && Window->Scene().GLHUDTextNoTimestampDownloading->Visible && !Notice().empty() &&
                (Notices.empty() || Notices.back() != Notice()))
                Notices.push_back(Notice());
            if (std::chrono::steady_clock::now() > end)
                return false;
            QTest::qWait(20);
        }
        return true;
    }
    std::string Notice() { return Window->Scene().GLHUDTextNoTimestampDownloading->Text; }

    fs::path Folder;
    TTestHttpServer Db, Site;
    platform::TFakeWindowSystem Windows;
    platform::TFakeClock Clock;
    player::TPlayerSession Session{Windows, Clock};
    std::unique_ptr<platform::IAgentChannel> Channel;
    std::unique_ptr<platform::TFakeWinamp> Amp;
    std::unique_ptr<TFormCantrel> Window;
    std::vector<std::string> Notices;
};

bool HasLine(const lyrics::TTextLyrics& lyrics, const std::string& text) {
    return std::any_of(lyrics.Lines.begin(), lyrics.Lines.end(),
                       [&](const auto& line) { return line.Text == text; });
}

} // namespace

TEST_F(AgentWindowTest, SongWithoutLyricsIsFoundStoredAndShown) {
    TFormCantrel& w = Open();
    // The window started the real agent from its "Cantrel" folder.
    ASSERT_TRUE(WaitFor([&] { return Channel->IsListening(platform::kAgentWindowClass); }));

    Amp = std::make_unique<platform::TFakeWinamp>(Windows, "1. Band - Tune - Winamp");
    Amp->PositionMs = 1000;
    Amp->LengthSeconds = 185;
    Play(200);
    EXPECT_FALSE(w.Lyrics().Found);
    ASSERT_TRUE(WaitFor([&] { return w.Lyrics().Found; })) << Notice();
    ASSERT_FALSE(Notices.empty());
    EXPECT_EQ(Notices.front(), "Downloading..") << ::testing::PrintToString(Notices);
    const std::string dbSite = Db.Address("/api/search?track_name=%Title%&artist_name=%Artist%");
    EXPECT_EQ(w.Lyrics().DownloadSource, dbSite);
    ASSERT_GE(w.Lyrics().Lines.size(), 2u);
    EXPECT_TRUE(HasLine(w.Lyrics(), "Database one"));
    EXPECT_TRUE(w.Lyrics().Timestamped);
    EXPECT_EQ(ReadAll(Folder / "Cantrel" / "lyrics" / "Band - Tune.lrc"),
              "[dl:" + dbSite + "]\r\n[00:01.00]Database one\r\n[00:02.00]Database two\r\n");
    EXPECT_EQ(w.Frame().SearchState(), TWASkin::ssSearchAgain);

    // "Search Again": the next site of the list.
    w.Frame().SearchButtonClick();
    const std::string site = Site.Address("/lyrics?s=%Song%");
    ASSERT_TRUE(WaitFor([&] { return w.Lyrics().Found && w.Lyrics().DownloadSource == site; })) << Notice();
    EXPECT_TRUE(HasLine(w.Lyrics(), "Site one"));
    EXPECT_FALSE(w.Lyrics().Timestamped);
    EXPECT_TRUE(fs::exists(Folder / "Cantrel" / "lyrics" / "Band - Tune.txt"));
    EXPECT_EQ(Site.Records().size(), 1u);
}
