#include "player/AmpI.h"
#include "player/EasyAmp.h"

#include "platform/fake/FakeWinamp.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace player;
using platform::TFakeClock;
using platform::TFakeWinamp;
using platform::TFakeWindowSystem;

namespace {

struct TRecordingListener : ISongChangeListener {
    explicit TRecordingListener(TPlayerSession& s) : Session(s) {}
    void UpdateSong() override { Titles.push_back(Session.GetSongTitle()); }
    TPlayerSession& Session;
    std::vector<std::string> Titles;
};

class PlayerSessionTest : public ::testing::Test {
protected:
    PlayerSessionTest() : Session(Windows, Clock), Listener(Session) {
        Clock.Now = 1000000;
        Session.SetSongChangeListener(&Listener);
    }

    // Starts a Winamp playing "Artist - Song" and polls until the session follows it.
    TFakeWinamp& StartWinamp(const std::string& caption = "1. Artist - Song - Winamp",
                             bool mediaMonkey = false) {
        Amp = std::make_unique<TFakeWinamp>(Windows, caption, mediaMonkey);
        Session.PollPlayer(); // detection
        Session.PollPlayer(); // song change
        return *Amp;
    }

    // Moves the clock and the player's position together, as in normal play, and polls.
    void Play(std::int32_t ms) {
        Clock.Advance(std::uint32_t(ms));
        Amp->PositionMs += ms;
        Session.PollPlayer();
    }

    TFakeWindowSystem Windows;
    TFakeClock Clock;
    TPlayerSession Session;
    TRecordingListener Listener;
    std::unique_ptr<TFakeWinamp> Amp;
};

} // namespace

TEST(PlayerKinds, NamesAndGranularities) {
    struct {
        ampKindT kind;
        const char* name;
        std::int32_t granularity;
    } cases[] = {
        {akNone, "No Player Detected", 1}, {akWinamp, "Winamp", 5},           {akQcd, "QCD", 1},
        {akFoobar, "Foobar", 1000},        {akMediaMonkey, "MediaMonkey", 1}, {akSonique, "Sonique", 1000},
        {akWmp, "WMP", 5000000},           {akMpris, "MPRIS", 100},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AmpInfoFor(c.kind).name, c.name);
        EXPECT_EQ(AmpInfoFor(c.kind).granularity, c.granularity) << c.name;
    }
}

TEST(WinampCaption, CleaningTable) {
    struct {
        std::string caption;
        std::string title; // empty: no song, the session shows "Stopped"
    } cases[] = {
        {"12. Artist - Song - Winamp", " Artist - Song "},
        {"Song - Winamp *** 12. Artist - ", " Artist - Song "},
        {"- Winamp *** 12. Artist - Song ", " Artist - Song "},
        {"Winamp 5.92", ""},
        {"", ""},
        {"     ", ""},
        {"   - Winamp", ""},
        {"1.Song - Winamp", ""},
        {"3. Bj\xf6rk - J\xf3ga - Winamp", " Bj\xf6rk - J\xf3ga "},
        {"7. A - B - Winamp - Winamp", " A - B "},
        {"* ", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CleanWinampCaption(c.caption), c.title) << '"' << c.caption << '"';
}

TEST(WinampCaption, HugeCaptionIsCleaned) {
    const std::string name(64 * 1024, 'x');
    EXPECT_EQ(CleanWinampCaption("1. " + name + " - Winamp"), " " + name + " ");
    EXPECT_EQ(CleanWinampCaption(std::string(64 * 1024, '\xe9')), "");
}

TEST(MediaMonkeyCaption, FromFirstBlank) {
    EXPECT_EQ(CleanMediaMonkeyCaption("12. Artist - Song"), " Artist - Song");
    EXPECT_EQ(CleanMediaMonkeyCaption("NoBlank"), "NoBlank");
    EXPECT_EQ(CleanMediaMonkeyCaption(""), "");
}

TEST_F(PlayerSessionTest, NoPlayer) {
    EXPECT_EQ(Session.GetSongTitle(), "No Player Detected");
    EXPECT_EQ(Session.GetPlayerName(), "No Player Detected");
    Session.PollPlayer();
    EXPECT_EQ(Session.AmpKind(), akNone);
    EXPECT_EQ(Session.GetSongPosition(), 0);
    EXPECT_EQ(Session.GetSongLength(), 0);
    Session.PlayerPlay();
    Session.PlayerSeek(1000);
    EXPECT_TRUE(Windows.Messages.empty());
    EXPECT_TRUE(Listener.Titles.empty());
}

TEST_F(PlayerSessionTest, DetectsWinampAndReadsTitleAndFile) {
    Amp = std::make_unique<TFakeWinamp>(Windows, "12. Artist - Song - Winamp");
    Amp->SetPlaylistFile(4, "C:\\Music\\Artist - Song.mp3");
    Amp->PlaylistPos = 4;
    Amp->PlaylistLength = 9;
    Session.PollPlayer();
    EXPECT_EQ(Session.AmpKind(), akWinamp);
    EXPECT_EQ(Session.GetPlayerName(), "Winamp");
    EXPECT_TRUE(Listener.Titles.empty()) << "detection notifies nobody";
    Session.PollPlayer();
    EXPECT_EQ(Listener.Titles, std::vector<std::string>{" Artist - Song "});
    EXPECT_EQ(Session.GetSongFileName(), "C:\\Music\\Artist - Song.mp3");
}

TEST_F(PlayerSessionTest, FoobarOrWinampByPlaylistAndVersion) {
    struct {
        std::int32_t playlist, version;
        ampKindT kind;
    } cases[] = {
        {0, 8320, akFoobar},
        {0, 0x5010, akWinamp},
        {3, 8320, akWinamp},
        {3, 0x5010, akWinamp},
    };
    for (const auto& c : cases) {
        TFakeWindowSystem windows;
        TFakeClock clock;
        TPlayerSession session(windows, clock);
        TFakeWinamp amp(windows, "1. A - B - Winamp");
        amp.PlaylistLength = c.playlist;
        amp.Version = c.version;
        session.DetectPlayer();
        EXPECT_EQ(session.AmpKind(), c.kind) << c.playlist << " " << c.version;
        EXPECT_EQ(session.GetSongFileName(), "");
    }
}

TEST_F(PlayerSessionTest, WinampWithEmptyPlaylistIsDetectedAgainOnEveryPoll) {
    Amp = std::make_unique<TFakeWinamp>(Windows, "1. A - B - Winamp");
    Amp->PlaylistLength = 0;
    Session.DetectPlayer();
    ASSERT_EQ(Session.AmpKind(), akWinamp);
    Windows.Messages.clear();
    Session.DetectPlayer();
    EXPECT_EQ(Session.AmpKind(), akWinamp);
    // The alive test asked for the playlist length, then detection asked length and version again.
    int versionQueries = 0;
    for (const auto& m : Windows.Messages)
        versionQueries += m.message == platform::WM_USER_ && m.lParam == IPC_GETVERSION;
    EXPECT_EQ(versionQueries, 1);
}

TEST_F(PlayerSessionTest, FoobarStaysAliveOnlyWhilePlaylistEmpty) {
    Amp = std::make_unique<TFakeWinamp>(Windows, "1. A - B - Winamp");
    Amp->PlaylistLength = 0;
    Amp->Version = kFoobarVersion;
    Session.DetectPlayer();
    ASSERT_EQ(Session.AmpKind(), akFoobar);
    Amp->PlaylistLength = 5;
    Session.DetectPlayer();
    EXPECT_EQ(Session.AmpKind(), akWinamp);
}

TEST_F(PlayerSessionTest, MediaMonkeyTakesPrecedence) {
    StartWinamp("12. Artist - Song", /*mediaMonkey=*/true);
    EXPECT_EQ(Session.AmpKind(), akMediaMonkey);
    EXPECT_EQ(Session.AmpWindow(), Amp->Window());
    EXPECT_EQ(Session.GetSongTitle(), " Artist - Song");
    // A Winamp window is never taken for Winamp while a MediaMonkey main window exists.
    TFakeWinamp other(Windows, "1. X - Y - Winamp");
    Session.DetectPlayer();
    EXPECT_EQ(Session.AmpKind(), akMediaMonkey);
}

TEST_F(PlayerSessionTest, MediaMonkeyGoneGivesStoppedThenNoPlayer) {
    StartWinamp("12. Artist - Song", true);
    Amp->Quit();
    Session.PollPlayer();
    EXPECT_EQ(Session.AmpKind(), akNone);
    EXPECT_EQ(Session.GetSongTitle(), "No Player Detected");
    EXPECT_EQ(Listener.Titles.back(), "No Player Detected");
}

TEST_F(PlayerSessionTest, StoppedWhenCaptionHasNoSong) {
    StartWinamp("Winamp 5.92");
    EXPECT_EQ(Session.GetSongTitle(), "Stopped");
    EXPECT_EQ(Session.AmpKind(), akWinamp);
}

TEST_F(PlayerSessionTest, VanishingPlayerGivesExactlyOneSongChange) {
    StartWinamp();
    Listener.Titles.clear();
    Amp->Quit();
    for (int i = 0; i < 5; ++i) {
        Clock.Advance(100);
        Session.PollPlayer();
    }
    EXPECT_EQ(Listener.Titles, std::vector<std::string>{"No Player Detected"});
    EXPECT_EQ(Session.AmpKind(), akNone);
    EXPECT_EQ(Session.GetSongFileName(), "");
}

TEST_F(PlayerSessionTest, ClockReadWhileRunningSendsNoMessage) {
    StartWinamp();
    Windows.Messages.clear();
    const int readsBefore = Clock.Reads;
    Clock.Advance(40);
    const auto p1 = Session.GetSongPosition();
    Clock.Advance(12);
    EXPECT_EQ(Session.GetSongPosition(), p1 + 12);
    EXPECT_TRUE(Windows.Messages.empty());
    EXPECT_EQ(Clock.Reads - readsBefore, 2);
}

TEST_F(PlayerSessionTest, ClockRunsOnTickCountWithoutSmallCorrections) {
    StartWinamp();
    Play(100);
    const auto start = Session.GetSongPosition();
    // The player lags 300 ms behind but keeps moving: no correction.
    Clock.Advance(1000);
    Amp->PositionMs += 700;
    Session.PollPlayer();
    EXPECT_EQ(Session.GetSongPosition(), start + 1000);
    EXPECT_FALSE(Session.Paused());
}

TEST_F(PlayerSessionTest, SeekReanchorsOnlyAboveFifteenHundred) {
    struct {
        std::int32_t jump; // change of the reported position between two polls 100 ms apart
        bool reanchored;
    } cases[] = {{2100, true}, {1100, false}, {1500, false}, {1501, true}, {-1900, true}, {-900, false}};
    for (const auto& c : cases) {
        TFakeWindowSystem windows;
        TFakeClock clock;
        clock.Now = 5000;
        TPlayerSession session(windows, clock);
        TFakeWinamp amp(windows, "1. A - B - Winamp");
        amp.PositionMs = 30000;
        session.PollPlayer();
        session.PollPlayer(); // song change, then the jump from 0 to 30 s re-anchors
        ASSERT_EQ(session.GetSongPosition(), 30000);
        clock.Advance(100);
        amp.PositionMs += c.jump;
        session.PollPlayer();
        EXPECT_EQ(session.GetSongPosition(), c.reanchored ? 30000 + c.jump : 30100) << c.jump;
    }
}

TEST_F(PlayerSessionTest, FirstPollAfterSongChangeReanchors) {
    StartWinamp();
    Amp->PositionMs = 200000;
    Play(100); // the old song is 200 s in
    ASSERT_EQ(Session.GetSongPosition(), 200100);
    // A new song starts; the player reports 40 ms of it.
    Amp->SetCaption("2. Other - Tune - Winamp");
    Amp->PositionMs = 40;
    Clock.Advance(100);
    Session.PollPlayer();
    EXPECT_EQ(Listener.Titles.back(), " Other - Tune ");
    EXPECT_EQ(Session.GetSongPosition(), 40);
    EXPECT_EQ(Session.CurrentSong().length, -1);
}

TEST_F(PlayerSessionTest, PauseNeedsStandingPositionBeyondGranularity) {
    // Foobar: granularity 1000 ms.
    Amp = std::make_unique<TFakeWinamp>(Windows, "1. A - B - Winamp");
    Amp->PlaylistLength = 0;
    Amp->Version = kFoobarVersion;
    Amp->PositionMs = 10000;
    Session.PollPlayer();
    Session.PollPlayer();
    ASSERT_EQ(Session.AmpKind(), akFoobar);
    ASSERT_EQ(Session.GetSongPosition(), 10000);
    // Position stands still but the clock is only 1000 ms past it: not yet a pause.
    Clock.Advance(1000);
    Session.PollPlayer();
    EXPECT_FALSE(Session.Paused());
    // 1001 ms past it: paused, and the frozen clock shows the player's position.
    Clock.Advance(1);
    Session.PollPlayer();
    EXPECT_TRUE(Session.Paused());
    EXPECT_EQ(Session.GetSongPosition(), 10000);
    Clock.Advance(5000);
    EXPECT_EQ(Session.GetSongPosition(), 10000);
}

TEST_F(PlayerSessionTest, WinampThatSaysPlayingIsNotPaused) {
    struct {
        std::int32_t isPlaying;
        bool paused;
    } cases[] = {{1, false}, {3, true}, {0, true}};
    for (const auto& c : cases) {
        TFakeWindowSystem windows;
        TFakeClock clock;
        TPlayerSession session(windows, clock);
        TFakeWinamp amp(windows, "1. A - B - Winamp");
        amp.PositionMs = 5000;
        amp.IsPlaying = c.isPlaying;
        session.PollPlayer();
        session.PollPlayer();
        clock.Advance(100);
        session.PollPlayer();
        EXPECT_EQ(session.Paused(), c.paused) << c.isPlaying;
    }
}

TEST_F(PlayerSessionTest, ResumeFromPauseFollowsPlayer) {
    StartWinamp();
    Amp->PositionMs = 8000;
    Play(100);
    Amp->IsPlaying = 3;
    Clock.Advance(100);
    Session.PollPlayer();
    ASSERT_TRUE(Session.Paused());
    // While paused every clock read polls the player.
    Windows.Messages.clear();
    Clock.Advance(3000);
    EXPECT_EQ(Session.GetSongPosition(), 8100);
    EXPECT_FALSE(Windows.Messages.empty());
    // The player moves on: the clock resumes from the player's position.
    Amp->IsPlaying = 1;
    Amp->PositionMs = 8150;
    Session.PollPlayer();
    EXPECT_FALSE(Session.Paused());
    Clock.Advance(500);
    EXPECT_EQ(Session.GetSongPosition(), 8650);
}

TEST_F(PlayerSessionTest, LengthAskedAtMost1001Times) {
    StartWinamp();
    Amp->LengthSeconds = 0;
    Amp->Queries = 0;
    EXPECT_EQ(Session.GetSongLength(), 0);
    EXPECT_EQ(Amp->Queries, 1001);
    Amp->LengthSeconds = 185;
    Amp->Queries = 0;
    EXPECT_EQ(Session.GetSongLength(), 185000);
    EXPECT_EQ(Amp->Queries, 1);
    EXPECT_EQ(Session.GetSongLength(), 185000);
    EXPECT_EQ(Amp->Queries, 1) << "a known length is not asked again";
}

TEST_F(PlayerSessionTest, NegativeOrHugeLengthIsSafe) {
    StartWinamp();
    Amp->LengthSeconds = -5;
    Session.PollPlayer();
    EXPECT_EQ(Session.CurrentSong().length, 0);
    Amp->LengthSeconds = 0x7fffffff;
    EXPECT_EQ(Session.GetSongLength(), 0x7fffffff);
}

TEST_F(PlayerSessionTest, PlayerAnsweringZeroToEverything) {
    const auto window =
        Windows.AddWindow("Winamp v1.x", "", [](auto, auto, auto) { return std::intptr_t(0); });
    (void)window;
    for (int i = 0; i < 3; ++i) {
        Clock.Advance(100);
        Session.PollPlayer();
    }
    EXPECT_EQ(Session.AmpKind(), akWinamp);
    EXPECT_EQ(Session.GetSongTitle(), "Stopped");
    EXPECT_EQ(Session.GetSongFileName(), "");
    EXPECT_EQ(Session.GetSongLength(), 0);
}

TEST_F(PlayerSessionTest, TransportCommandsPerKind) {
    using Cmds = std::vector<std::uintptr_t>;
    struct {
        const char* name;
        void (TPlayerSession::*op)();
        Cmds winamp;
        Cmds mediaMonkey;
    } cases[] = {
        {"play", &TPlayerSession::PlayerPlay, {AMP_PLAY}, {AMP_PLAY}},
        {"pause", &TPlayerSession::PlayerPause, {AMP_PAUSE}, {AMP_PAUSE}},
        {"stop", &TPlayerSession::PlayerStop, {AMP_STOP}, {AMP_STOP}},
        {"next", &TPlayerSession::PlayerNext, {AMP_NEXT}, {AMP_NEXT}},
        {"prev", &TPlayerSession::PlayerPrev, {AMP_PREV}, {AMP_PREV}},
        {"vol+", &TPlayerSession::PlayerVolumeUp, {AMP_VOLUME_UP}, Cmds(3, AMP_VOLUME_UP)},
        {"vol-", &TPlayerSession::PlayerVolumeDown, {AMP_VOLUME_DOWN}, Cmds(3, AMP_VOLUME_DOWN)},
        {"fwd", &TPlayerSession::PlayerForward5s, {AMP_FORWARD_5S}, {}},
        {"back", &TPlayerSession::PlayerBack5s, {AMP_BACK_5S}, {}},
        {"jump", &TPlayerSession::PlayerJumpToFile, {AMP_JUMP_TO_FILE}, {}},
    };
    for (bool mm : {false, true}) {
        for (const auto& c : cases) {
            TFakeWindowSystem windows;
            TFakeClock clock;
            TPlayerSession session(windows, clock);
            TFakeWinamp amp(windows, "1. A - B - Winamp", mm);
            session.DetectPlayer();
            (session.*c.op)();
            EXPECT_EQ(amp.Commands, mm ? c.mediaMonkey : c.winamp)
                << c.name << (mm ? " MediaMonkey" : " Winamp");
        }
    }
}

TEST_F(PlayerSessionTest, PlayFirstWhenNotPlaying) {
    StartWinamp();
    Amp->IsPlaying = 3;
    Session.PlayerForward5s();
    EXPECT_EQ(Amp->Commands, (std::vector<std::uintptr_t>{AMP_PLAY, AMP_FORWARD_5S}));
    Amp->Commands.clear();
    Session.PlayerSeek(42000);
    EXPECT_EQ(Amp->Commands, std::vector<std::uintptr_t>{AMP_PLAY});
    EXPECT_EQ(Amp->Seeks, std::vector<std::int32_t>{42000});
    Amp->IsPlaying = 1;
    Amp->Commands.clear();
    Session.PlayerBack5s();
    EXPECT_EQ(Amp->Commands, std::vector<std::uintptr_t>{AMP_BACK_5S});
}

TEST_F(PlayerSessionTest, MediaMonkeyStepsFiveSecondsBySeeking) {
    StartWinamp("1. A - B", true);
    Amp->PositionMs = 20000;
    Play(100);
    ASSERT_EQ(Session.GetSongPosition(), 20100);
    Session.PlayerForward5s();
    Session.PlayerBack5s();
    EXPECT_EQ(Amp->Seeks, (std::vector<std::int32_t>{25100, 15100}));
    EXPECT_TRUE(Amp->Commands.empty());
}

TEST_F(PlayerSessionTest, JumpToFileBringsPlayerToTop) {
    StartWinamp();
    Session.PlayerJumpToFile();
    EXPECT_EQ(Windows.BroughtToTop, std::vector<platform::WindowHandle>{Amp->Window()});
    TFakeWinamp mm(Windows, "1. A - B", true);
    Amp.reset();
    Session.PollPlayer();
    ASSERT_EQ(Session.AmpKind(), akMediaMonkey);
    Session.PlayerJumpToFile();
    EXPECT_EQ(Windows.BroughtToTop.back(), mm.MediaMonkeyWindow());
    EXPECT_TRUE(mm.Commands.empty());
}

TEST_F(PlayerSessionTest, CommandsReachRestartedPlayersNewWindow) {
    StartWinamp();
    const auto oldWindow = Amp->Window();
    Amp.reset();
    Amp = std::make_unique<TFakeWinamp>(Windows, "1. Artist - Song - Winamp");
    ASSERT_NE(Amp->Window(), oldWindow);
    // No poll in between: the command still reaches the new window.
    Session.PlayerNext();
    EXPECT_EQ(Amp->Commands, std::vector<std::uintptr_t>{AMP_NEXT});
}

TEST_F(PlayerSessionTest, ClockWrapsWithTickCount) {
    Clock.Now = 0xFFFFFF00u;
    StartWinamp();
    Clock.Advance(0x200);
    EXPECT_EQ(Session.GetSongPosition(), 0x200);
}
