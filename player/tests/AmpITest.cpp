#include "player/AmpI.h"

#include "platform/fake/FakeWinamp.h"

#include <gtest/gtest.h>

using namespace player;
using platform::TFakeWinamp;
using platform::TFakeWindowSystem;

TEST(AmpI, NoWindowAnswersZeroAndSendsNothing) {
    TFakeWindowSystem windows;
    EXPECT_EQ(FindAmpWindow(windows), platform::kNoWindow);
    EXPECT_FALSE(AmpRunning(windows));
    EXPECT_EQ(AmpQuery(windows, IPC_GETVERSION, 0), 0);
    AmpCommand(windows, AMP_PLAY);
    EXPECT_TRUE(windows.Messages.empty());
}

TEST(AmpI, QueriesCarryNumberInLParamAndDataInWParam) {
    TFakeWindowSystem windows;
    TFakeWinamp amp(windows, "1. A - B - Winamp");
    amp.PositionMs = 61000;
    amp.LengthSeconds = 185;
    EXPECT_EQ(AmpSongPosition(windows, amp.Window()), 61000);
    EXPECT_EQ(AmpSongLength(windows, amp.Window()), 185);
    ASSERT_EQ(windows.Messages.size(), 2u);
    EXPECT_EQ(windows.Messages[1].message, platform::WM_USER_);
    EXPECT_EQ(windows.Messages[1].lParam, IPC_GETOUTPUTTIME);
    EXPECT_EQ(windows.Messages[1].wParam, 1u);
}

TEST(AmpI, IsPlayingOnlyForExactlyOne) {
    TFakeWindowSystem windows;
    TFakeWinamp amp(windows, "");
    for (auto [answer, playing] : {std::pair{1, true}, {3, false}, {0, false}, {2, false}}) {
        amp.IsPlaying = answer;
        EXPECT_EQ(AmpIsPlaying(windows, amp.Window()), playing) << answer;
    }
}

TEST(AmpI, PlaylistFileFollowsCurrentEntry) {
    TFakeWindowSystem windows;
    TFakeWinamp amp(windows, "");
    amp.SetPlaylistFile(0, "C:\\Music\\first.mp3");
    amp.SetPlaylistFile(3, "C:\\Music\\fourth.mp3");
    amp.PlaylistPos = 3;
    EXPECT_EQ(AmpPlaylistFile(windows, amp.Window()), "C:\\Music\\fourth.mp3");
    amp.PlaylistPos = 7; // an entry whose address points nowhere
    EXPECT_EQ(AmpPlaylistFile(windows, amp.Window()), "");
}

TEST(AmpI, CommandGoesToWindowOfTheMomentNotTheOneGiven) {
    TFakeWindowSystem windows;
    auto first = std::make_unique<TFakeWinamp>(windows, "");
    const auto oldWindow = first->Window();
    first.reset(); // the player restarts
    TFakeWinamp second(windows, "");
    ASSERT_NE(second.Window(), oldWindow);
    AmpCommand(windows, AMP_NEXT);
    EXPECT_EQ(second.Commands, std::vector<std::uintptr_t>{AMP_NEXT});
}

TEST(AmpI, PlaylistFileMustEndWithinMaxPath) {
    TFakeWindowSystem windows;
    TFakeWinamp amp(windows, "");
    const std::string longest = "C:\\" + std::string(256, 'x'); // 259 bytes: with its zero, 260
    amp.SetPlaylistFile(0, longest);
    EXPECT_EQ(AmpPlaylistFile(windows, amp.Window()), longest);
    amp.SetPlaylistFile(0, longest + "x"); // no zero within the 260 bytes read: not a path
    EXPECT_EQ(AmpPlaylistFile(windows, amp.Window()), "");
}
