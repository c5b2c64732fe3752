// The main window as the program runs it on Linux: the player session reads a private session bus on its
// worker thread, where a fake MPRIS player plays a song whose lyrics are in the lyrics folder. A player that
// stops answering must cost the window's frames nothing.
#include "display/UMain.h"

#include "display/UDisplayTextNoTimestamp.h"
#include "lyrics/fake/FakeAgent.h"
#include "platform/MediaSession.h"
#include "platform/Platform.h"
#include "platform/e2e/FakeMprisPlayer.h"
#include "platform/e2e/MpvRig.h"
#include "platform/fake/FakeAgentChannel.h"
#include "platform/fake/FakeWindowSystem.h"

#include "QtTestApp.h"

#include <QElapsedTimer>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;
using namespace display;

namespace {

class MainWindowBusTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string missing = platform::TMpvRig::BusMissing();
        if (!missing.empty())
            GTEST_SKIP() << "this machine lacks " << missing;
        display::testing::TestApp();
        Folder = fs::temp_directory_path() / ("cantrel-bus-" + std::to_string(std::random_device()()));
        fs::create_directories(Folder / "Cantrel" / "lyrics");
        std::ofstream(Folder / "Cantrel" / "CantrelAgent") << "agent";
        std::ofstream(Folder / "Cantrel" / "lyrics" / "Band - Tune.lrc")
            << "[00:00.50]First line\r\n[00:03.00]Second line\r\n[00:06.00]Third line\r\n"
               "[00:09.00]Fourth line\r\n[00:12.00]Fifth line\r\n[00:15.00]Sixth line\r\n";
        Agent = std::make_unique<lyrics::TFakeAgent>(AgentChannel, (Folder / "Cantrel" / "lyrics").string());
        ASSERT_TRUE(Agent->Listen());
        ASSERT_TRUE(Rig.StartBus());
        // Calls to a player are left to wait for three seconds: one on the window's thread would show.
        Media = platform::CreateMediaSession(Rig.BusAddress(), 3000);
        Session = std::make_unique<player::TPlayerSession>(Windows, platform::SystemClock(), Media.get(),
                                                           nullptr, player::TBusThread::Worker);
    }
    void TearDown() override {
        Window.reset();
        Session.reset();
        if (!Folder.empty())
            fs::remove_all(Folder);
    }

    TFormCantrel& Open() {
        TMainWindowServices services;
        services.Session = Session.get();
        services.Clock = &platform::SystemClock();
        services.AgentChannel = &MainChannel;
        services.ProgramFolder = Folder.string() + "/";
        services.Separator = '/';
        services.OpenAddress = [](const std::string&) {};
        services.ShowWarning = [](const std::string&) {};
        Window = std::make_unique<TFormCantrel>(services);
        Window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
        return *Window;
    }

    // Runs the window's event loop (its display loop, the status strip's timer, the player's news) until
    // done() holds or the time is up.
    template <typename TDone> bool RunUntil(TDone done, int timeoutMs) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < timeoutMs) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            if (done())
                return true;
        }
        return false;
    }

    fs::path Folder;
    platform::TMpvRig Rig;
    platform::TFakeWindowSystem Windows;
    std::unique_ptr<platform::IMediaSession> Media;
    std::unique_ptr<player::TPlayerSession> Session;
    platform::TFakeAgentHub Hub;
    platform::TFakeAgentChannel MainChannel{Hub};
    platform::TFakeAgentChannel AgentChannel{Hub};
    std::unique_ptr<lyrics::TFakeAgent> Agent;
    std::unique_ptr<TFormCantrel> Window;
};

} // namespace

TEST_F(MainWindowBusTest, PlayerThatStopsAnsweringLeavesTheFramesAlone) {
    platform::TFakeMprisPlayer player(Rig.BusAddress(), {"fake", "Fake Player", true, true});
    ASSERT_TRUE(player.Running());
    player.Track("/t/1", "Tune", {"Band"}, "", 200'000'000);
    player.Status("Playing");
    TFormCantrel& w = Open();
    ASSERT_TRUE(RunUntil([&] { return w.Lyrics().Found; }, 5000)) << w.windowTitle().toStdString();
    EXPECT_EQ(w.windowTitle().toStdString(), "Band - Tune");

    // A seek in the player reaches the lyrics as soon as the player tells it.
    ASSERT_TRUE(player.Seek(9'500'000));
    ASSERT_TRUE(RunUntil(
        [&] {
            return w.DisplayEngine().CurrentLine >= 0 &&
                   w.Lyrics().Lines[std::size_t(w.DisplayEngine().CurrentLine)].Text == "Fourth line";
        },
        2000));

    // The player stops answering: every step of the display loop, and every turn of the event loop with the
    // status strip's polls and the player's news, comes back at once.
    ASSERT_TRUE(player.Silent(true));
    const std::int32_t before = Session->GetSongPosition();
    QElapsedTimer run;
    run.start();
    qint64 longestStep = 0, longestTurn = 0;
    while (run.elapsed() < 5000) {
        QElapsedTimer step;
        step.start();
        w.DisplayLoopStep();
        longestStep = std::max(longestStep, step.elapsed());
        step.restart();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        longestTurn = std::max(longestTurn, step.elapsed());
        QTest::qWait(5);
    }
    EXPECT_LT(longestStep, 250) << "ms for one step of the display loop";
    EXPECT_LT(longestTurn, 250) << "ms for one turn of the event loop";
    EXPECT_EQ(w.windowTitle().toStdString(), "Band - Tune") << "the last title stands";
    EXPECT_TRUE(w.Lyrics().Found);
    EXPECT_GT(Session->GetSongPosition(), before + 4000) << "the lyrics run on with the clock";
    player.Silent(false);
}
