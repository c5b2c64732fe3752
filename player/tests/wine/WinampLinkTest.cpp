// The player session over the real Win32 back end, against fake_winamp.exe running as a process of its own:
// detection, cleaned titles, the file name read from the player's memory, the song clock against the position
// the player reports, the menu commands as the player receives them, and a player that goes away.
//
// The clock is the real tick count. The fake player's position only moves when the test sets it, so every
// check of the clock is either exact (a paused clock shows the player's position) or bounded by kSlackMs.
#include "player/AmpI.h"
#include "player/EasyAmp.h"

#include "platform/win32/tests/FakeWinampProcess.h"
#include "platform/win32/tests/WaitUntil.h"
#include "player/tests/wine/SessionLink.h"
#include "toolkit/CodePage.h"
#include "toolkit/FileBytes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using namespace player;
using namespace player_wine_test;
using platform::TFakeWinampProcess;
using platform::fake_winamp::TField;
using platform::fake_winamp::TFileLayout;

namespace {

// One session on the system's window system and clock, and one fake player process it can find.
struct TLink : TSessionLink {
    bool Launch(bool mediaMonkey = false) {
        return Player.Start(platform::ProgramFolder() + "fake_winamp.exe", mediaMonkey);
    }

    // Polls until the clock counts as paused; the fake's position stands still, so only real time is needed.
    bool PollUntilPaused() {
        return testing_support::WaitUntil(
            [this] {
                if (!Session.Paused())
                    Session.PollPlayer();
                return Session.Paused();
            },
            5000, 20);
    }

    TFakeWinampProcess Player; // ends before the session
};

} // namespace

TEST(WinampLink, WindowSystemReachesAnotherProcess) {
    TLink link;
    ASSERT_TRUE(link.Launch());
    auto& windows = platform::SystemWindows();
    const auto window = windows.FindWindowOfClass(kAmpWindowClass);
    ASSERT_EQ(window, link.Player.Window());
    EXPECT_TRUE(windows.IsWindowAlive(window));
    EXPECT_TRUE(windows.SetCaption(window, "3. Artist - Song - Winamp"));
    EXPECT_EQ(windows.GetCaption(window), "3. Artist - Song - Winamp");
    link.Player.Set(TField::Version, 0x5010);
    EXPECT_EQ(windows.Send(window, platform::WM_USER_, 0, IPC_GETVERSION), 0x5010);

    EXPECT_TRUE(windows.Post(window, platform::WM_COMMAND_, AMP_NEXT, 0));
    // A posted message is handled after the sent ones already waiting; wait for it.
    testing_support::WaitUntil([&] { return !link.Player.Commands().empty(); }, 5000, 10);
    EXPECT_EQ(link.Player.Commands(), std::vector<std::uint32_t>{AMP_NEXT});

    const std::string folder = platform::ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '\\');

    ASSERT_TRUE(link.Player.Quit());
    EXPECT_FALSE(windows.IsWindowAlive(window));
    EXPECT_EQ(windows.FindWindowOfClass(kAmpWindowClass), platform::kNoWindow);
    EXPECT_EQ(windows.GetCaption(window), "");
    EXPECT_EQ(windows.Send(window, platform::WM_USER_, 0, IPC_GETVERSION), 0);
    EXPECT_FALSE(windows.Post(window, platform::WM_COMMAND_, AMP_NEXT, 0));
}

TEST(WinampLink, DetectsEachPlayerAndCleansItsTitle) {
    struct {
        const char* what;
        bool mediaMonkey;
        std::int32_t version;
        std::int32_t playlistLength;
        const char* caption;
        ampKindT kind;
        const char* title;
    } cases[] = {
        {"Winamp", false, 0x5010, 5, "12. Artist - Song - Winamp", akWinamp, " Artist - Song "},
        {"Winamp, scrolled caption", false, 0x5010, 5, "Song - Winamp *** 12. Artist - ", akWinamp,
         " Artist - Song "},
        {"Winamp without a song", false, 0x5010, 5, "Winamp 5.92", akWinamp, "Stopped"},
        {"foobar2000: empty playlist, version 8320", false, 8320, 0, "1. Artist - Song - Winamp", akFoobar,
         " Artist - Song "},
        {"version 8320 with a playlist is Winamp", false, 8320, 3, "1. Artist - Song - Winamp", akWinamp,
         " Artist - Song "},
        {"empty playlist with another version is Winamp", false, 0x5011, 0, "1. Artist - Song - Winamp",
         akWinamp, " Artist - Song "},
        {"MediaMonkey", true, 0x5010, 5, "7. Artist - Song", akMediaMonkey, " Artist - Song"},
        {"MediaMonkey answering like foobar2000", true, 8320, 0, "7. Artist - Song", akMediaMonkey,
         " Artist - Song"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TLink link;
        ASSERT_TRUE(link.Launch(c.mediaMonkey));
        link.Player.SetCaption(c.caption);
        link.Player.Set(TField::Version, c.version);
        link.Player.Set(TField::PlaylistLength, c.playlistLength);
        link.Player.Set(TField::LengthSeconds, 245);
        link.Follow();
        EXPECT_EQ(link.Session.AmpKind(), c.kind);
        EXPECT_EQ(link.Session.GetPlayerName(), AmpInfoFor(c.kind).name);
        EXPECT_EQ(link.Session.GetSongTitle(), c.title);
        EXPECT_EQ(link.Session.GetSongLength(), 245000);
        link.Session.PollPlayer(); // the same song: no second change
        EXPECT_EQ(link.Listener.Titles, std::vector<std::string>{c.title});
        EXPECT_EQ(link.Session.AmpKind(), c.kind);
    }
}

TEST(WinampLink, FileNameIsReadFromThePlayersMemory) {
    const std::string longest(259, 'x'); // with its zero, exactly the 260 bytes read
    struct {
        const char* what;
        TFileLayout layout;
        std::string path;
        std::string expected;
    } cases[] = {
        {"ordinary path", TFileLayout::Heap, "C:\\Music\\Artist - Song.mp3", "C:\\Music\\Artist - Song.mp3"},
        // The player's 8-bit path (the system's code page) becomes the program's UTF-8 path.
        {"8-bit text", TFileLayout::Heap, "C:\\Musik\\Caf\xE9 \xC4 la carte.mp3",
         "C:\\Musik\\Caf\xC3\xA9 \xC3\x84 la carte.mp3"},
        {"longest path", TFileLayout::Heap, "C:\\" + longest.substr(3), "C:\\" + longest.substr(3)},
        {"no zero within 260 bytes", TFileLayout::Heap, "C:\\" + longest, ""},
        // Wine lets another process read even an inaccessible page, so this one only bites on Windows.
        {"ends just before an inaccessible page", TFileLayout::PageEnd, "C:\\Music\\" + std::string(150, 'p'),
         "C:\\Music\\" + std::string(150, 'p')},
        {"address where nothing is mapped", TFileLayout::Invalid, "C:\\Music\\gone.mp3", ""},
    };
    TLink link;
    ASSERT_TRUE(link.Launch());
    link.Player.Set(TField::PlaylistLength, 9);
    link.Player.Set(TField::PlaylistPos, 4);
    link.Player.SetPlaylistFile(0, "C:\\Music\\not the current entry.mp3");
    int song = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        link.Player.Set(TField::FileLayout, std::int32_t(c.layout));
        link.Player.SetPlaylistFile(4, c.path);
        // A new title is a song change, which reads the file name again.
        const std::string n = std::to_string(++song);
        link.Player.SetCaption(n + ". Artist - Song " + n + " - Winamp");
        link.Follow();
        ASSERT_EQ(link.Session.AmpKind(), akWinamp);
        EXPECT_EQ(link.Session.GetSongFileName(), c.expected);
    }
}

// Any character of a caption reaches the program; a non-ASCII path the player reports opens its file.
TEST(WinampLink, UnicodeCaptionAndNonAsciiPath) {
    const std::string kino = "\xd0\x9a\xd0\xb8\xd0\xbd\xd0\xbe - \xe5\xa4\x9c\xe3\x81\xab"; // Кино - 夜に
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / L"Mot\u00f6rhead \u00c4";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / L"S\u00e9ance.mp3") << "song";
    // The player speaks the system's code page (1252 here); the temporary folder's own path is ASCII.
    const std::string ansiPath = std::filesystem::temp_directory_path().string() +
                                 "\\Mot\xF6rhead \xC4\\S\xE9"
                                 "ance.mp3";

    TLink link;
    ASSERT_TRUE(link.Launch());
    link.Player.Set(TField::PlaylistLength, 3);
    link.Player.Set(TField::PlaylistPos, 0);
    link.Player.SetPlaylistFile(0, ansiPath);
    link.Player.SetCaption("1. " + kino + " - Winamp");
    toolkit::SetActiveCodePage(toolkit::kCodePageUtf8);
    link.Follow();
    EXPECT_EQ(link.Session.GetSongTitle(), " " + kino + " ");
    const std::string path = link.Session.GetSongFileName();
    EXPECT_TRUE(toolkit::FileExists(path)) << path;
    EXPECT_EQ(toolkit::ReadFileBytes(path).value_or(""), "song");

    // Under a single-byte set the caption's letters of that page stay, the others become "?".
    toolkit::SetActiveCodePage(1251);
    link.Session.RereadTextsAfterCodePageChange();
    EXPECT_EQ(link.Session.GetSongTitle(), " \xca\xe8\xed\xee - ?? ");
    toolkit::SetActiveCodePage(1252);
    std::filesystem::remove_all(folder);
}

TEST(WinampLink, FileNameOfMediaMonkeyButNotOfFoobar) {
    for (const bool mediaMonkey : {true, false}) {
        SCOPED_TRACE(mediaMonkey ? "MediaMonkey" : "foobar2000");
        TLink link;
        ASSERT_TRUE(link.Launch(mediaMonkey));
        link.Player.Set(TField::Version, 8320);
        link.Player.Set(TField::PlaylistLength, 0);
        link.Player.Set(TField::PlaylistPos, 2);
        link.Player.SetPlaylistFile(2, "C:\\Music\\Artist - Song.mp3");
        link.Player.SetCaption("2. Artist - Song - Winamp");
        link.Follow();
        EXPECT_EQ(link.Session.AmpKind(), mediaMonkey ? akMediaMonkey : akFoobar);
        EXPECT_EQ(link.Session.GetSongFileName(), mediaMonkey ? "C:\\Music\\Artist - Song.mp3" : "");
    }
}

TEST(WinampLink, ClockFollowsTheReportedPosition) {
    TLink link;
    ASSERT_TRUE(link.Launch());
    link.Player.Set(TField::PlaylistLength, 5);
    link.Player.SetCaption("1. Artist - Song - Winamp");
    link.Follow();
    ASSERT_EQ(link.Session.AmpKind(), akWinamp);

    // A jump of the reported position re-anchors the clock at the next poll.
    link.Player.Set(TField::PositionMs, 120000);
    link.Session.PollPlayer();
    auto position = link.Session.GetSongPosition();
    EXPECT_GE(position, 120000);
    EXPECT_LT(position, 120000 + kSlackMs);

    // A seek moves the player, and the poll after it moves the clock.
    link.Session.PlayerSeek(200000);
    EXPECT_EQ(link.Player.Seeks(), std::vector<std::int32_t>{200000});
    EXPECT_TRUE(link.Player.Commands().empty()) << "a playing player gets no play first";
    link.Session.PollPlayer();
    position = link.Session.GetSongPosition();
    EXPECT_GE(position, 200000);
    EXPECT_LT(position, 200000 + kSlackMs);

    // Winamp saying it plays is never taken for paused, however long its position stands still.
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    link.Session.PollPlayer();
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    link.Session.PollPlayer();
    EXPECT_FALSE(link.Session.Paused());

    // Paused (query 104 answers 3): the clock stops at exactly the player's position.
    link.Player.Set(TField::IsPlaying, 3);
    link.Player.Set(TField::PositionMs, 250000);
    link.Session.PollPlayer();
    ASSERT_TRUE(link.PollUntilPaused());
    EXPECT_EQ(link.Session.GetSongPosition(), 250000);
    EXPECT_EQ(link.Session.GetSongPosition(), 250000);

    // Playing again: the clock runs on from the player's new position.
    link.Player.Set(TField::IsPlaying, 1);
    link.Player.Set(TField::PositionMs, 250400);
    link.Session.GetSongPosition(); // a read while paused polls, and sees the player move
    EXPECT_FALSE(link.Session.Paused());
    position = link.Session.GetSongPosition();
    EXPECT_GE(position, 250400);
    EXPECT_LT(position, 250400 + kSlackMs);
}

TEST(WinampLink, TransportCommandsArriveAsMenuCommands) {
    using TOperation = std::function<void(TPlayerSession&)>;
    struct TCase {
        const char* what;
        TOperation operation;
        std::vector<std::uint32_t> commands;
        std::vector<std::int32_t> seeks;
    };
    const TOperation play = [](TPlayerSession& s) { s.PlayerPlay(); };
    const TOperation pause = [](TPlayerSession& s) { s.PlayerPause(); };
    const TOperation stop = [](TPlayerSession& s) { s.PlayerStop(); };
    const TOperation next = [](TPlayerSession& s) { s.PlayerNext(); };
    const TOperation prev = [](TPlayerSession& s) { s.PlayerPrev(); };
    const TOperation volumeUp = [](TPlayerSession& s) { s.PlayerVolumeUp(); };
    const TOperation volumeDown = [](TPlayerSession& s) { s.PlayerVolumeDown(); };
    const TOperation forward = [](TPlayerSession& s) { s.PlayerForward5s(); };
    const TOperation back = [](TPlayerSession& s) { s.PlayerBack5s(); };
    const TOperation seek = [](TPlayerSession& s) { s.PlayerSeek(90000); };
    const TOperation jump = [](TPlayerSession& s) { s.PlayerJumpToFile(); };

    struct TPlayer {
        const char* what;
        bool mediaMonkey;
        std::int32_t version;
        std::int32_t playlistLength;
        std::int32_t isPlaying;
        std::vector<TCase> cases;
    } players[] = {
        {"Winamp playing",
         false,
         0x5010,
         5,
         1,
         {{"play", play, {AMP_PLAY}, {}},
          {"pause", pause, {AMP_PAUSE}, {}},
          {"stop", stop, {AMP_STOP}, {}},
          {"next", next, {AMP_NEXT}, {}},
          {"previous", prev, {AMP_PREV}, {}},
          {"volume up", volumeUp, {AMP_VOLUME_UP}, {}},
          {"volume down", volumeDown, {AMP_VOLUME_DOWN}, {}},
          {"forward 5 s", forward, {AMP_FORWARD_5S}, {}},
          {"back 5 s", back, {AMP_BACK_5S}, {}},
          {"seek", seek, {}, {90000}},
          {"jump to file", jump, {AMP_JUMP_TO_FILE}, {}}}},
        {"Winamp paused: play first",
         false,
         0x5010,
         5,
         3,
         {{"forward 5 s", forward, {AMP_PLAY, AMP_FORWARD_5S}, {}},
          {"back 5 s", back, {AMP_PLAY, AMP_BACK_5S}, {}},
          {"seek", seek, {AMP_PLAY}, {90000}}}},
        {"foobar2000",
         false,
         8320,
         0,
         1,
         {{"next", next, {AMP_NEXT}, {}},
          {"volume up", volumeUp, {AMP_VOLUME_UP}, {}},
          {"forward 5 s", forward, {AMP_FORWARD_5S}, {}},
          {"jump to file", jump, {AMP_JUMP_TO_FILE}, {}}}},
        // Its clock is paused at 30000 below, so forward and back seek to exact targets.
        {"MediaMonkey",
         true,
         0x5010,
         5,
         1,
         {{"play", play, {AMP_PLAY}, {}},
          {"next", next, {AMP_NEXT}, {}},
          {"volume up", volumeUp, {AMP_VOLUME_UP, AMP_VOLUME_UP, AMP_VOLUME_UP}, {}},
          {"volume down", volumeDown, {AMP_VOLUME_DOWN, AMP_VOLUME_DOWN, AMP_VOLUME_DOWN}, {}},
          {"forward 5 s", forward, {}, {35000}},
          {"back 5 s", back, {}, {30000}},
          {"jump to file", jump, {}, {}}}},
    };
    for (const auto& p : players) {
        SCOPED_TRACE(p.what);
        TLink link;
        ASSERT_TRUE(link.Launch(p.mediaMonkey));
        link.Player.Set(TField::Version, p.version);
        link.Player.Set(TField::PlaylistLength, p.playlistLength);
        link.Player.Set(TField::IsPlaying, p.isPlaying);
        link.Player.Set(TField::PositionMs, 30000);
        link.Player.SetCaption("1. Artist - Song - Winamp");
        link.Follow();
        if (p.mediaMonkey) {
            ASSERT_TRUE(link.PollUntilPaused());
        }
        for (const auto& c : p.cases) {
            SCOPED_TRACE(c.what);
            link.Player.ClearRecords();
            c.operation(link.Session);
            EXPECT_EQ(link.Player.Commands(), c.commands);
            EXPECT_EQ(link.Player.Seeks(), c.seeks);
        }
    }
}

TEST(WinampLink, PlayerThatExitsGivesNoPlayerDetected) {
    struct {
        const char* what;
        bool mediaMonkey;
        bool crash;
    } cases[] = {
        {"Winamp closes", false, false},
        {"Winamp crashes", false, true},
        {"MediaMonkey closes", true, false},
        {"MediaMonkey crashes", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TLink link;
        ASSERT_TRUE(link.Launch(c.mediaMonkey));
        link.Player.Set(TField::PlaylistLength, 5);
        link.Player.SetCaption("4. Artist - Song - Winamp");
        link.Follow();
        ASSERT_EQ(link.Listener.Titles.size(), 1u);
        if (c.crash)
            link.Player.Kill();
        else
            EXPECT_TRUE(link.Player.Quit()) << "the fake player exits by itself when told";

        link.Session.PollPlayer();
        EXPECT_EQ(link.Session.GetSongTitle(), kNoPlayerTitle);
        EXPECT_EQ(link.Session.AmpKind(), akNone);
        EXPECT_EQ(link.Session.GetSongPosition(), 0);
        EXPECT_EQ(link.Listener.Titles, (std::vector<std::string>{link.Listener.Titles[0], kNoPlayerTitle}));
        link.Session.PollPlayer(); // no player: detection only, no further change
        link.Session.PlayerNext();
        EXPECT_EQ(link.Listener.Titles.size(), 2u);
    }
}

TEST(WinampLink, CommandReachesThePlayerOfTheMoment) {
    TLink link;
    ASSERT_TRUE(link.Launch());
    link.Player.SetCaption("1. Artist - Song - Winamp");
    link.Follow();
    ASSERT_EQ(link.Session.AmpKind(), akWinamp);
    ASSERT_TRUE(link.Player.Quit());
    // The player restarts before the next poll: the command still reaches it.
    TFakeWinampProcess restarted;
    ASSERT_TRUE(restarted.Start(platform::ProgramFolder() + "fake_winamp.exe"));
    link.Session.PlayerNext();
    EXPECT_EQ(restarted.Commands(), std::vector<std::uint32_t>{AMP_NEXT});
}
