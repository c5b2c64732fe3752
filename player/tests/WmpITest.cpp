#include "player/WMPI.h"

#include "platform/fake/FakeWindowSystem.h"

#include <gtest/gtest.h>

#include <vector>

using namespace player;
using platform::TFakeWindowSystem;

TEST(WmpCaption, CleaningTable) {
    struct {
        std::string caption;
        std::string title; // empty: no song, the session shows "Stopped"
    } cases[] = {
        {"Artist - Song - Windows Media Player", "Artist - Song "},
        {"Windows Media Player", ""},
        {"", ""},
        {" - Windows Media Player", " "},
        {"A - B - Windows Media Player - Windows Media Player", "A - B "},
        {"Artist - Song - windows media player", ""},
        {"Artist - Song -  Windows Media Player", ""},
        {"Bj\xc3\xb6rk - J\xc3\xb3ga - Windows Media Player", "Bj\xc3\xb6rk - J\xc3\xb3ga "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CleanWmpCaption(c.caption), c.title) << '"' << c.caption << '"';
    const std::string huge(1 << 20, 'x');
    EXPECT_EQ(CleanWmpCaption(huge + " - Windows Media Player"), huge + " ");
    EXPECT_EQ(CleanWmpCaption(huge), "");
}

TEST(WmpI, TitleFromTheWindowsCaption) {
    TFakeWindowSystem windows;
    EXPECT_FALSE(WmpRunning(windows));
    EXPECT_EQ(WmpTitle(windows), "");
    windows.AddWindow("WMPlayerApp", "Artist - Song - Windows Media Player");
    EXPECT_TRUE(WmpRunning(windows));
    EXPECT_EQ(WmpTitle(windows), "Artist - Song ");
}

TEST(WmpI, PlayIsSentVolumeIsPosted) {
    using M = TFakeWindowSystem::TMessage;
    const auto kUp = std::intptr_t(0xC0000001u);
    struct {
        const char* name;
        void (*op)(platform::IWindowSystem&);
        std::vector<M> messages; // window filled in below
    } cases[] = {
        {"play",
         WmpPlay,
         {{0, platform::WM_KEYDOWN_, 250, 0, false}, {0, platform::WM_KEYUP_, 250, 0, false}}},
        {"volume up",
         WmpVolumeUp,
         {{0, platform::WM_KEYDOWN_, 121, 1, true}, {0, platform::WM_KEYUP_, 121, kUp, true}}},
        {"volume down",
         WmpVolumeDown,
         {{0, platform::WM_KEYDOWN_, 120, 1, true}, {0, platform::WM_KEYUP_, 120, kUp, true}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TFakeWindowSystem windows;
        c.op(windows); // no window: nothing
        EXPECT_TRUE(windows.Messages.empty());
        const auto window = windows.AddWindow("WMPlayerApp", "Windows Media Player");
        c.op(windows);
        ASSERT_EQ(windows.Messages.size(), c.messages.size());
        for (std::size_t i = 0; i < c.messages.size(); ++i) {
            const auto& got = windows.Messages[i];
            EXPECT_EQ(got.window, window);
            EXPECT_EQ(got.message, c.messages[i].message);
            EXPECT_EQ(got.wParam, c.messages[i].wParam);
            EXPECT_EQ(got.lParam, c.messages[i].lParam);
            EXPECT_EQ(got.posted, c.messages[i].posted);
        }
    }
}
