// The main window's submit action and the frame's "^" indicator as songs change, the dialog opened from the
// action against a local lyric database, and the main window closed while a submission waits for its reply.
#include "display/UMain.h"

#include "config/USettings.h"
#include "database/UUploadLyric.h"
#include "database/tests/TestHttpServer.h"
#include "database/ui/UUploadLyric.h"
#include "display/USkinImage.h"
#include "display/UWinampSkin.h"
#include "lyrics/fake/FakeAgent.h"
#include "platform/fake/FakeAgentChannel.h"
#include "platform/fake/FakeMediaSession.h"
#include "platform/fake/FakeWinamp.h"

#include "QtTestApp.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;
using namespace display;

namespace {

constexpr int kLongWaitMs = 20000;

const char* const kSixLines = "[00:10.00]One\r\n[00:20.00]Two\r\n[00:30.00]Three\r\n"
                              "[00:40.00]Four\r\n[00:50.00]Five\r\n[01:00.00]Six\r\n";

class MainWindowSubmit : public ::testing::Test {
protected:
    void SetUp() override {
        display::testing::TestApp();
        for (const char* name :
             {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY", "all_proxy"})
            unsetenv(name);
        Folder = fs::temp_directory_path() / ("cantrel-submit-" + std::to_string(std::random_device()()));
        fs::create_directories(Folder / "Cantrel" / "lyrics");
        std::ofstream(Folder / "Cantrel" / "CantrelAgent") << "agent";
        std::ofstream(Folder / "Cantrel" / "CantrelAgent.exe") << "agent";
        Clock.Now = 5000000;
        Agent = std::make_unique<lyrics::TFakeAgent>(AgentChannel, (Folder / "Cantrel" / "lyrics").string());
        ASSERT_TRUE(Agent->Listen());
        Server.Post("/index.php", [this](const httplib::Request&, httplib::Response& res) {
            if (Silent)
                Server.HoldUntilReleased(std::chrono::seconds(60));
            else
                res.set_content("Lyric successfully added (timestamped)", "text/html");
        });
        Server.Start();
        // The account and the database's address from Settings.ini; a song index, so that the upload list
        // counts.
        std::ofstream(Folder / "Cantrel" / "Settings.ini")
            << "[Versevault]\r\nUsername=alice\r\nUrl=http://127.0.0.1:" << Server.Port() << "\r\n";
        std::ofstream(Folder / "Cantrel" / "unknown") << "--\r\n";
    }
    void TearDown() override {
        Server.Release();
        Window.reset();
        fs::remove_all(Folder);
    }

    TFormCantrel& Open() {
        TMainWindowServices services;
        services.Session = &Session;
        services.Clock = &Clock;
        services.AgentChannel = &MainChannel;
        services.ProgramFolder = Folder.string() + "/";
        services.Separator = '/';
        services.OpenAddress = [](const std::string&) {};
        services.ShowWarning = [](const std::string&) {};
        Window = std::make_unique<TFormCantrel>(services);
        Window->TimerAfterLoaded.stop();
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
    void StartSong(const std::string& caption, const std::string& lyricsFile, const std::string& lyrics) {
        if (!Amp)
            Amp = std::make_unique<platform::TFakeWinamp>(Windows, caption);
        else
            Amp->SetCaption(caption);
        Amp->PositionMs = 1000;
        Amp->LengthSeconds = 185;
        if (!lyricsFile.empty())
            std::ofstream(Folder / "Cantrel" / "lyrics" / lyricsFile, std::ios::binary) << lyrics;
    }
    QAction& Submit() { return *Window->Action("ActionUploadLyric"); }
    bool IndicatorShown() { return Window->Frame().Control("SubmitButton")->isVisibleTo(Window.get()); }

    fs::path Folder;
    platform::TFakeWindowSystem Windows;
    platform::TFakeClock Clock;
    platform::TFakeMediaSession Media;
    player::TPlayerSession Session{Windows, Clock, &Media};
    platform::TFakeAgentHub Hub;
    platform::TFakeAgentChannel MainChannel{Hub};
    platform::TFakeAgentChannel AgentChannel{Hub};
    std::unique_ptr<lyrics::TFakeAgent> Agent;
    std::unique_ptr<platform::TFakeWinamp> Amp;
    database::test::TTestHttpServer Server;
    std::atomic<bool> Silent{false};
    std::unique_ptr<TFormCantrel> Window;
};

TEST_F(MainWindowSubmit, ActionAndIndicatorFollowTheSongAndTheDialogSubmits) {
    StartSong("1. Band - Tune - Winamp", "Band - Tune.lrc", kSixLines);
    TFormCantrel& w = Open();
    Play(200);
    ASSERT_TRUE(w.Lyrics().Found);
    EXPECT_TRUE(Submit().isEnabled());
    EXPECT_EQ(Submit().text().toStdString(), "Submit Lyric..");
    EXPECT_TRUE(IndicatorShown());
    EXPECT_EQ(w.Frame().Control("SubmitButton")->toolTip().toStdString(), "Submit Lyric..");

    // The action opens the dialog; submitting there makes the song known, and the action a correction.
    database::ui::TUploadLyric& dialog = w.SubmitDialog();
    std::string status;
    QTimer::singleShot(0, &w, [&] {
        EXPECT_TRUE(dialog.isVisible());
        dialog.ButtonOk->click();
        status = dialog.Memo1->toPlainText().toStdString();
        dialog.ButtonOk->click(); // "&Ok" closes
    });
    Submit().trigger();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(status, "Lyric successfully added (timestamped)\n");
    EXPECT_EQ(Server.Records().size(), 1u);
    EXPECT_EQ(Submit().text().toStdString(), "Submit Correction..");
    EXPECT_TRUE(Submit().isEnabled());
    EXPECT_EQ(w.Frame().Control("SubmitButton")->toolTip().toStdString(), "Submit Correction..");

    // Five lines or fewer, a track number or no lyrics: disabled, "Submit Lyric..", no indicator.
    struct {
        const char* caption;
        const char* file;
        const char* lyrics;
    } cases[] = {
        {"2. Band - Short - Winamp", "Band - Short.lrc", "[00:10.00]One\r\n[00:20.00]Two\r\n"},
        {"3. Band - Track 07 - Winamp", "Band - Track 07.lrc", kSixLines},
        {"4. Band - Nothing - Winamp", "", ""},
    };
    for (const auto& c : cases) {
        StartSong(c.caption, c.file, c.lyrics);
        Play(200);
        EXPECT_FALSE(Submit().isEnabled()) << c.caption;
        EXPECT_EQ(Submit().text().toStdString(), "Submit Lyric..") << c.caption;
        EXPECT_FALSE(IndicatorShown()) << c.caption;
    }

    // The Minimal display mode hides the indicator.
    StartSong("5. Band - Other - Winamp", "Band - Other.lrc", kSixLines);
    Play(200);
    EXPECT_TRUE(IndicatorShown());
    w.Action("Karaoke1")->trigger();
    w.Frame().UpdateSubmitButton();
    EXPECT_FALSE(IndicatorShown());
}

TEST_F(MainWindowSubmit, ClosingTheMainWindowDuringARequestEndsItCleanly) {
    StartSong("1. Band - Tune - Winamp", "Band - Tune.lrc", kSixLines);
    TFormCantrel& w = Open();
    Play(200);
    ASSERT_TRUE(Submit().isEnabled());
    Silent = true;
    database::ui::TUploadLyric& dialog = w.SubmitDialog();
    QTimer::singleShot(0, &w, [&] { dialog.ButtonOk->click(); });
    // Once the request waits for its reply, the main window is closed (as by the window manager).
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (dialog.Busy() && !Server.Records().empty()) {
            closer.stop();
            w.close();
        }
    });
    closer.start(20);
    Submit().trigger();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(dialog.Busy());
    EXPECT_EQ(w.Submission().Status(), "Cancelled");
    EXPECT_TRUE(fs::exists(Folder / "Cantrel" / "Settings.ini"));
    Window.reset(); // destroyed right after, as the program does
}

} // namespace
