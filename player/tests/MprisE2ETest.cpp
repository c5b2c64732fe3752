// The player session against a real mpv on a private session bus. mpv's JSON IPC socket is the reference
// for its position. Tolerances are generous: these tests check that the clock follows the player, the
// sync benchmark measures how closely.
#include "player/EasyAmp.h"

#include "platform/MediaSession.h"
#include "platform/Platform.h"
#include "platform/e2e/MpvRig.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <memory>
#include <thread>
#include <vector>

using namespace player;
using platform::TMpvRig;

namespace {

using Clock = std::chrono::steady_clock;

const char* const kFirstTitle = "Cantrel Tester - First Song";
const char* const kSecondTitle = "Cantrel Tester - Second Song";
// Most the song clock may stand from mpv's own position once it follows it.
constexpr double kTolerance = 250;

struct TRecordingListener : ISongChangeListener {
    void UpdateSong() override { Titles.push_back(Session->GetSongTitle()); }
    TPlayerSession* Session = nullptr;
    std::vector<std::string> Titles;
};

class MprisE2ETest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string missing = TMpvRig::Missing();
        if (!missing.empty())
            GTEST_SKIP() << "this machine lacks " << missing;
        ASSERT_TRUE(Rig.StartBus());
        Media = platform::CreateMediaSession(Rig.BusAddress());
        Session = std::make_unique<TPlayerSession>(platform::SystemWindows(), platform::SystemClock(),
                                                   Media.get(), nullptr, TBusThread::Worker);
        Listener.Session = Session.get();
        Session->SetSongChangeListener(&Listener);
        First = Rig.MakeSong("first song.ogg", 30, "Cantrel Tester", "First Song", 440);
        Second = Rig.MakeSong("second.ogg", 30, "Cantrel Tester", "Second Song", 660);
        ASSERT_FALSE(First.empty());
        ASSERT_FALSE(Second.empty());
    }

    // Polls like the main window's render tick, every 100 ms, until done() holds or the time is up.
    template <typename TDone> bool PollUntil(TDone done, int timeoutMs = 5000) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (Clock::now() < deadline) {
            Session->PollPlayer();
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }
    void PollFor(int ms) {
        PollUntil([] { return false; }, ms);
    }
    // Reads only the clock, every 12 ms as the display does, until done() holds or the time is up.
    template <typename TDone> bool ClockUntil(TDone done, int timeoutMs = 3000) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (Clock::now() < deadline) {
            Session->GetSongPosition();
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(12));
        }
        return false;
    }

    // mpv plays both songs and the session follows it.
    void StartAndFollow() {
        ASSERT_TRUE(Rig.StartMpv({First, Second}));
        ASSERT_TRUE(PollUntil([&] { return Session->GetSongTitle() == kFirstTitle; }))
            << "title: " << Session->GetSongTitle();
    }

    // The song clock minus mpv's position, the clock read on both sides of the question to mpv.
    double Offset() {
        const double before = Session->GetSongPosition();
        const double mpv = Rig.MpvPositionMs();
        const double after = Session->GetSongPosition();
        EXPECT_GE(mpv, 0) << "mpv tells no position";
        return (before + after) / 2 - mpv;
    }

    TMpvRig Rig;
    std::unique_ptr<platform::IMediaSession> Media;
    std::unique_ptr<TPlayerSession> Session;
    TRecordingListener Listener;
    std::string First, Second;
};

} // namespace

TEST_F(MprisE2ETest, DetectsMpvWithItsNameTitleAndFile) {
    Session->PollPlayer();
    EXPECT_EQ(Session->AmpKind(), akNone);
    StartAndFollow();
    EXPECT_EQ(Session->AmpKind(), akMpris);
    EXPECT_EQ(Session->GetPlayerName(), "mpv");
    EXPECT_EQ(Session->GetSongFileName(), First) << "the file name with its blank, percent-decoded";
    EXPECT_EQ(Session->GetSongLength(), 30000);
    EXPECT_EQ(Listener.Titles, std::vector<std::string>{kFirstTitle});
}

TEST_F(MprisE2ETest, ClockFollowsMpvOverSeveralSeconds) {
    StartAndFollow();
    for (int i = 0; i < 8; ++i) {
        PollFor(500);
        const double offset = Offset();
        EXPECT_LT(std::fabs(offset), kTolerance) << "sample " << i;
    }
    EXPECT_FALSE(Session->Paused());
}

TEST_F(MprisE2ETest, SeekOfTenSecondsReanchorsTheClock) {
    StartAndFollow();
    PollFor(300);
    const std::int32_t before = Session->GetSongPosition();
    Session->PlayerSeek(before + 10000);
    PollFor(400);
    EXPECT_LT(std::fabs(Offset()), kTolerance);
    EXPECT_NEAR(Session->GetSongPosition(), before + 10000 + 400, 400);
    Session->PlayerBack5s();
    PollFor(400);
    EXPECT_LT(std::fabs(Offset()), kTolerance);
}

TEST_F(MprisE2ETest, PauseFreezesTheClockAndPlayResumesIt) {
    StartAndFollow();
    PollFor(500);
    Session->PlayerPause();
    ASSERT_TRUE(PollUntil([&] { return Session->Paused(); }, 3000));
    const std::int32_t frozen = Session->GetSongPosition();
    PollFor(700);
    EXPECT_EQ(Session->GetSongPosition(), frozen);
    EXPECT_LT(std::fabs(frozen - Rig.MpvPositionMs()), kTolerance);

    Session->PlayerPlay();
    ASSERT_TRUE(PollUntil([&] { return !Session->Paused(); }, 3000));
    PollFor(600);
    EXPECT_GT(Session->GetSongPosition(), frozen + 300);
    EXPECT_LT(std::fabs(Offset()), kTolerance);
}

TEST_F(MprisE2ETest, NextSongRunsTheSongChange) {
    StartAndFollow();
    PollFor(300);
    Listener.Titles.clear();
    Session->PlayerNext();
    ASSERT_TRUE(PollUntil([&] { return Session->GetSongTitle() == kSecondTitle; }));
    ASSERT_FALSE(Listener.Titles.empty());
    EXPECT_EQ(Listener.Titles.back(), kSecondTitle);
    EXPECT_EQ(Session->GetSongFileName(), Second);
    PollFor(500);
    EXPECT_LT(std::fabs(Offset()), kTolerance);
    EXPECT_LT(Session->GetSongPosition(), 3000);
}

TEST_F(MprisE2ETest, WhatMpvSaysReachesTheClockWithoutAPoll) {
    StartAndFollow();
    PollFor(500);
    // From here on only the clock is read. A seek made in the player:
    Rig.MpvCommand("[\"seek\",\"12\",\"absolute\"]");
    EXPECT_TRUE(ClockUntil([&] {
        return Session->GetSongPosition() > 11000 && std::fabs(Offset()) < kTolerance;
    })) << Session->GetSongPosition();
    // A pause and a resumption:
    Rig.MpvCommand("[\"set_property\",\"pause\",true]");
    ASSERT_TRUE(ClockUntil([&] { return Session->Paused(); }));
    ClockUntil([] { return false; }, 300);
    EXPECT_LT(std::fabs(Offset()), kTolerance);
    Rig.MpvCommand("[\"set_property\",\"pause\",false]");
    ASSERT_TRUE(ClockUntil([&] { return !Session->Paused(); }));
    ClockUntil([] { return false; }, 500);
    EXPECT_LT(std::fabs(Offset()), kTolerance);
    // The next song:
    Listener.Titles.clear();
    Rig.MpvCommand("[\"playlist-next\"]");
    ASSERT_TRUE(ClockUntil([&] { return Session->GetSongTitle() == kSecondTitle; }));
    EXPECT_EQ(Listener.Titles, std::vector<std::string>{kSecondTitle});
    ClockUntil([] { return false; }, 500);
    EXPECT_LT(std::fabs(Offset()), kTolerance);
}

TEST_F(MprisE2ETest, ClockFollowsASpeedChange) {
    StartAndFollow();
    PollFor(300);
    Rig.MpvCommand("[\"set_property\",\"speed\",1.25]");
    PollFor(300);
    // Eight seconds of song at 1.25 times: without the rate the clock would be 1.6 s behind by the end.
    for (int i = 0; i < 13; ++i) {
        PollFor(500);
        EXPECT_LT(std::fabs(Offset()), kTolerance) << "sample " << i;
    }
    Rig.MpvCommand("[\"set_property\",\"speed\",0.75]");
    PollFor(1500);
    EXPECT_LT(std::fabs(Offset()), kTolerance);
}

TEST_F(MprisE2ETest, PlayerQuittingLeavesNoPlayer) {
    StartAndFollow();
    Listener.Titles.clear();
    Rig.StopMpv();
    ASSERT_TRUE(PollUntil([&] { return Session->AmpKind() == akNone; }));
    EXPECT_EQ(Listener.Titles, std::vector<std::string>{"No Player Detected"});
    EXPECT_EQ(Session->GetSongTitle(), "No Player Detected");
    EXPECT_EQ(Session->GetPlayerName(), "No Player Detected");
    EXPECT_EQ(Session->GetSongPosition(), 0);
}

TEST_F(MprisE2ETest, HangingPlayerDoesNotHoldThePoll) {
    StartAndFollow();
    PollFor(300);
    Listener.Titles.clear();
    Rig.SignalMpv(SIGSTOP);
    // Each poll comes back after at most one bounded call; a second is far beyond that bound and far
    // below the bus's own 25 s default.
    const std::int32_t start = Session->GetSongPosition();
    for (int i = 0; i < 15; ++i) {
        const auto t0 = Clock::now();
        Session->PollPlayer();
        EXPECT_LT(Clock::now() - t0, std::chrono::seconds(1)) << "poll " << i;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_EQ(Session->AmpKind(), akMpris);
    EXPECT_TRUE(Listener.Titles.empty()) << "the last title stands";
    EXPECT_GT(Session->GetSongPosition(), start + 1000) << "the clock runs on";
    Rig.SignalMpv(SIGCONT);
    PollFor(1500);
    EXPECT_EQ(Session->GetSongTitle(), kFirstTitle);
    EXPECT_TRUE(Listener.Titles.empty());
}

TEST_F(MprisE2ETest, BusGoingAwayLeavesNoPlayer) {
    StartAndFollow();
    Listener.Titles.clear();
    Rig.StopBus();
    ASSERT_TRUE(PollUntil([&] { return Session->AmpKind() == akNone; }));
    EXPECT_EQ(Listener.Titles, std::vector<std::string>{"No Player Detected"});
    PollFor(300);
    EXPECT_EQ(Session->AmpKind(), akNone);
}

TEST(DBusMediaSession, NoBusMeansNoPlayers) {
    const auto media = platform::CreateMediaSession("unix:path=/nonexistent/cantrel-test-bus");
    EXPECT_TRUE(media->ListPlayers().empty());
    EXPECT_FALSE(media->IsPlayerPresent("org.mpris.MediaPlayer2.mpv"));
    platform::TMediaPlayerState state;
    EXPECT_EQ(media->ReadState("org.mpris.MediaPlayer2.mpv", state), platform::TMediaCall::NoPlayer);
    TPlayerSession session(platform::SystemWindows(), platform::SystemClock(), media.get());
    session.PollPlayer();
    EXPECT_EQ(session.AmpKind(), akNone);
    EXPECT_EQ(session.GetSongTitle(), "No Player Detected");
}

TEST(DBusMediaSession, InvalidNamesAreRefusedNotSent) {
    // Names that are not bus names or object paths would make libdbus abort; they fail instead.
    const auto media = platform::CreateMediaSession("unix:path=/nonexistent/cantrel-test-bus");
    platform::TMediaPlayerState state;
    EXPECT_EQ(media->ReadState("not a bus name", state), platform::TMediaCall::Failed);
    EXPECT_EQ(media->SetPosition("org.mpris.MediaPlayer2.mpv", "no/path", 0), platform::TMediaCall::Failed);
    EXPECT_FALSE(media->IsPlayerPresent(""));
}
