// The MPRIS kind of the player session against the in-process media-session fake.
#include "player/EasyAmp.h"
#include "player/MprisI.h"

#include "platform/fake/FakeMediaSession.h"
#include "platform/fake/FakeWinamp.h"
#include "toolkit/CodePage.h"

#include <gtest/gtest.h>

#include <vector>

using namespace player;
using platform::TFakeClock;
using platform::TFakeMediaSession;
using platform::TFakeWindowSystem;
using platform::TMediaPlayerState;

namespace {

const std::string kMpv = "org.mpris.MediaPlayer2.mpv";
const std::string kVlc = "org.mpris.MediaPlayer2.vlc";

TMediaPlayerState Playing(const std::string& artist, const std::string& title, const std::string& url,
                          std::int64_t positionUs = 0, std::int64_t lengthUs = 185'400'000) {
    TMediaPlayerState state;
    state.playbackStatus = "Playing";
    state.metadata = {"/track/1", title, {artist}, url, lengthUs};
    state.hasPosition = true;
    state.positionUs = positionUs;
    state.hasVolume = true;
    state.volume = 0.5;
    return state;
}

struct TRecordingListener : ISongChangeListener {
    explicit TRecordingListener(TPlayerSession& s) : Session(s) {}
    void UpdateSong() override { Titles.push_back(Session.GetSongTitle()); }
    TPlayerSession& Session;
    std::vector<std::string> Titles;
};

class MprisSessionTest : public ::testing::Test {
protected:
    MprisSessionTest() : Session(Windows, Clock, &Media), Listener(Session) {
        Clock.Now = 500000;
        Session.SetSongChangeListener(&Listener);
    }
    ~MprisSessionTest() override { toolkit::SetActiveCodePage(1252); }

    // Starts mpv playing a song 10 s in and polls until the session follows it.
    TFakeMediaSession::TPlayer& StartMpv() {
        auto& mpv = Media.AddPlayer(kMpv, "mpv");
        mpv.state = Playing("Artist", "Song", "file:///music/Artist%20-%20Song.ogg", 10'000'000);
        Session.PollPlayer(); // detection
        Session.PollPlayer(); // song change, clock anchored
        return mpv;
    }

    // Moves the clock and the player's position together, as in normal play, and polls.
    void Play(std::int32_t ms) {
        Clock.Advance(std::uint32_t(ms));
        Media.Player(kMpv).state.positionUs += std::int64_t(ms) * 1000;
        Session.PollPlayer();
    }

    TFakeWindowSystem Windows;
    TFakeClock Clock;
    TFakeMediaSession Media;
    TPlayerSession Session;
    TRecordingListener Listener;
};

} // namespace

TEST(MprisRules, FileNameFromUrl) {
    struct {
        const char* url;
        const char* path;
    } cases[] = {
        {"file:///music/Artist%20-%20Song.ogg", "/music/Artist - Song.ogg"},
        {"file://localhost/a/b.mp3", "/a/b.mp3"},
        {"FILE:///Upper/Case.flac", "/Upper/Case.flac"},
        {"file:///caf%C3%A9/%e2%82%ac.mp3", "/caf\xc3\xa9/\xe2\x82\xac.mp3"},
        {"file:///bad%zzescape%4", "/bad%zzescape%4"},
        {"file:///nul%00byte", "/nul%00byte"},
        {"file:///with%3Fquestion?query#frag", "/with?question"},
        {"file://otherhost/share/x.mp3", ""},
        {"http://radio.example/stream.mp3", ""},
        {"", ""},
        {"file://", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MprisFileName(c.url), c.path) << c.url;
}

TEST(MprisRules, TitleFromState) {
    struct {
        const char* status;
        std::vector<std::string> artists;
        const char* title;
        const char* url;
        const char* expected;
    } cases[] = {
        {"Playing", {"Artist"}, "Song", "file:///m/x.ogg", "Artist - Song"},
        {"Paused", {"Artist"}, "Song", "", "Artist - Song"},
        {"Playing", {}, "Song", "", "Song"},
        {"Playing", {"  "}, "Song", "", "Song"},
        {"Playing", {"A", "B"}, "Duet", "", "A, B - Duet"},
        {"Playing", {"A", " ", "C"}, "Trio", "", "A, C - Trio"},
        {"Playing", {"Artist"}, "", "file:///m/Some%20Name.tar.ogg", "Some Name.tar"},
        {"Playing", {}, " ", "file:///m/.hidden", ".hidden"},
        {"Playing", {}, "", "http://radio.example/live/stream.mp3?id=4", "stream"},
        {"Playing", {}, "", "", ""},
        {"Stopped", {"Artist"}, "Song", "file:///m/x.ogg", "Stopped"},
        {"", {"Artist"}, "Song", "", "Artist - Song"},
        // An untagged file: the player tells its file name as the title, whatever the extension.
        {"Playing", {}, "Artist - Title.flac", "file:///m/Artist%20-%20Title.flac", "Artist - Title"},
        {"Playing", {}, "Band - Song.opus", "file:///m/Band%20-%20Song.opus", "Band - Song"},
        {"Playing", {}, "Live.2019.mkv", "https://v.example/Live.2019.mkv?t=3", "Live.2019"},
        // A title that is not the file's name keeps its dots.
        {"Playing", {}, "Vol. 2.5", "file:///m/track02.flac", "Vol. 2.5"},
        {"Playing", {"Artist"}, "Title.flac", "file:///m/Other.flac", "Artist - Title.flac"},
    };
    for (const auto& c : cases) {
        TMediaPlayerState state;
        state.playbackStatus = c.status;
        state.metadata.artists = c.artists;
        state.metadata.title = c.title;
        state.metadata.url = c.url;
        EXPECT_EQ(MprisTitle(state), c.expected) << c.status << "|" << c.title << "|" << c.url;
    }
}

TEST_F(MprisSessionTest, DetectsPlayerByItsOwnNameAndReadsTheSong) {
    StartMpv();
    EXPECT_EQ(Session.AmpKind(), akMpris);
    EXPECT_EQ(Session.GetPlayerName(), "mpv");
    EXPECT_EQ(Listener.Titles, std::vector<std::string>{"Artist - Song"});
    EXPECT_EQ(Session.GetSongFileName(), "/music/Artist - Song.ogg");
    EXPECT_EQ(Session.GetSongPosition(), 10000);
    EXPECT_EQ(Session.GetSongLength(), 185000) << "185.4 s reads as 185 whole seconds";
}

TEST_F(MprisSessionTest, PlayerWithoutIdentityIsNamedAfterItsBusName) {
    Media.AddPlayer("org.mpris.MediaPlayer2.mpv.instance4242", "").state = Playing("A", "B", "");
    Session.DetectPlayer();
    EXPECT_EQ(Session.GetPlayerName(), "mpv");
}

TEST_F(MprisSessionTest, ChoosesThePlayingPlayerAndKeepsItWhileItLives) {
    Media.AddPlayer(kMpv, "mpv").state = Playing("A", "Paused one", "");
    Media.Player(kMpv).state.playbackStatus = "Paused";
    Media.AddPlayer(kVlc, "VLC media player").state = Playing("B", "Playing one", "");
    Session.DetectPlayer();
    EXPECT_EQ(Session.GetPlayerName(), "VLC media player");

    // mpv starts playing: the choice stays with VLC while VLC lives.
    Media.Player(kMpv).state.playbackStatus = "Playing";
    Session.PollPlayer();
    Session.DetectPlayer();
    EXPECT_EQ(Session.GetPlayerName(), "VLC media player");
    EXPECT_EQ(Session.GetSongTitle(), "B - Playing one");

    // VLC quits: the next poll moves to mpv in one song change.
    Listener.Titles.clear();
    Media.RemovePlayer(kVlc);
    Session.PollPlayer();
    EXPECT_EQ(Session.GetPlayerName(), "mpv");
    EXPECT_EQ(Listener.Titles, std::vector<std::string>{"A - Paused one"});
}

TEST_F(MprisSessionTest, NonePlayingTakesAPausedOneElseTheFirstInNameOrder) {
    Media.AddPlayer(kVlc, "VLC").state.playbackStatus = "Paused";
    Media.AddPlayer(kMpv, "mpv").state.playbackStatus = "Stopped";
    Session.DetectPlayer();
    EXPECT_EQ(Session.GetPlayerName(), "VLC");

    TPlayerSession session(Windows, Clock, &Media);
    Media.Player(kVlc).state.playbackStatus = "Stopped";
    session.DetectPlayer();
    EXPECT_EQ(session.GetPlayerName(), "mpv");
}

TEST_F(MprisSessionTest, WindowPlayersComeFirst) {
    Media.AddPlayer(kMpv, "mpv").state = Playing("A", "B", "");
    platform::TFakeWinamp amp(Windows, "1. X - Y - Winamp");
    Session.DetectPlayer();
    EXPECT_EQ(Session.AmpKind(), akWinamp);
    amp.Quit();
    Session.DetectPlayer();
    EXPECT_EQ(Session.AmpKind(), akMpris);
}

TEST_F(MprisSessionTest, NoMediaSessionFindsNothing) {
    TPlayerSession session(Windows, Clock);
    session.DetectPlayer();
    EXPECT_EQ(session.AmpKind(), akNone);
}

TEST_F(MprisSessionTest, TextReachesTheProgramInTheActiveCodePage) {
    auto& mpv = Media.AddPlayer(kMpv, "mpv");
    mpv.state = Playing("Bj\xc3\xb6rk", "J\xc3\xb3ga\nlive\t", "file:///m/Bj%C3%B6rk.ogg");
    Session.PollPlayer();
    Session.PollPlayer();
    EXPECT_EQ(Session.GetSongTitle(), "Bj\xf6rk - J\xf3ga live ");
    EXPECT_EQ(Session.GetSongFileName(), "/m/Bj\xc3\xb6rk.ogg"); // the file system's own bytes, not converted

    toolkit::SetActiveCodePage(1251);
    mpv.state.metadata.artists = {"\xd0\x9a\xd0\xb8\xd0\xbd\xd0\xbe"}; // Кино
    mpv.state.metadata.title = "\xe2\x82\xac";                         // €
    Clock.Advance(100);
    Session.PollPlayer();
    EXPECT_EQ(Session.GetSongTitle(), "\xca\xe8\xed\xee - \x88");

    toolkit::SetActiveCodePage(toolkit::kCodePageUtf8); // every character kept
    mpv.state.metadata.title = "\xe6\x97\xa5\xe6\x9c\xac \xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d"; // 日本 שלום
    Clock.Advance(100);
    Session.PollPlayer();
    EXPECT_EQ(Session.GetSongTitle(),
              "\xd0\x9a\xd0\xb8\xd0\xbd\xd0\xbe - \xe6\x97\xa5\xe6\x9c\xac \xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d");
    toolkit::SetActiveCodePage(1252);
}

TEST_F(MprisSessionTest, StoppedAndTitleless) {
    auto& mpv = StartMpv();
    mpv.state.playbackStatus = "Stopped";
    Clock.Advance(100);
    Session.PollPlayer();
    EXPECT_EQ(Listener.Titles.back(), "Stopped");
    EXPECT_EQ(Session.AmpKind(), akMpris) << "a stopped player stays the player";
    mpv.state = Playing("", "", "file:///music/Track%2007.flac");
    Clock.Advance(100);
    Session.PollPlayer();
    EXPECT_EQ(Listener.Titles.back(), "Stopped") << "a file's name alone waits a moment for its tags";
    Clock.Advance(500);
    Session.PollPlayer();
    EXPECT_EQ(Listener.Titles.back(), "Track 07");
}

TEST_F(MprisSessionTest, ClockReadsNeverAskTheBus) {
    auto& mpv = StartMpv();
    Play(100);
    Media.Calls.clear();
    const int readsBefore = Clock.Reads;
    Clock.Advance(40);
    const auto p1 = Session.GetSongPosition();
    Clock.Advance(12);
    EXPECT_EQ(Session.GetSongPosition(), p1 + 12);
    EXPECT_TRUE(Media.Calls.empty()) << "a clock read while running";
    EXPECT_EQ(Clock.Reads - readsBefore, 2);
    EXPECT_EQ(Session.GetSongLength(), 185000);
    EXPECT_TRUE(Media.Calls.empty()) << "the length comes from the last reading";

    // Paused: a clock read still does not ask; the next poll notices the resumption.
    mpv.state.playbackStatus = "Paused";
    Clock.Advance(100);
    Session.PollPlayer();
    ASSERT_TRUE(Session.Paused());
    Media.Calls.clear();
    Clock.Advance(500);
    const auto frozen = Session.GetSongPosition();
    EXPECT_TRUE(Media.Calls.empty()) << "a clock read while paused";
    mpv.state.playbackStatus = "Playing";
    mpv.state.positionUs += 20'000;
    Session.PollPlayer();
    EXPECT_FALSE(Session.Paused());
    EXPECT_EQ(Session.GetSongPosition(), frozen + 20);
}

TEST_F(MprisSessionTest, FollowedPlayerIsReadOftenUntilItsSignalsCanBeReliedOn) {
    auto& mpv = StartMpv();
    auto readsOver = [&](int ms) {
        Media.Calls.clear();
        for (int t = 0; t < ms; t += 50)
            Play(50);
        return Media.CountOf("ReadState");
    };
    EXPECT_EQ(readsOver(1000), 10) << "a player that has not signalled: every 100 ms";
    // Once it signals, a status signal is followed by a read at once and one as the player settles, then
    // reads come once a second.
    Media.SignalStatus(kMpv, "Playing");
    EXPECT_EQ(readsOver(3000), 2 + 2);
    // A read finds a change no signal told: every 100 ms again. A new track found so is only believed once
    // no signal has told it for a second (a read may catch a player halfway through a track change).
    mpv.state.metadata.title = "Untold";
    readsOver(1000);
    EXPECT_EQ(Session.GetSongTitle(), "Artist - Song");
    readsOver(1000);
    EXPECT_EQ(Session.GetSongTitle(), "Artist - Untold");
    EXPECT_EQ(readsOver(1000), 10);
}

TEST_F(MprisSessionTest, TrackReadHalfwayIsSetAsideForTheSignal) {
    auto& mpv = StartMpv();
    Media.SignalStatus(kMpv, "Playing");
    Play(1000);
    // The read catches the player naming the file before it has read the tags; the signal follows.
    Listener.Titles.clear();
    mpv.state.metadata = {"/track/2", "next.ogg", {}, "file:///music/next.ogg", 100'000'000};
    mpv.state.positionUs = 0;
    Play(1000);
    EXPECT_TRUE(Listener.Titles.empty());
    Media.SignalTrack(kMpv, {"/track/2", "Next", {"Artist"}, "file:///music/next.ogg", 100'000'000});
    Play(50);
    EXPECT_EQ(Listener.Titles, std::vector<std::string>{"Artist - Next"});
    EXPECT_EQ(Session.GetSongPosition(), 1050) << "where the read after the signal finds the player";

    // The player itself names the file first and tells its tags a moment later: one song change.
    Listener.Titles.clear();
    mpv.state.positionUs = 0;
    Media.SignalTrack(kMpv, {"/track/3", "third.ogg", {}, "file:///music/third.ogg", 100'000'000});
    Play(50);
    Play(50);
    Media.SignalTrack(kMpv, {"/track/3", "Third", {"Artist"}, "file:///music/third.ogg", 100'000'000});
    Play(50);
    EXPECT_EQ(Listener.Titles, std::vector<std::string>{"Artist - Third"});
    EXPECT_EQ(Session.GetSongPosition(), 150);
}

TEST_F(MprisSessionTest, PauseAndResumeFollowThePlaybackStatus) {
    struct {
        const char* name;
        bool hasPosition;
        bool moves; // the position the player tells moves while it plays
        std::int32_t played, frozen, resumed;
    } cases[] = {
        // Frozen where the player says it stopped; resumed from where it says it is.
        {"moving position", true, true, 31000, 31000, 31500},
        // The clock starts at 0, freezes where it stands at the poll that sees the pause and runs on from
        // there at the poll that sees the resumption.
        {"no position", false, false, 1000, 1100, 1500},
        // A position that stands while the player plays is not believed: the clock runs, pauses and
        // resumes on its own, from where the player stood at the start.
        {"standing position", true, false, 31000, 31100, 31500},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TFakeWindowSystem windows;
        TFakeClock clock;
        TFakeMediaSession media;
        TPlayerSession session(windows, clock, &media);
        auto& mpv = media.AddPlayer(kMpv, "mpv");
        mpv.state = Playing("A", "B", "", 30'000'000);
        mpv.state.hasPosition = c.hasPosition;
        session.PollPlayer();
        session.PollPlayer();
        auto play = [&](int ms, bool playing) {
            for (int t = 0; t < ms; t += 100) {
                clock.Advance(100);
                if (playing && c.moves)
                    mpv.state.positionUs += 100'000;
                session.PollPlayer();
            }
        };
        play(1000, true);
        EXPECT_EQ(session.GetSongPosition(), c.played);
        mpv.state.playbackStatus = "Paused";
        play(100, false);
        EXPECT_TRUE(session.Paused());
        EXPECT_EQ(session.GetSongPosition(), c.frozen);
        play(2000, false);
        EXPECT_EQ(session.GetSongPosition(), c.frozen);
        mpv.state.playbackStatus = "Playing";
        play(500, true);
        EXPECT_FALSE(session.Paused());
        EXPECT_EQ(session.GetSongPosition(), c.resumed);
    }
}

TEST_F(MprisSessionTest, ClockRunsAtThePlayersRate) {
    auto& mpv = StartMpv();
    auto play = [&](int ms, double rate) {
        Clock.Advance(std::uint32_t(ms));
        mpv.state.positionUs += std::int64_t(ms * rate * 1000);
        Session.PollPlayer();
    };
    // The player goes 1.5 times as fast: the clock goes with it, between polls too, over seconds.
    mpv.state.hasRate = true;
    mpv.state.rate = 1.5;
    for (int i = 0; i < 50; ++i) {
        play(100, 1.5);
        ASSERT_EQ(Session.GetSongPosition(), mpv.state.positionUs / 1000) << "poll " << i;
    }
    Clock.Advance(40);
    EXPECT_EQ(Session.GetSongPosition(), mpv.state.positionUs / 1000 + 60);
    Clock.Advance(60);
    mpv.state.positionUs += 150'000;
    // Half speed, told by a signal: the clock changes speed at once.
    Media.SignalRate(kMpv, 0.5);
    Session.PollPlayer();
    const std::int32_t at = Session.GetSongPosition();
    EXPECT_EQ(at, mpv.state.positionUs / 1000);
    Clock.Advance(1000);
    EXPECT_EQ(Session.GetSongPosition(), at + 500);
    // A rate of 0 stands the song still; a rate the player cannot mean is taken as normal speed.
    Media.SignalRate(kMpv, 0);
    Session.PollPlayer();
    EXPECT_TRUE(Session.Paused());
    Media.SignalRate(kMpv, -2);
    Session.PollPlayer();
    EXPECT_FALSE(Session.Paused());
    const std::int32_t from = Session.GetSongPosition();
    Clock.Advance(100);
    EXPECT_EQ(Session.GetSongPosition(), from + 100);
}

TEST_F(MprisSessionTest, SignalsAreFollowedAtTheNextPoll) {
    auto& mpv = StartMpv();
    Play(100);
    // A seek the player tells moves the clock, however short.
    Media.SignalSeek(kMpv, 10'400'000);
    Clock.Advance(10);
    Session.PollPlayer();
    EXPECT_EQ(Session.GetSongPosition(), 10400);
    // A pause told freezes the clock where the player says it stands.
    mpv.state.positionUs = 10'450'000;
    Clock.Advance(50);
    Media.SignalStatus(kMpv, "Paused");
    Session.PollPlayer();
    EXPECT_TRUE(Session.Paused());
    EXPECT_EQ(Session.GetSongPosition(), 10450);
    // A new track told: the song change, with the clock at the new track's position.
    Listener.Titles.clear();
    mpv.state.positionUs = 0;
    mpv.state.playbackStatus = "Playing";
    Media.SignalTrack(kMpv, {"/track/2", "Next", {"Artist"}, "", 200'000'000});
    Clock.Advance(10);
    Session.PollPlayer();
    EXPECT_EQ(Listener.Titles, std::vector<std::string>{"Artist - Next"});
    EXPECT_FALSE(Session.Paused());
    EXPECT_EQ(Session.GetSongPosition(), 0);
    EXPECT_EQ(Session.GetSongLength(), 200000);
}

TEST_F(MprisSessionTest, ClockStartsWhereThePlayerStands) {
    // Joined 1.2 s into a song (less than a jump): the clock starts at the player's position, not at 0.
    auto& mpv = Media.AddPlayer(kMpv, "mpv");
    mpv.state = Playing("A", "B", "", 1'200'000);
    Session.PollPlayer();
    Session.PollPlayer();
    EXPECT_EQ(Session.GetSongPosition(), 1200);
    // The next song starts 40 ms in, close to where the old one stood: again no lag.
    mpv.state = Playing("A", "C", "", 40'000);
    Clock.Advance(100);
    Session.PollPlayer();
    EXPECT_EQ(Session.GetSongTitle(), "A - C");
    EXPECT_EQ(Session.GetSongPosition(), 40);
    Clock.Advance(100);
    mpv.state.positionUs += 100'000;
    Session.PollPlayer();
    EXPECT_EQ(Session.GetSongPosition(), 140);
}

TEST_F(MprisSessionTest, SeekReanchorsTheClock) {
    auto& mpv = StartMpv();
    Play(100);
    ASSERT_EQ(Session.GetSongPosition(), 10100);
    mpv.state.positionUs += 10'000'000;
    Play(100);
    EXPECT_EQ(Session.GetSongPosition(), 20200);
}

TEST_F(MprisSessionTest, PlayerQuittingGivesOneSongChangeToNoPlayer) {
    StartMpv();
    Listener.Titles.clear();
    Media.RemovePlayer(kMpv);
    for (int i = 0; i < 4; ++i) {
        Clock.Advance(100);
        Session.PollPlayer();
    }
    EXPECT_EQ(Listener.Titles, std::vector<std::string>{"No Player Detected"});
    EXPECT_EQ(Session.AmpKind(), akNone);
    EXPECT_EQ(Session.GetPlayerName(), "No Player Detected");
    EXPECT_EQ(Session.GetSongFileName(), "");
}

TEST_F(MprisSessionTest, HangingPlayerIsLeftAloneForASecond) {
    auto& mpv = StartMpv();
    Play(100);
    Listener.Titles.clear();
    mpv.hangs = true;
    Media.Calls.clear();
    for (int i = 0; i < 10; ++i)
        Play(100);
    // The first poll timed out; the next nine, within the quiet second, did not ask.
    EXPECT_EQ(Media.CountOf("ReadState"), 1);
    EXPECT_TRUE(Listener.Titles.empty()) << "the last title stands";
    EXPECT_FALSE(Session.Paused()) << "an unanswered reading is no pause";
    EXPECT_EQ(Session.GetSongPosition(), 11100);
    Play(100);
    EXPECT_EQ(Media.CountOf("ReadState"), 2) << "asked again after the quiet second";
    mpv.hangs = false;
    Play(1000);
    Play(100);
    EXPECT_EQ(Media.CountOf("ReadState"), 4);
    EXPECT_EQ(Session.GetSongPosition(), 10000 + 100 * 13 + 1000);
    EXPECT_TRUE(Listener.Titles.empty());
}

TEST_F(MprisSessionTest, TransportCommands) {
    struct TExpected {
        const char* name;
        double value;
        const char* text;
    };
    struct {
        const char* op;
        void (*run)(TPlayerSession&);
        std::vector<TExpected> calls;
    } cases[] = {
        {"play", [](TPlayerSession& s) { s.PlayerPlay(); }, {{"Play", 0, ""}}},
        {"pause", [](TPlayerSession& s) { s.PlayerPause(); }, {{"PlayPause", 0, ""}}},
        {"stop", [](TPlayerSession& s) { s.PlayerStop(); }, {{"Stop", 0, ""}}},
        {"next", [](TPlayerSession& s) { s.PlayerNext(); }, {{"Next", 0, ""}}},
        {"prev", [](TPlayerSession& s) { s.PlayerPrev(); }, {{"Previous", 0, ""}}},
        {"vol+", [](TPlayerSession& s) { s.PlayerVolumeUp(); }, {{"Volume", 0, ""}, {"SetVolume", 0.55, ""}}},
        {"vol-",
         [](TPlayerSession& s) { s.PlayerVolumeDown(); },
         {{"Volume", 0, ""}, {"SetVolume", 0.45, ""}}},
        {"fwd", [](TPlayerSession& s) { s.PlayerForward5s(); }, {{"Seek", 5e6, ""}}},
        {"back", [](TPlayerSession& s) { s.PlayerBack5s(); }, {{"Seek", -5e6, ""}}},
        {"seek", [](TPlayerSession& s) { s.PlayerSeek(42000); }, {{"SetPosition", 42e6, "/track/1"}}},
        {"seek<0", [](TPlayerSession& s) { s.PlayerSeek(-3000); }, {{"SetPosition", 0, "/track/1"}}},
        {"jump", [](TPlayerSession& s) { s.PlayerJumpToFile(); }, {{"Raise", 0, ""}}},
    };
    for (const auto& c : cases) {
        TFakeWindowSystem windows;
        TFakeClock clock;
        TFakeMediaSession media;
        TPlayerSession session(windows, clock, &media);
        media.AddPlayer(kMpv, "mpv").state = Playing("A", "B", "", 10'000'000);
        session.PollPlayer();
        session.PollPlayer();
        media.Calls.clear();
        c.run(session);
        ASSERT_EQ(media.Calls.size(), c.calls.size()) << c.op;
        for (std::size_t i = 0; i < c.calls.size(); ++i) {
            EXPECT_EQ(media.Calls[i].player, kMpv) << c.op;
            EXPECT_EQ(media.Calls[i].name, c.calls[i].name) << c.op;
            EXPECT_DOUBLE_EQ(media.Calls[i].value, c.calls[i].value) << c.op;
            EXPECT_EQ(media.Calls[i].text, c.calls[i].text) << c.op;
        }
    }
}

TEST_F(MprisSessionTest, SeekWithoutTrackIdMovesByTheDifference) {
    auto& mpv = StartMpv();
    mpv.state.metadata.trackId = "/org/mpris/MediaPlayer2/TrackList/NoTrack";
    Play(100);
    Media.Calls.clear();
    Session.PlayerSeek(4100); // the clock stands at 10100
    ASSERT_EQ(Media.Calls.size(), 1u);
    EXPECT_EQ(Media.Calls[0].name, "Seek");
    EXPECT_DOUBLE_EQ(Media.Calls[0].value, -6e6);
}

TEST_F(MprisSessionTest, VolumeStaysWithinRange) {
    struct {
        double from;
        bool up;
        double to;
    } cases[] = {{0.98, true, 1.0}, {1.5, true, 1.5}, {0.02, false, 0.0}, {1.5, false, 1.45}};
    for (const auto& c : cases) {
        auto& mpv = StartMpv();
        mpv.state.volume = c.from;
        c.up ? Session.PlayerVolumeUp() : Session.PlayerVolumeDown();
        EXPECT_DOUBLE_EQ(mpv.state.volume, c.to) << c.from << (c.up ? " up" : " down");
    }
}

TEST_F(MprisSessionTest, CommandsWithoutPlayerDoNothing) {
    Session.PollPlayer();
    Media.Calls.clear();
    Session.PlayerPlay();
    Session.PlayerVolumeUp();
    Session.PlayerSeek(1000);
    Session.PlayerJumpToFile();
    EXPECT_TRUE(Media.Calls.empty());
}
