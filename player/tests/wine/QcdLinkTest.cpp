// The player session over the real Win32 back end against fake_player.exe as Quintessential Player, a process
// of its own: detection before a Winamp that runs beside it, the cleaned caption, the queries with both
// parameters all bits set, the menu commands as the player receives them, and a player that goes away.
#include "player/EasyAmp.h"
#include "player/QCDI.h"

#include "platform/win32/tests/FakePlayerProcess.h"
#include "platform/win32/tests/FakeWinampProcess.h"
#include "player/tests/wine/SessionLink.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace player;
using namespace player_wine_test;
using platform::TFakePlayerProcess;
using platform::fake_player::TField;
using TRecord = platform::TFakePlayerProcess::TRecord;

namespace {

struct TQcdLink : TSessionLink {
    bool Launch() {
        return Player.Start(platform::ProgramFolder() + "fake_player.exe", "--qcd", kQcdWindowClass);
    }

    TFakePlayerProcess Player; // ends before the session
};

TRecord Command(std::uint32_t command) {
    return {0x0111, command, 0, true};
}

} // namespace

TEST(QcdLink, FollowsThePlayerThroughItsWindow) {
    TQcdLink link;
    ASSERT_TRUE(link.Launch());
    link.Player.SetCaption("QCD: [1/12] Artist / Song");
    link.Player.Set(TField::PositionMs, 30000);
    link.Player.Set(TField::LengthMs, 245999);
    link.Follow();
    EXPECT_EQ(link.Session.AmpKind(), akQcd);
    EXPECT_EQ(link.Session.AmpWindow(), link.Player.Window());
    EXPECT_EQ(link.Session.GetPlayerName(), "QCD");
    EXPECT_EQ(link.Listener.Titles, std::vector<std::string>{" Artist - Song"});
    EXPECT_EQ(link.Session.GetSongFileName(), "");
    EXPECT_EQ(link.Session.GetSongLength(), 245000);
    const auto position = link.Session.GetSongPosition();
    EXPECT_GE(position, 30000);
    EXPECT_LT(position, 30000 + kSlackMs);

    // Every query reached the player with both parameters all bits set, and was sent.
    const auto records = link.Player.Records();
    ASSERT_FALSE(records.empty());
    for (const auto& r : records) {
        EXPECT_TRUE(r.message == QCD_GET_LENGTH || r.message == QCD_GET_POSITION) << r.message;
        EXPECT_EQ(r.wParam, ~std::uintptr_t(0));
        EXPECT_EQ(r.lParam, -1);
        EXPECT_TRUE(r.sent);
    }

    // Only the player's name: the song stays, no song change.
    link.Player.SetCaption("Quintessential Player");
    link.Session.PollPlayer();
    EXPECT_EQ(link.Session.GetSongTitle(), " Artist - Song");
    link.Player.SetCaption("QCD: [2/12] Other / Tune");
    link.Session.PollPlayer();
    EXPECT_EQ(link.Listener.Titles, (std::vector<std::string>{" Artist - Song", " Other - Tune"}));
}

TEST(QcdLink, TransportCommandsArriveAsMenuCommands) {
    TQcdLink link;
    ASSERT_TRUE(link.Launch());
    link.Player.SetCaption("QCD: [1/2] A / B");
    link.Follow();
    ASSERT_EQ(link.Session.AmpKind(), akQcd);
    struct {
        const char* name;
        void (TPlayerSession::*op)();
        std::vector<std::uint32_t> commands;
    } cases[] = {
        {"play", &TPlayerSession::PlayerPlay, {QCD_STOP, QCD_PLAY}},
        {"pause", &TPlayerSession::PlayerPause, {QCD_PAUSE}},
        {"stop", &TPlayerSession::PlayerStop, {QCD_STOP}},
        {"next", &TPlayerSession::PlayerNext, {QCD_NEXT}},
        {"prev", &TPlayerSession::PlayerPrev, {QCD_PREV}},
        {"volume up", &TPlayerSession::PlayerVolumeUp, {QCD_VOLUME_UP}},
        {"volume down", &TPlayerSession::PlayerVolumeDown, {QCD_VOLUME_DOWN}},
        {"forward", &TPlayerSession::PlayerForward5s, {QCD_FORWARD_5S}},
        {"back", &TPlayerSession::PlayerBack5s, {QCD_BACK_5S}},
        {"jump", &TPlayerSession::PlayerJumpToFile, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        link.Player.ClearRecords();
        (link.Session.*c.op)();
        std::vector<TRecord> expected;
        for (auto command : c.commands)
            expected.push_back(Command(command));
        EXPECT_EQ(link.Player.Records(), expected);
    }
    // Seek: the position asked anew, then 5-second steps.
    link.Player.Set(TField::PositionMs, 60000);
    link.Player.ClearRecords();
    link.Session.PlayerSeek(48000);
    const auto records = link.Player.Records();
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].message, QCD_GET_POSITION);
    EXPECT_EQ(std::vector<TRecord>(records.begin() + 1, records.end()),
              std::vector<TRecord>(3, Command(QCD_BACK_5S)));
}

TEST(QcdLink, ComesBeforeAWinampBesideIt) {
    TQcdLink link;
    platform::TFakeWinampProcess winamp;
    ASSERT_TRUE(winamp.Start(platform::ProgramFolder() + "fake_winamp.exe"));
    winamp.SetCaption("3. Other - Tune - Winamp");
    ASSERT_TRUE(link.Launch());
    link.Player.SetCaption("QCD: [1/2] A / B");
    link.Follow();
    EXPECT_EQ(link.Session.AmpKind(), akQcd);
    EXPECT_EQ(link.Session.GetSongTitle(), " A - B");
    link.Player.ClearRecords();
    link.Session.PlayerNext();
    EXPECT_EQ(link.Player.Records(), std::vector<TRecord>{Command(QCD_NEXT)});
    EXPECT_TRUE(winamp.Commands().empty());
    // Quintessential Player goes: the Winamp beside it is followed from the next poll on.
    ASSERT_TRUE(link.Player.Quit());
    link.Session.PollPlayer();
    EXPECT_EQ(link.Session.AmpKind(), akWinamp);
    EXPECT_EQ(link.Listener.Titles, (std::vector<std::string>{" A - B", " Other - Tune "}));
}

TEST(QcdLink, PlayerThatExitsGivesNoPlayerDetected) {
    for (bool crash : {false, true}) {
        SCOPED_TRACE(crash ? "crashes" : "closes");
        TQcdLink link;
        ASSERT_TRUE(link.Launch());
        link.Player.SetCaption("QCD: [1/2] A / B");
        link.Follow();
        ASSERT_EQ(link.Listener.Titles.size(), 1u);
        const auto stale = link.Player.Window();
        if (crash)
            link.Player.Kill();
        else
            ASSERT_TRUE(link.Player.Quit());
        for (int i = 0; i < 3; ++i)
            link.Session.PollPlayer();
        EXPECT_EQ(link.Listener.Titles, (std::vector<std::string>{" A - B", kNoPlayerTitle}));
        EXPECT_EQ(link.Session.AmpKind(), akNone);
        // A window that went between lookup and message: the answers are 0 and nothing waits.
        auto& windows = platform::SystemWindows();
        EXPECT_EQ(QcdPosition(windows, stale), 0);
        EXPECT_EQ(windows.Send(stale, platform::WM_COMMAND_, QCD_NEXT, 0), 0);
        QcdSeek(windows, 0);
        link.Session.PlayerPlay();
    }
}
