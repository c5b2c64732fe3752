// Which player on the session bus the session follows: the chooser's rules over time, and the session
// following them with the in-process media-session fake.
#include "player/EasyAmp.h"
#include "player/MprisChooser.h"

#include "platform/fake/FakeMediaSession.h"
#include "platform/fake/FakeWindowSystem.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

using namespace player;
using platform::TFakeClock;
using platform::TFakeMediaSession;
using platform::TFakeWindowSystem;

namespace {

std::string Bus(const std::string& shortName) {
    return "org.mpris.MediaPlayer2." + shortName;
}

// "a:Playing b:Paused c?:Playing" -> candidates; "?" marks a player that did not answer.
std::vector<TMprisCandidate> Players(const std::string& text) {
    std::vector<TMprisCandidate> players;
    std::istringstream in(text);
    std::string word;
    while (in >> word) {
        const auto colon = word.find(':');
        std::string name = word.substr(0, colon);
        const bool answered = name.back() != '?';
        if (!answered)
            name.pop_back();
        players.push_back({Bus(name), word.substr(colon + 1), answered});
    }
    return players;
}

} // namespace

TEST(MprisChooser, ChoiceOverTime) {
    struct {
        std::uint32_t at;
        const char* players;
        const char* pinned;
        const char* expected; // short name, empty for none
    } steps[] = {
        {0, "", "", ""},
        {0, "a:Stopped b:Paused c:Playing", "", "c"},
        // The followed player plays: nobody else takes over.
        {100, "a:Playing b:Paused c:Playing", "", "c"},
        // It stops while another plays: kept for the gap of a track change...
        {200, "a:Playing b:Paused c:Stopped", "", "c"},
        {1000, "a:Playing b:Paused c:Stopped", "", "c"},
        {1500, "a:Playing b:Paused c:Playing", "", "c"},
        // ...and left once it has not played for two seconds.
        {1600, "a:Playing b:Paused c:Paused", "", "c"},
        {3599, "a:Playing b:Paused c:Paused", "", "c"},
        {3600, "a:Playing b:Paused c:Paused", "", "a"},
        // Nobody plays: the followed one stays.
        {3700, "a:Stopped b:Paused c:Paused", "", "a"},
        {9000, "a:Stopped b:Paused c:Paused", "", "a"},
        // The followed one goes: the one that plays, else a paused one, else the first that answers.
        {9100, "b:Paused c:Playing", "", "c"},
        {9200, "a?:Playing b:Paused", "", "b"},
        // A player that does not answer is no player that plays...
        {9300, "a?:Playing b:Paused", "", "b"},
        {20000, "a?:Playing b:Paused", "", "b"},
        // ...and the followed one not answering counts as not playing.
        {20100, "a:Playing b?:Playing", "", "b"},
        {22100, "a:Playing b?:Playing", "", "a"},
        // Pinned: followed whatever it does, while it is there.
        {22200, "a:Playing b:Stopped", "b", "b"},
        {60000, "a:Playing b:Stopped", "b", "b"},
        {60100, "a:Playing", "b", "a"},
        {60200, "a:Playing b:Stopped", "b", "b"},
        // Back to automatic: the pinned one is kept like any followed one.
        {60300, "a:Playing b:Stopped", "", "b"},
        {62299, "a:Playing b:Stopped", "", "b"},
        {62300, "a:Playing b:Stopped", "", "a"},
        // A pinned key that no player has: automatic.
        {62400, "a:Paused b:Playing", "zzz", "a"},
        {62500, "", "zzz", ""},
    };
    TMprisChooser chooser;
    std::string followed;
    for (const auto& step : steps) {
        followed = chooser.Choose(Players(step.players), followed, step.pinned, step.at);
        EXPECT_EQ(followed, *step.expected ? Bus(step.expected) : "")
            << "at " << step.at << ": " << step.players;
    }
}

TEST(MprisChooser, KeysNameEveryInstanceOfAProgram) {
    EXPECT_EQ(MprisPlayerKey("org.mpris.MediaPlayer2.mpv"), "mpv");
    EXPECT_EQ(MprisPlayerKey("org.mpris.MediaPlayer2.vlc.instance1234"), "vlc");
    EXPECT_EQ(MprisPlayerKey("org.mpris.MediaPlayer2.firefox.instance_1_84"), "firefox");
    TMprisChooser chooser;
    const auto players = Players("chromium.instance7:Playing vlc.instance1:Stopped vlc.instance2:Paused");
    EXPECT_EQ(chooser.Choose(players, "", "vlc", 0), Bus("vlc.instance2"))
        << "the pinned program's paused one";
}

namespace {

// Several players on the bus at once, as a user has them: a stopped Rhythmbox, a paused browser and mpv.
class MprisChoiceSessionTest : public ::testing::Test {
protected:
    MprisChoiceSessionTest() : Session(Windows, Clock, &Media) {
        Clock.Now = 100000;
        Session.SetSongChangeListener(&Listener);
        Listener.Session = &Session;
        Add("rhythmbox", "Rhythmbox", "Stopped", "Radio Song");
        Add("firefox.instance_1_7", "Firefox", "Paused", "Video");
        Add("mpv", "mpv", "Playing", "Album Song");
    }

    void Add(const std::string& name, const std::string& identity, const std::string& status,
             const std::string& title) {
        auto& player = Media.AddPlayer(Bus(name), identity);
        player.state.playbackStatus = status;
        player.state.metadata = {"/t/1", title, {identity + " Artist"}, "", 180'000'000};
        player.state.hasPosition = true;
        player.sendsSignals = true;
    }

    // Polls every 100 ms for the given time.
    void Run(int ms) {
        for (int t = 0; t < ms; t += 100) {
            Clock.Advance(100);
            Session.PollPlayer();
        }
    }

    struct TListener : ISongChangeListener {
        void UpdateSong() override {
            Titles.push_back(Session->GetPlayerName() + ": " + Session->GetSongTitle());
        }
        TPlayerSession* Session = nullptr;
        std::vector<std::string> Titles;
    };

    TFakeWindowSystem Windows;
    TFakeClock Clock;
    TFakeMediaSession Media;
    TPlayerSession Session;
    TListener Listener;
};

} // namespace

TEST_F(MprisChoiceSessionTest, FollowsThePlayerThatPlays) {
    Run(200);
    EXPECT_EQ(Listener.Titles, std::vector<std::string>{"mpv: mpv Artist - Album Song"});
    // The user pauses mpv and starts the browser's video: after the gap, the browser is followed.
    Listener.Titles.clear();
    Media.SignalStatus(Bus("mpv"), "Paused");
    Media.SignalStatus(Bus("firefox.instance_1_7"), "Playing");
    Run(1900);
    EXPECT_EQ(Session.GetPlayerName(), "mpv");
    Run(200);
    EXPECT_EQ(Session.GetPlayerName(), "Firefox");
    EXPECT_EQ(Listener.Titles, std::vector<std::string>{"Firefox: Firefox Artist - Video"});
    // mpv plays again while the browser plays on: nothing changes.
    Media.SignalStatus(Bus("mpv"), "Playing");
    Run(3000);
    EXPECT_EQ(Session.GetPlayerName(), "Firefox");
    // The browser goes to its next video: a moment stopped does not flip the choice.
    Media.SignalStatus(Bus("firefox.instance_1_7"), "Stopped");
    Run(800);
    Media.SignalTrack(Bus("firefox.instance_1_7"), {"/t/2", "Next Video", {"Firefox Artist"}, "", -1});
    Media.SignalStatus(Bus("firefox.instance_1_7"), "Playing");
    Run(3000);
    EXPECT_EQ(Session.GetPlayerName(), "Firefox");
    EXPECT_EQ(Session.GetSongTitle(), "Firefox Artist - Next Video");
    // The browser closes: mpv at once.
    Media.RemovePlayer(Bus("firefox.instance_1_7"));
    Run(100);
    EXPECT_EQ(Session.GetPlayerName(), "mpv");
    EXPECT_EQ(Session.AmpKind(), akMpris);
}

TEST_F(MprisChoiceSessionTest, PinnedPlayerIsFollowedWhileItIsThere) {
    Run(200);
    Session.PinMediaPlayer("rhythmbox");
    Run(100);
    EXPECT_EQ(Session.GetPlayerName(), "Rhythmbox");
    EXPECT_EQ(Session.GetSongTitle(), "Stopped");
    Run(5000);
    EXPECT_EQ(Session.GetPlayerName(), "Rhythmbox") << "pinned, though another plays";
    // Gone: the automatic choice; back: followed again.
    Media.RemovePlayer(Bus("rhythmbox"));
    Run(100);
    EXPECT_EQ(Session.GetPlayerName(), "mpv");
    Add("rhythmbox", "Rhythmbox", "Paused", "Radio Song");
    Run(100);
    EXPECT_EQ(Session.GetPlayerName(), "Rhythmbox");
    EXPECT_EQ(Session.GetSongTitle(), "Rhythmbox Artist - Radio Song");
    // Automatic again: left for the one that plays after the gap.
    Session.PinMediaPlayer("");
    Run(1000);
    EXPECT_EQ(Session.GetPlayerName(), "Rhythmbox");
    Run(1100);
    EXPECT_EQ(Session.GetPlayerName(), "mpv");
}

TEST_F(MprisChoiceSessionTest, PlayersAreListedOncePerProgramByTheirOwnNames) {
    Add("vlc.instance1", "VLC media player", "Paused", "One");
    Add("vlc.instance2", "VLC media player", "Paused", "Two");
    Media.AddPlayer(Bus("noname"), "").state.playbackStatus = "Stopped";
    Run(200);
    std::vector<std::string> listed;
    for (const auto& item : Session.MediaPlayers())
        listed.push_back(item.key + "=" + item.identity + (item.followed ? "*" : ""));
    EXPECT_EQ(listed, (std::vector<std::string>{"firefox=Firefox", "mpv=mpv*", "noname=noname",
                                                "rhythmbox=Rhythmbox", "vlc=VLC media player"}));
}

TEST_F(MprisChoiceSessionTest, PlayerThatDoesNotAnswerIsAskedLessAndLessOften) {
    Run(200);
    Media.Player(Bus("rhythmbox")).hangs = true;
    Media.Calls.clear();
    Run(40000);
    std::vector<std::uint32_t> asked;
    int readsOfMpv = 0;
    for (const auto& call : Media.Calls) {
        if (call.name == "ReadState" && call.player == Bus("rhythmbox"))
            asked.push_back(0);
        readsOfMpv += call.name == "ReadState" && call.player == Bus("mpv");
    }
    // Read every 10 s while answering, then after 1, 2, 4, 8, 16 and 16 s of quiet: at most 7 in 40 s.
    EXPECT_LE(asked.size(), 7u);
    EXPECT_GE(asked.size(), 4u);
    EXPECT_GE(readsOfMpv, 40) << "the followed player is read on its own schedule meanwhile";
    EXPECT_EQ(Session.GetPlayerName(), "mpv");
}
