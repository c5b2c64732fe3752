// The Windows Media Player driver and the session over the real Win32 back end against fake_wmp.exe, a host
// process that loads the real tl_plugin.dll: the plugin sets the player window's caption from the song the
// host's core reports, the driver reads the title from it, and the keys arrive sent or posted as the driver
// means them. The host and the plugin run from a fresh folder, where the plugin writes its files.
#include "player/EasyAmp.h"
#include "player/WMPI.h"

#include "platform/win32/tests/FakePlayerProcess.h"
#include "player/tests/wine/SessionLink.h"
#include "toolkit/CodePage.h"
#include "toolkit/tests/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace player;
using namespace player_wine_test;
using platform::TFakePlayerProcess;
using platform::fake_player::TData;
using testing_support::TTempFolder;
using TRecord = platform::TFakePlayerProcess::TRecord;

namespace {

struct TWmpLink : TSessionLink {
    // Copies the host and the plugin to the fresh folder and starts the host there.
    bool Launch() {
        const std::string from = platform::ProgramFolder();
        std::error_code ec;
        for (const char* file : {"fake_wmp.exe", "tl_plugin.dll"})
            if (!std::filesystem::copy_file(from + file, Folder / file, ec))
                return false;
        return Player.Start(Folder / "fake_wmp.exe", "", kWmpWindowClass) && Player.Sync();
    }

    // The host's core reports the song as playing; the plugin sets the caption.
    void PlaySong(const std::wstring& author, const std::wstring& name) {
        Player.SendData(TData::WmpAuthor, author.data(), author.size() * sizeof(wchar_t));
        Player.SendData(TData::WmpName, name.data(), name.size() * sizeof(wchar_t));
        Player.ReportPlayState(3);
    }

    TTempFolder Folder;
    TFakePlayerProcess Player; // declared last: the process ends first
};

} // namespace

TEST(WmpLink, TitleFromTheCaptionThePluginSets) {
    TWmpLink link;
    ASSERT_TRUE(link.Launch());
    link.Follow();
    EXPECT_EQ(link.Session.AmpKind(), akWmp);
    EXPECT_EQ(link.Session.GetPlayerName(), "WMP");
    EXPECT_EQ(link.Session.GetSongTitle(), "Stopped");

    link.PlaySong(L"Artist", L"Song");
    auto& windows = platform::SystemWindows();
    EXPECT_EQ(windows.GetCaption(link.Player.Window()), "Artist - Song - Windows Media Player");
    link.Session.PollPlayer();
    EXPECT_EQ(link.Session.GetSongTitle(), "Artist - Song ");
    EXPECT_EQ(link.Session.GetSongFileName(), "");
    EXPECT_EQ(link.Session.GetSongLength(), 0);
    // The clock runs from the song change on.
    EXPECT_GE(link.Session.GetSongPosition(), 0);
    EXPECT_LT(link.Session.GetSongPosition(), 10000);

    link.Player.ReportPlayState(1); // stopped: the plugin puts the player's name back
    link.Session.PollPlayer();
    EXPECT_EQ(link.Listener.Titles, (std::vector<std::string>{"Stopped", "Artist - Song ", "Stopped"}));
    EXPECT_EQ(link.Session.AmpKind(), akWmp);
}

TEST(WmpLink, AnyScriptInTheCaption) {
    const int saved = toolkit::ActiveCodePage();
    TWmpLink link;
    ASSERT_TRUE(link.Launch());
    link.PlaySong(L"Bj\u00f6rk", L"J\u00f3ga \u041a\u0438\u043d\u043e");
    struct {
        int codePage;
        std::string title;
    } cases[] = {
        {toolkit::kCodePageUtf8, "Bj\xc3\xb6rk - J\xc3\xb3ga \xd0\x9a\xd0\xb8\xd0\xbd\xd0\xbe "},
        {1252, "Bj\xf6rk - J\xf3ga ???? "}, // what the page lacks becomes "?"
    };
    for (const auto& c : cases) {
        toolkit::SetActiveCodePage(c.codePage);
        EXPECT_EQ(WmpTitle(platform::SystemWindows()), c.title) << c.codePage;
    }
    toolkit::SetActiveCodePage(saved);
}

TEST(WmpLink, PlayIsSentVolumeIsPosted) {
    TWmpLink link;
    ASSERT_TRUE(link.Launch());
    link.Follow();
    ASSERT_EQ(link.Session.AmpKind(), akWmp);
    const auto up = std::intptr_t(0xC0000001u);
    struct {
        const char* name;
        void (TPlayerSession::*op)();
        std::vector<TRecord> keys;
    } cases[] = {
        {"play", &TPlayerSession::PlayerPlay, {{0x0100, 250, 0, true}, {0x0101, 250, 0, true}}},
        {"volume up", &TPlayerSession::PlayerVolumeUp, {{0x0100, 121, 1, false}, {0x0101, 121, up, false}}},
        {"volume down",
         &TPlayerSession::PlayerVolumeDown,
         {{0x0100, 120, 1, false}, {0x0101, 120, up, false}}},
        {"pause", &TPlayerSession::PlayerPause, {}},
        {"stop", &TPlayerSession::PlayerStop, {}},
        {"next", &TPlayerSession::PlayerNext, {}},
        {"prev", &TPlayerSession::PlayerPrev, {}},
        {"forward", &TPlayerSession::PlayerForward5s, {}},
        {"back", &TPlayerSession::PlayerBack5s, {}},
        {"jump", &TPlayerSession::PlayerJumpToFile, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        link.Player.ClearRecords();
        (link.Session.*c.op)();
        ASSERT_TRUE(link.Player.Sync());
        EXPECT_EQ(link.Player.Records(), c.keys);
    }
}

TEST(WmpLink, PlayerThatExitsGivesNoPlayerDetected) {
    for (bool crash : {false, true}) {
        SCOPED_TRACE(crash ? "crashes" : "closes");
        TWmpLink link;
        ASSERT_TRUE(link.Launch());
        link.PlaySong(L"Artist", L"Song");
        link.Follow();
        ASSERT_EQ(link.Listener.Titles, std::vector<std::string>{"Artist - Song "});
        if (crash)
            link.Player.Kill();
        else
            ASSERT_TRUE(link.Player.Quit());
        for (int i = 0; i < 3; ++i)
            link.Session.PollPlayer();
        EXPECT_EQ(link.Listener.Titles, (std::vector<std::string>{"Artist - Song ", kNoPlayerTitle}));
        EXPECT_EQ(link.Session.AmpKind(), akNone);
        link.Session.PlayerPlay(); // nothing to send to
    }
}
