// The player session and the real media session (libdbus, on a worker thread) against fake MPRIS players:
// real D-Bus services on a private session bus that do what mpv cannot be made to do (any playback status,
// no position, a rate of 1.5, silence, several players at once).
#include "player/EasyAmp.h"

#include "platform/MediaSession.h"
#include "platform/Platform.h"
#include "platform/e2e/FakeMprisPlayer.h"
#include "platform/e2e/MpvRig.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <thread>
#include <vector>

using namespace player;
using platform::TFakeMprisPlayer;
using platform::TMediaSignal;
using platform::TMpvRig;

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

const char* const kPrefix = "org.mpris.MediaPlayer2.";

class FakePlayerE2ETest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string missing = TMpvRig::BusMissing();
        if (!missing.empty())
            GTEST_SKIP() << "this machine lacks " << missing;
        ASSERT_TRUE(Rig.StartBus());
    }

    // The session as the program makes it: the bus read on a worker thread.
    void StartSession(int timeoutMs = platform::kMediaCallTimeoutMs) {
        Media = platform::CreateMediaSession(Rig.BusAddress(), timeoutMs);
        Session = std::make_unique<TPlayerSession>(platform::SystemWindows(), platform::SystemClock(),
                                                   Media.get(), nullptr, TBusThread::Worker);
    }

    TFakeMprisPlayer& Start(const std::string& name, const std::string& identity, const std::string& status,
                            const std::string& title, TFakeMprisPlayer::TOptions options = {}) {
        options.name = name;
        options.identity = identity;
        Players[name] = std::make_unique<TFakeMprisPlayer>(Rig.BusAddress(), options);
        TFakeMprisPlayer& player = *Players[name];
        EXPECT_TRUE(player.Running()) << name;
        player.Track("/t/" + std::to_string(Players.size()), title, {identity + " Band"}, "", 240'000'000);
        player.Status(status);
        return player;
    }

    // Runs the way the main window runs: a frame every 12 ms reading the clock, a poll every 100 ms; until
    // done() holds or the time is up.
    bool RunUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
        const auto deadline = Clock::now() + milliseconds(timeoutMs);
        auto lastPoll = Clock::now() - milliseconds(100);
        while (Clock::now() < deadline) {
            if (Clock::now() - lastPoll >= milliseconds(100)) {
                Session->PollPlayer();
                lastPoll = Clock::now();
            }
            Session->GetSongPosition();
            if (done())
                return true;
            std::this_thread::sleep_for(milliseconds(12));
        }
        return false;
    }
    void RunFor(int ms) {
        RunUntil([] { return false; }, ms);
    }
    std::function<bool()> Follows(const std::string& identity) {
        return [this, identity] { return Session->GetPlayerName() == identity; };
    }

    TMpvRig Rig;
    std::map<std::string, std::unique_ptr<TFakeMprisPlayer>> Players;
    std::unique_ptr<platform::IMediaSession> Media;
    std::unique_ptr<TPlayerSession> Session;
};

} // namespace

TEST_F(FakePlayerE2ETest, MediaSessionHearsThePlayersSignals) {
    auto media = platform::CreateMediaSession(Rig.BusAddress());
    ASSERT_TRUE(media->Watch());
    std::vector<TMediaSignal> heard;
    auto waitFor = [&](TMediaSignal::TKind kind) -> const TMediaSignal* {
        const auto deadline = Clock::now() + milliseconds(3000);
        while (Clock::now() < deadline) {
            for (const auto& s : heard)
                if (s.kind == kind)
                    return &s;
            media->WaitForSignals(100, heard);
        }
        return nullptr;
    };
    TFakeMprisPlayer player(Rig.BusAddress(), {"fake.instance9", "Fake", true, true});
    ASSERT_TRUE(player.Running());
    const auto* appeared = waitFor(TMediaSignal::TKind::Appeared);
    ASSERT_NE(appeared, nullptr);
    EXPECT_EQ(appeared->player, std::string(kPrefix) + "fake.instance9");
    // Signals come from the player's unique name; the session tells whose they are once it has listed it.
    EXPECT_EQ(media->ListPlayers(), std::vector<std::string>{std::string(kPrefix) + "fake.instance9"});
    heard.clear();

    player.Track("/t/7", "Song", {"A", "B"}, "file:///m/x.ogg", 5'000'000);
    const auto* track = waitFor(TMediaSignal::TKind::Changed);
    ASSERT_NE(track, nullptr);
    EXPECT_EQ(track->player, std::string(kPrefix) + "fake.instance9");
    EXPECT_TRUE(track->hasMetadata);
    EXPECT_EQ(track->state.metadata.trackId, "/t/7");
    EXPECT_EQ(track->state.metadata.artists, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(track->state.metadata.lengthUs, 5'000'000);
    heard.clear();

    player.Status("Playing");
    player.Rate(1.5);
    const auto deadline = Clock::now() + milliseconds(3000);
    while (heard.size() < 2 && Clock::now() < deadline)
        media->WaitForSignals(100, heard);
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_TRUE(heard[0].hasStatus);
    EXPECT_EQ(heard[0].state.playbackStatus, "Playing");
    EXPECT_TRUE(heard[1].state.hasRate);
    EXPECT_DOUBLE_EQ(heard[1].state.rate, 1.5);
    heard.clear();

    player.Seek(3'000'000);
    const auto* seeked = waitFor(TMediaSignal::TKind::Seeked);
    ASSERT_NE(seeked, nullptr);
    EXPECT_NEAR(double(seeked->positionUs), 3e6, 1e5) << "told as the player moves on from there";
    heard.clear();

    // A wait ends at once when woken from another thread.
    std::thread waker([&] {
        std::this_thread::sleep_for(milliseconds(50));
        media->Wake();
    });
    const auto t0 = Clock::now();
    media->WaitForSignals(10000, heard);
    waker.join();
    EXPECT_LT(Clock::now() - t0, std::chrono::seconds(5));

    player.Quit();
    const auto* vanished = waitFor(TMediaSignal::TKind::Vanished);
    ASSERT_NE(vanished, nullptr);
    EXPECT_EQ(vanished->player, std::string(kPrefix) + "fake.instance9");
}

TEST_F(FakePlayerE2ETest, PlayerChoiceTable) {
    // A stopped Rhythmbox, an idle browser tab, a player that plays: the one that plays is followed; who
    // plays next is followed after a short gap; a pinned player whatever it does.
    Start("rhythmbox", "Rhythmbox", "Stopped", "Radio");
    Start("firefox.instance_1_7", "Firefox", "Paused", "Video");
    Start("vlc.instance42", "VLC media player", "Playing", "Album Song");
    StartSession();
    struct {
        const char* what; // "status", "pin", "quit", or nothing
        const char* player;
        const char* value;
        int keptMs;           // the player followed so far must stay followed this long first
        const char* expected; // identity followed afterwards
    } steps[] = {
        {"", "", "", 0, "VLC media player"},
        {"status", "firefox.instance_1_7", "Playing", 2500, "VLC media player"}, // VLC plays on: kept
        {"status", "vlc.instance42", "Paused", 1000, "Firefox"},                 // left after the gap
        {"status", "firefox.instance_1_7", "Stopped", 2500, "Firefox"},          // nobody plays: kept
        {"status", "rhythmbox", "Playing", 1000, "Rhythmbox"},
        {"pin", "vlc", "", 0, "VLC media player"}, // pinned, though paused while another plays
        {"", "", "", 2500, "VLC media player"},
        {"quit", "vlc.instance42", "", 0, "Rhythmbox"}, // the pinned one gone: automatic
        {"pin", "", "", 2500, "Rhythmbox"},             // automatic: the followed one plays on
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(std::string(step.what) + " " + step.player + " " + step.value);
        const std::string what = step.what;
        const std::string before = Session->GetPlayerName();
        if (what == "status")
            ASSERT_TRUE(Players[step.player]->Status(step.value));
        else if (what == "pin")
            Session->PinMediaPlayer(step.player);
        else if (what == "quit")
            Players[step.player]->Quit();
        if (step.keptMs > 0) {
            EXPECT_FALSE(RunUntil([&] { return Session->GetPlayerName() != before; }, step.keptMs));
        }
        EXPECT_TRUE(RunUntil(Follows(step.expected))) << "follows " << Session->GetPlayerName();
    }
}

TEST_F(FakePlayerE2ETest, PlayerWithoutPositionRunsTheClockFromTheSongsStart) {
    TFakeMprisPlayer::TOptions options;
    options.position = false;
    StartSession();
    auto& browser = Start("chromium.instance3", "Chromium", "Playing", "Stream", options);
    ASSERT_TRUE(RunUntil([&] { return Session->GetSongTitle() == "Chromium Band - Stream"; }));
    const auto started = Clock::now();
    const std::int32_t start = Session->GetSongPosition();
    EXPECT_LT(start, 300) << "the clock starts with the song";
    RunFor(1500);
    auto elapsedMs = [&] {
        return std::chrono::duration<double, std::milli>(Clock::now() - started).count();
    };
    EXPECT_NEAR(Session->GetSongPosition() - start, elapsedMs(), 150);

    // Paused, then playing again with nothing to tell where: the clock stands, then runs on from there.
    ASSERT_TRUE(browser.Status("Paused"));
    ASSERT_TRUE(RunUntil([&] { return Session->Paused(); }, 2000));
    const std::int32_t frozen = Session->GetSongPosition();
    RunFor(700);
    EXPECT_EQ(Session->GetSongPosition(), frozen);
    ASSERT_TRUE(browser.Status("Playing"));
    ASSERT_TRUE(RunUntil([&] { return !Session->Paused(); }, 2000));
    RunFor(1000);
    EXPECT_NEAR(Session->GetSongPosition(), frozen + 1000, 200);
}

TEST_F(FakePlayerE2ETest, ClockFollowsRateOneAndAHalfOverSeconds) {
    StartSession();
    auto& player = Start("fake", "Fake", "Playing", "Fast Song");
    player.Rate(1.5);
    ASSERT_TRUE(RunUntil(Follows("Fake")));
    RunFor(300);
    double worst = 0;
    for (int i = 0; i < 16; ++i) {
        RunFor(250);
        const double before = Session->GetSongPosition();
        const double fake = double(player.PositionUs()) / 1000;
        const double after = Session->GetSongPosition();
        worst = std::max(worst, std::fabs((before + after) / 2 - fake));
    }
    EXPECT_LT(worst, 100) << "over 4 s at 1.5 times";
    // A new rate re-anchors the clock at once.
    player.Rate(0.5);
    RunFor(1000);
    EXPECT_NEAR(Session->GetSongPosition(), double(player.PositionUs()) / 1000, 100);
}

TEST_F(FakePlayerE2ETest, UntaggedFileLosesItsExtension) {
    StartSession();
    auto& player = Start("fake", "Fake", "Playing", "");
    player.Track("/t/9", "Some Artist - Some Title.flac", {},
                 "file:///music/Some%20Artist%20-%20Some%20Title.flac", 200'000'000);
    ASSERT_TRUE(RunUntil([&] { return Session->GetSongTitle() == "Some Artist - Some Title"; }))
        << Session->GetSongTitle();
    EXPECT_EQ(Session->GetSongFileName(), "/music/Some Artist - Some Title.flac");
    player.Track("/t/10", "Duet", {"A", "B"}, "", 200'000'000);
    EXPECT_TRUE(RunUntil([&] { return Session->GetSongTitle() == "A, B - Duet"; }))
        << Session->GetSongTitle();
}

TEST_F(FakePlayerE2ETest, SignalsReachTheClockWithoutAPoll) {
    StartSession();
    auto& player = Start("fake", "Fake", "Playing", "Song");
    ASSERT_TRUE(RunUntil(Follows("Fake")));
    RunFor(300);
    // From here only the clock is read, as the display does on every frame.
    auto clockReaches = [&](const std::function<bool(std::int32_t)>& done) {
        const auto deadline = Clock::now() + milliseconds(2000);
        while (Clock::now() < deadline) {
            if (done(Session->GetSongPosition()))
                return true;
            std::this_thread::sleep_for(milliseconds(12));
        }
        return false;
    };
    ASSERT_TRUE(player.Seek(100'000'000));
    EXPECT_TRUE(clockReaches([](std::int32_t ms) { return ms >= 100000 && ms < 100500; }));
    ASSERT_TRUE(player.Status("Paused"));
    EXPECT_TRUE(clockReaches([&](std::int32_t) { return Session->Paused(); }));
    player.Track("/t/2", "Other", {"Someone"}, "", 100'000'000);
    ASSERT_TRUE(player.Status("Playing"));
    EXPECT_TRUE(clockReaches(
        [&](std::int32_t ms) { return Session->GetSongTitle() == "Someone - Other" && ms < 1000; }));
}

TEST_F(FakePlayerE2ETest, PlayerThatNeverAnswersCostsTheCallerNothing) {
    // Calls are left to wait for three seconds, so that any call on the caller's thread would show.
    StartSession(3000);
    auto& player = Start("fake", "Fake", "Playing", "Song");
    ASSERT_TRUE(RunUntil(Follows("Fake")));
    RunFor(300);
    ASSERT_TRUE(player.Silent(true));
    const std::int32_t start = Session->GetSongPosition();
    Clock::duration longest{};
    const auto until = Clock::now() + milliseconds(5000);
    while (Clock::now() < until) {
        const auto t0 = Clock::now();
        Session->PollPlayer();
        Session->GetSongPosition();
        Session->PlayerVolumeUp(); // commands go to the worker too
        longest = std::max(longest, Clock::now() - t0);
        std::this_thread::sleep_for(milliseconds(12));
    }
    EXPECT_LT(longest, milliseconds(500)) << "a poll and a clock read never wait for the player";
    EXPECT_EQ(Session->GetSongTitle(), "Fake Band - Song") << "the last title stands";
    EXPECT_GT(Session->GetSongPosition(), start + 4000) << "the clock runs on";

    // Another player that plays takes over from the silent one.
    Start("other", "Other", "Playing", "Tune");
    EXPECT_TRUE(RunUntil(Follows("Other"), 15000));
}
