// The session with Quintessential Player, Sonique and Windows Media Player: detection order among several
// players, and each kind's title, position, length, file name, alive test and transport.
#include "player/EasyAmp.h"
#include "player/QCDI.h"

#include "platform/fake/FakeMediaSession.h"
#include "platform/fake/FakeNamedObjects.h"
#include "platform/fake/FakeQcd.h"
#include "platform/fake/FakeSonique.h"
#include "platform/fake/FakeWinamp.h"
#include "toolkit/tests/TempFolder.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace player;
using platform::TFakeClock;
using platform::TFakeMediaSession;
using platform::TFakeNamedObjects;
using platform::TFakeQcd;
using platform::TFakeSonique;
using platform::TFakeWinamp;
using platform::TFakeWindowSystem;
using testing_support::TTempFolder;

namespace {

const char kWmpPlaying[] = "Artist - Song - Windows Media Player";

struct TRecordingListener : ISongChangeListener {
    explicit TRecordingListener(TPlayerSession& s) : Session(s) {}
    void UpdateSong() override { Titles.push_back(Session.GetSongTitle()); }
    TPlayerSession& Session;
    std::vector<std::string> Titles;
};

// One session with every kind of player it can find; the players are added by the tests.
struct TWorld {
    TWorld() {
        Clock.Now = 1000000;
        Session.SetSongChangeListener(&Listener);
    }

    // Detection, then the song change, as the first two polls of a run.
    void Follow() {
        Session.PollPlayer();
        Session.PollPlayer();
    }

    TFakeWindowSystem Windows;
    TFakeClock Clock;
    TFakeNamedObjects Named;
    TFakeMediaSession Media;
    TSoniqueI Sonique{Windows, Named};
    TPlayerSession Session{Windows, Clock, &Media, &Sonique};
    TRecordingListener Listener{Session};
};

// A message as the player's window received it.
struct TGot {
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
    bool posted;
    bool operator==(const TGot& o) const {
        return message == o.message && wParam == o.wParam && lParam == o.lParam && posted == o.posted;
    }
};

std::ostream& operator<<(std::ostream& out, const TGot& g) {
    return out << '{' << g.message << ',' << g.wParam << ',' << g.lParam
               << (g.posted ? ",posted}" : ",sent}");
}

using TGotList = std::vector<TGot>;

TGotList Command(std::uintptr_t command, int times = 1) {
    return TGotList(std::size_t(times), TGot{platform::WM_COMMAND_, command, 0, false});
}

TGotList Press(std::uintptr_t key, char character) {
    return {{platform::WM_KEYDOWN_, key, 1, true},
            {platform::WM_CHAR_, std::uintptr_t(static_cast<unsigned char>(character)), 1, true},
            {platform::WM_KEYUP_, key, std::intptr_t(0xC0000001u), true}};
}

TGotList operator+(TGotList a, const TGotList& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Every message but the position and length queries, as received by the window.
TGotList Received(const TFakeWindowSystem& windows, platform::WindowHandle window) {
    TGotList got;
    for (const auto& m : windows.Messages)
        if (m.window == window && m.message != QCD_GET_LENGTH && m.message != QCD_GET_POSITION)
            got.push_back({m.message, m.wParam, m.lParam, m.posted});
    return got;
}

} // namespace

TEST(SessionDetection, OrderAmongSeveralPlayers) {
    enum : unsigned { Qcd = 1, Wmp = 2, Sonique = 4, MediaMonkey = 8, Winamp = 16, Mpris = 32 };
    struct {
        unsigned present;
        ampKindT kind;
    } cases[] = {
        {Qcd | Wmp | Sonique | MediaMonkey | Winamp | Mpris, akQcd},
        {Wmp | Sonique | MediaMonkey | Winamp | Mpris, akWmp},
        {Sonique | MediaMonkey | Winamp | Mpris, akSonique},
        {MediaMonkey | Mpris, akMediaMonkey},
        {Winamp | Mpris, akWinamp},
        {Mpris, akMpris},
        {Qcd | Mpris, akQcd},
        {Sonique | Winamp, akSonique},
        {0, akNone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.present);
        TWorld world;
        std::unique_ptr<TFakeQcd> qcd;
        std::unique_ptr<TFakeSonique> sonique;
        std::unique_ptr<TFakeWinamp> amp;
        if (c.present & Qcd)
            qcd = std::make_unique<TFakeQcd>(world.Windows, "QCD: [1/2] A / B");
        if (c.present & Wmp)
            world.Windows.AddWindow("WMPlayerApp", kWmpPlaying);
        if (c.present & Sonique)
            sonique = std::make_unique<TFakeSonique>(world.Windows, world.Named);
        if (c.present & (MediaMonkey | Winamp))
            amp = std::make_unique<TFakeWinamp>(world.Windows, "1. A - B - Winamp",
                                                (c.present & MediaMonkey) != 0);
        if (c.present & Mpris)
            world.Media.AddPlayer("org.mpris.MediaPlayer2.mpv", "mpv").state.playbackStatus = "Playing";
        world.Session.DetectPlayer();
        EXPECT_EQ(world.Session.AmpKind(), c.kind);
        EXPECT_EQ(world.Session.AmpWindow(),
                  qcd && c.kind == akQcd                                             ? qcd->Window()
                  : amp && c.kind != akWmp && c.kind != akSonique && c.kind != akQcd ? amp->Window()
                                                                                     : platform::kNoWindow);
        if (c.kind != akMpris) {
            EXPECT_EQ(world.Session.GetPlayerName(), AmpInfoFor(c.kind).name);
        }
    }
}

TEST(SessionDetection, APlayerIsKeptWhileItLives) {
    TWorld world;
    auto sonique = std::make_unique<TFakeSonique>(world.Windows, world.Named);
    world.Follow();
    ASSERT_EQ(world.Session.AmpKind(), akSonique);
    // Quintessential Player comes first in the search, but the running player is kept.
    TFakeQcd qcd(world.Windows, "QCD: [1/2] A / B");
    world.Session.PollPlayer();
    world.Session.DetectPlayer();
    EXPECT_EQ(world.Session.AmpKind(), akSonique);
    sonique->Quit();
    world.Session.PollPlayer(); // the title is gone: "Stopped", and the search finds the other player
    EXPECT_EQ(world.Session.AmpKind(), akQcd);
    world.Session.PollPlayer();
    EXPECT_EQ(world.Session.GetSongTitle(), " A - B");
}

TEST(QcdSession, TitlePositionLengthAndNoFileName) {
    TWorld world;
    TFakeQcd qcd(world.Windows, "QCD: [1/12] Artist / Song");
    qcd.PositionMs = 30000;
    qcd.LengthMs = 245500;
    world.Follow();
    EXPECT_EQ(world.Session.AmpKind(), akQcd);
    EXPECT_EQ(world.Session.GetPlayerName(), "QCD");
    EXPECT_EQ(world.Listener.Titles, std::vector<std::string>{" Artist - Song"});
    EXPECT_EQ(world.Session.GetSongFileName(), "");
    EXPECT_EQ(world.Session.GetSongPosition(), 30000) << "the jump from 0 re-anchors the clock";
    EXPECT_EQ(world.Session.GetSongLength(), 245000);
    world.Clock.Advance(100);
    qcd.PositionMs += 100;
    world.Session.PollPlayer();
    EXPECT_EQ(world.Session.GetSongPosition(), 30100);
    // The position goes to the window found at detection, with both parameters all bits set.
    const auto& last = qcd.Queries.back();
    EXPECT_EQ(last.message, QCD_GET_POSITION);
    EXPECT_EQ(last.wParam, ~std::uintptr_t(0));
    EXPECT_EQ(last.lParam, -1);
    // Granularity 1 ms: a position standing still while the clock runs is a pause.
    world.Clock.Advance(100);
    world.Session.PollPlayer();
    EXPECT_TRUE(world.Session.Paused());
    EXPECT_EQ(world.Session.GetSongPosition(), 30100);
}

TEST(QcdSession, OnlyThePlayersNameKeepsTheSong) {
    TWorld world;
    TFakeQcd qcd(world.Windows, "QCD: [1/12] Artist / Song");
    world.Follow();
    qcd.SetCaption("Quintessential Player");
    for (int i = 0; i < 3; ++i)
        world.Session.PollPlayer();
    EXPECT_EQ(world.Listener.Titles, std::vector<std::string>{" Artist - Song"});
    EXPECT_EQ(world.Session.GetSongTitle(), " Artist - Song");
    qcd.SetCaption("QCD: [2/12] Other / Tune");
    world.Session.PollPlayer();
    EXPECT_EQ(world.Listener.Titles.back(), " Other - Tune");
}

TEST(QcdSession, OnlyThePlayersNameAtTheStartIsStopped) {
    TWorld world;
    TFakeQcd qcd(world.Windows, "Quintessential Player");
    world.Follow();
    EXPECT_EQ(world.Session.AmpKind(), akQcd);
    EXPECT_EQ(world.Listener.Titles, std::vector<std::string>{"Stopped"});
}

TEST(SoniqueSession, TitleFileNamePositionAndLength) {
    TTempFolder temp;
    const std::string song = temp / "Song.mp3";
    TTempFolder::WriteFile(song, std::string(200, 'x'));
    TWorld world;
    TFakeSonique sonique(world.Windows, world.Named);
    sonique.SetPath(song);
    sonique.SetPositionMs(12000);
    sonique.SetLengthMs(199999);
    world.Sonique.SoniqueRemote1.RefreshInformation();
    world.Follow();
    EXPECT_EQ(world.Session.AmpKind(), akSonique);
    EXPECT_EQ(world.Session.GetPlayerName(), "Sonique");
    EXPECT_EQ(world.Listener.Titles, std::vector<std::string>{"Song"});
    EXPECT_EQ(world.Session.GetSongFileName(), song);
    EXPECT_EQ(world.Session.GetSongPosition(), 12000);
    EXPECT_EQ(world.Session.GetSongLength(), 199000);
}

TEST(SoniqueSession, ATitleOfADashAloneIsStopped) {
    TTempFolder temp;
    const std::string song = temp / "-.mp3";
    TTempFolder::WriteFile(song, "x");
    TWorld world;
    TFakeSonique sonique(world.Windows, world.Named);
    sonique.SetPath(song);
    world.Sonique.SoniqueRemote1.RefreshInformation();
    ASSERT_EQ(world.Sonique.SoniqueTitle(), "-");
    world.Follow();
    EXPECT_EQ(world.Session.AmpKind(), akSonique);
    EXPECT_EQ(world.Session.GetSongTitle(), "Stopped");
}

TEST(WmpSession, ClockRunsFromTheSongChangeWithoutPauses) {
    TWorld world;
    const auto window = world.Windows.AddWindow("WMPlayerApp", "Windows Media Player");
    world.Follow();
    EXPECT_EQ(world.Session.AmpKind(), akWmp);
    EXPECT_EQ(world.Session.GetPlayerName(), "WMP");
    EXPECT_EQ(world.Session.GetSongTitle(), "Stopped");
    world.Windows.SetCaption(window, kWmpPlaying);
    world.Clock.Advance(3000);
    world.Session.PollPlayer();
    EXPECT_EQ(world.Listener.Titles.back(), "Artist - Song ");
    EXPECT_EQ(world.Session.GetSongFileName(), "");
    EXPECT_EQ(world.Session.GetSongPosition(), 0);
    EXPECT_EQ(world.Session.GetSongLength(), 0);
    // The player tells no position: the clock runs on the tick count, polled every 100 ms or every 10 s.
    for (std::uint32_t elapsed = 0; elapsed < 5000000;) {
        const std::uint32_t step = elapsed < 60000 ? 100 : 10000;
        world.Clock.Advance(step);
        elapsed += step;
        world.Session.PollPlayer();
        ASSERT_FALSE(world.Session.Paused()) << elapsed;
        ASSERT_EQ(world.Session.GetSongPosition(), std::int32_t(elapsed));
    }
}

TEST(SessionTransport, TheThreeKindsPerCommand) {
    enum TKind { Qcd, Sonique, Wmp };
    const TGotList none;
    struct {
        const char* name;
        void (*op)(TPlayerSession&);
        TGotList qcd, sonique, wmp;
    } cases[] = {
        {"play",
         [](TPlayerSession& s) { s.PlayerPlay(); },
         Command(QCD_STOP) + Command(QCD_PLAY),
         Press(86, 'v') + Press(88, 'x'),
         {{platform::WM_KEYDOWN_, 250, 0, false}, {platform::WM_KEYUP_, 250, 0, false}}},
        {"pause", [](TPlayerSession& s) { s.PlayerPause(); }, Command(QCD_PAUSE), Press(67, 'C'), none},
        {"stop", [](TPlayerSession& s) { s.PlayerStop(); }, Command(QCD_STOP), Press(86, 'v'), none},
        {"next", [](TPlayerSession& s) { s.PlayerNext(); }, Command(QCD_NEXT), Press(66, 'b'), none},
        {"prev", [](TPlayerSession& s) { s.PlayerPrev(); }, Command(QCD_PREV), Press(90, 'z'), none},
        {"volume up",
         [](TPlayerSession& s) { s.PlayerVolumeUp(); },
         Command(QCD_VOLUME_UP),
         Press(38, 'F'),
         {{platform::WM_KEYDOWN_, 121, 1, true},
          {platform::WM_KEYUP_, 121, std::intptr_t(0xC0000001u), true}}},
        {"volume down",
         [](TPlayerSession& s) { s.PlayerVolumeDown(); },
         Command(QCD_VOLUME_DOWN),
         Press(40, 'H'),
         {{platform::WM_KEYDOWN_, 120, 1, true},
          {platform::WM_KEYUP_, 120, std::intptr_t(0xC0000001u), true}}},
        {"forward", [](TPlayerSession& s) { s.PlayerForward5s(); }, Command(QCD_FORWARD_5S), none, none},
        {"back", [](TPlayerSession& s) { s.PlayerBack5s(); }, Command(QCD_BACK_5S), none, none},
        {"seek 12 s back", [](TPlayerSession& s) { s.PlayerSeek(48000); }, Command(QCD_BACK_5S, 3), none,
         none},
        {"jump", [](TPlayerSession& s) { s.PlayerJumpToFile(); }, none, Press(74, 'j'), none},
    };
    for (const auto& c : cases) {
        for (TKind kind : {Qcd, Sonique, Wmp}) {
            SCOPED_TRACE(std::string(c.name) + (kind == Qcd       ? " QCD"
                                                : kind == Sonique ? " Sonique"
                                                                  : " WMP"));
            TWorld world;
            std::unique_ptr<TFakeQcd> qcd;
            std::unique_ptr<TFakeSonique> sonique;
            platform::WindowHandle window = platform::kNoWindow;
            if (kind == Qcd) {
                qcd = std::make_unique<TFakeQcd>(world.Windows, "QCD: [1/2] A / B");
                qcd->PositionMs = 60000;
                window = qcd->Window();
            } else if (kind == Sonique) {
                sonique = std::make_unique<TFakeSonique>(world.Windows, world.Named);
                window = sonique->Window();
            } else {
                window = world.Windows.AddWindow("WMPlayerApp", kWmpPlaying);
            }
            world.Follow();
            world.Windows.Messages.clear();
            c.op(world.Session);
            EXPECT_EQ(Received(world.Windows, window), kind == Qcd       ? c.qcd
                                                       : kind == Sonique ? c.sonique
                                                                         : c.wmp);
            const bool raised = std::string(c.name) == "jump" && kind != Wmp;
            EXPECT_EQ(world.Windows.BroughtToTop, raised ? std::vector<platform::WindowHandle>{window}
                                                         : std::vector<platform::WindowHandle>{});
        }
    }
}

TEST(SessionVanishing, EachKindGivesOneSongChangeToNoPlayer) {
    enum TKind { Qcd, Sonique, Wmp };
    for (TKind kind : {Qcd, Sonique, Wmp}) {
        SCOPED_TRACE(kind);
        TTempFolder temp;
        TWorld world;
        std::unique_ptr<TFakeQcd> qcd;
        std::unique_ptr<TFakeSonique> sonique;
        platform::WindowHandle wmp = platform::kNoWindow;
        if (kind == Qcd) {
            qcd = std::make_unique<TFakeQcd>(world.Windows, "QCD: [1/2] A / B");
        } else if (kind == Sonique) {
            sonique = std::make_unique<TFakeSonique>(world.Windows, world.Named);
            sonique->SetPath(temp / "A - B.mp3");
            world.Sonique.SoniqueRemote1.RefreshInformation();
        } else {
            wmp = world.Windows.AddWindow("WMPlayerApp", kWmpPlaying);
        }
        world.Follow();
        ASSERT_EQ(world.Listener.Titles.size(), 1u);
        world.Listener.Titles.clear();
        if (qcd)
            qcd->Quit();
        if (sonique)
            sonique->Quit();
        if (wmp != platform::kNoWindow)
            world.Windows.RemoveWindow(wmp);
        for (int i = 0; i < 5; ++i) {
            world.Clock.Advance(100);
            world.Session.PollPlayer();
        }
        EXPECT_EQ(world.Listener.Titles, std::vector<std::string>{"No Player Detected"});
        EXPECT_EQ(world.Session.AmpKind(), akNone);
        EXPECT_EQ(world.Session.GetSongFileName(), "");
    }
}
