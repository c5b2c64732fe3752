// The Sonique driver and the session over the real Win32 back end against fake_player.exe as Sonique, a
// process of its own: the shared block and the change event between the two processes (whichever creates
// them first), the playing file's path, position and length read from the block, the ID3v1 title of a file
// the test wrote, the key presses as the player receives them, bad blocks, and a player that goes away.
#include "player/EasyAmp.h"
#include "player/USoniqueI.h"

#include "platform/win32/tests/FakePlayerProcess.h"
#include "platform/win32/tests/WaitUntil.h"
#include "player/tests/wine/SessionLink.h"
#include "toolkit/FileBytes.h"
#include "toolkit/tests/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace player;
using namespace player_wine_test;
using platform::TFakePlayerProcess;
using platform::fake_player::TData;
using platform::fake_player::TField;
using testing_support::TTempFolder;
using TRecord = platform::TFakePlayerProcess::TRecord;

namespace {

std::string Id3v1(const std::string& title, const std::string& artist) {
    auto field = [](const std::string& s) { return (s + std::string(30, '\0')).substr(0, 30); };
    return "TAG" + field(title) + field(artist) + field("Album") + "2001" + field("") + '\x0C';
}

// Waits until the condition holds, for at most ten seconds (the worker wakes within 100 ms).
bool Eventually(const std::function<bool()>& condition) {
    return testing_support::WaitUntil(condition, 10000, 10);
}

// The driver (created when the test says), a session on it, and the fake player process.
struct TSoniqueLink {
    ~TSoniqueLink() {
        Session.reset();
        Sonique.reset();
    }

    bool Launch(const std::string& arguments = "") {
        return Player.Start(platform::ProgramFolder() + "fake_player.exe", "--sonique " + arguments,
                            kSoniqueWindowClass);
    }
    void Connect() {
        Sonique = std::make_unique<TSoniqueI>(platform::SystemWindows(), platform::SystemNamedObjects());
        Session = std::make_unique<TPlayerSession>(platform::SystemWindows(), platform::SystemClock(),
                                                   nullptr, Sonique.get());
        Listener = std::make_unique<TRecordingListener>(*Session);
        Session->SetSongChangeListener(Listener.get());
    }
    void SetPath(const std::string& path) { Player.SendData(TData::SoniquePath, path.data(), path.size()); }
    // Sets the path, announces it and waits until the driver has read it.
    bool Play(const std::string& path) {
        SetPath(path);
        Player.Announce();
        return Eventually([&] { return Sonique->SoniqueFileName() == path; });
    }
    void Follow() {
        Session->PollPlayer();
        Session->PollPlayer();
    }

    TTempFolder Temp;
    TFakePlayerProcess Player;
    std::unique_ptr<TSoniqueI> Sonique;
    std::unique_ptr<TPlayerSession> Session;
    std::unique_ptr<TRecordingListener> Listener;
};

std::vector<TRecord> Press(std::uintptr_t key, char character) {
    return {{0x0100, key, 1, false},
            {0x0102, std::uintptr_t(static_cast<unsigned char>(character)), 1, false},
            {0x0101, key, std::intptr_t(0xC0000001u), false}};
}

} // namespace

TEST(SoniqueLink, ReadsTheBlockAndTheTagOfTheFile) {
    for (bool playerFirst : {true, false}) {
        SCOPED_TRACE(playerFirst ? "the player made the block" : "the driver made the block");
        TSoniqueLink link;
        if (playerFirst) {
            ASSERT_TRUE(link.Launch());
        }
        link.Connect();
        if (!playerFirst) {
            ASSERT_TRUE(link.Launch());
        }
        ASSERT_TRUE(link.Sonique->SoniqueRemote1.Connected());
        EXPECT_EQ(link.Player.Get(TField::BlockMapped), 1);
        EXPECT_EQ(link.Player.Get(TField::BlockHeader), 1316);

        const std::string song = link.Temp / "01 Track.mp3";
        TTempFolder::WriteFile(song, std::string(4000, '\x55') + Id3v1("Song", "Artist"));
        link.Player.Set(TField::PositionMs, 12000);
        link.Player.Set(TField::LengthMs, 199999);
        ASSERT_TRUE(link.Play(song));
        EXPECT_EQ(link.Sonique->SoniqueTitle(), "Artist - Song");

        link.Follow();
        EXPECT_EQ(link.Session->AmpKind(), akSonique);
        EXPECT_EQ(link.Session->GetPlayerName(), "Sonique");
        EXPECT_EQ(link.Listener->Titles, std::vector<std::string>{"Artist - Song"});
        EXPECT_EQ(link.Session->GetSongFileName(), song);
        EXPECT_EQ(link.Session->GetSongLength(), 199000);
        const auto position = link.Session->GetSongPosition();
        EXPECT_GE(position, 12000);
        EXPECT_LT(position, 12000 + kSlackMs);

        // The next song: a file without a tag shows as its name.
        const std::string next = link.Temp / "Next Song.mp3";
        TTempFolder::WriteFile(next, std::string(50, 'x'));
        ASSERT_TRUE(link.Play(next));
        link.Session->PollPlayer();
        EXPECT_EQ(link.Listener->Titles.back(), "Next Song");
        EXPECT_EQ(link.Session->GetSongFileName(), next);
    }
}

TEST(SoniqueLink, KeyPressesArePosted) {
    TSoniqueLink link;
    ASSERT_TRUE(link.Launch());
    link.Connect();
    link.Follow();
    ASSERT_EQ(link.Session->AmpKind(), akSonique);
    auto stopThenPlay = Press(86, 'v');
    for (const auto& k : Press(88, 'x'))
        stopThenPlay.push_back(k);
    struct {
        const char* name;
        void (*op)(TPlayerSession&);
        std::vector<TRecord> keys;
    } cases[] = {
        {"play: stop, then play", [](TPlayerSession& s) { s.PlayerPlay(); }, stopThenPlay},
        // The test's keyboard layout is the US one: "c" is on the key of "C".
        {"pause", [](TPlayerSession& s) { s.PlayerPause(); }, Press(67, 'C')},
        {"stop", [](TPlayerSession& s) { s.PlayerStop(); }, Press(86, 'v')},
        {"next", [](TPlayerSession& s) { s.PlayerNext(); }, Press(66, 'b')},
        {"prev", [](TPlayerSession& s) { s.PlayerPrev(); }, Press(90, 'z')},
        {"volume up", [](TPlayerSession& s) { s.PlayerVolumeUp(); }, Press(38, 'F')},
        {"volume down", [](TPlayerSession& s) { s.PlayerVolumeDown(); }, Press(40, 'H')},
        {"forward", [](TPlayerSession& s) { s.PlayerForward5s(); }, {}},
        {"back", [](TPlayerSession& s) { s.PlayerBack5s(); }, {}},
        {"seek", [](TPlayerSession& s) { s.PlayerSeek(30000); }, {}},
        {"jump", [](TPlayerSession& s) { s.PlayerJumpToFile(); }, Press(74, 'j')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        link.Player.ClearRecords();
        c.op(*link.Session);
        ASSERT_TRUE(link.Player.Sync());
        EXPECT_EQ(link.Player.Records(), c.keys);
    }
    // Play twice in a row: the second sends nothing.
    link.Player.ClearRecords();
    link.Sonique->SoniquePlay();
    link.Sonique->SoniquePlay();
    ASSERT_TRUE(link.Player.Sync());
    EXPECT_EQ(link.Player.Records(), Press(88, 'x'));
}

TEST(SoniqueLink, APathInTheSystemsCodePage) {
    TSoniqueLink link;
    ASSERT_TRUE(link.Launch());
    link.Connect();
    // The player writes 8-bit text of the system's code page; the program opens the file by its program path.
    const std::string bytes = link.Temp / "Caf\xe9 \xc4.mp3";
    const std::string path = platform::PathFromSystemFileName(bytes);
    ASSERT_NE(path, bytes);
    ASSERT_TRUE(toolkit::WriteFileReplacing(path, Id3v1("Song", "Artist")));
    link.SetPath(bytes);
    link.Player.Announce();
    ASSERT_TRUE(Eventually([&] { return link.Sonique->SoniqueFileName() == path; }));
    EXPECT_EQ(link.Sonique->SoniqueTitle(), "Artist - Song");
}

TEST(SoniqueLink, BadPathsInTheBlock) {
    TSoniqueLink link;
    ASSERT_TRUE(link.Launch());
    link.Connect();
    const std::string shortFile = link.Temp / "Short.mp3";
    TTempFolder::WriteFile(shortFile, "TAGSong");
    const std::string folder = link.Temp / "Album.d";
    std::filesystem::create_directory(folder);
    struct {
        const char* what;
        std::string path;
        std::string title;
    } cases[] = {
        {"a file shorter than a tag", shortFile, "Short"},
        {"a missing file", link.Temp / "Gone.mp3", "Gone"},
        {"a folder", folder, "Album"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(link.Play(c.path));
        EXPECT_EQ(link.Sonique->SoniqueTitle(), c.title);
    }
    // 261 bytes without a zero: no path at all, never a read past the block.
    const std::string unterminated(261, 'x');
    link.SetPath(unterminated);
    link.Player.Announce();
    ASSERT_TRUE(Eventually([&] { return link.Sonique->SoniqueFileName().empty(); }));
    EXPECT_EQ(link.Sonique->SoniqueTitle(), "");
    link.Follow();
    EXPECT_EQ(link.Session->GetSongTitle(), "Stopped");
}

TEST(SoniqueLink, AnEventThatNeverFiresChangesNothing) {
    TSoniqueLink link;
    ASSERT_TRUE(link.Launch());
    link.Connect();
    const std::string first = link.Temp / "First.mp3";
    ASSERT_TRUE(link.Play(first));
    link.SetPath(link.Temp / "Second.mp3");
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_EQ(link.Sonique->SoniqueFileName(), first);
    // The worker, waiting, ends when the driver goes.
    link.Session.reset();
    link.Sonique.reset();
}

TEST(SoniqueLink, ABlockSmallerThanItsLayout) {
    // The player made a block of 100 bytes. Windows refuses to map more than a block holds, so the driver
    // stays unconnected; Wine maps whole pages, so the driver connects and reads zeros past the player's
    // bytes. Either way nothing outside the mapping is read, and no path is found.
    TSoniqueLink link;
    ASSERT_TRUE(link.Launch("--block-size 100"));
    ASSERT_EQ(link.Player.Get(TField::BlockMapped), 1);
    link.Connect();
    link.Player.Announce();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(link.Sonique->SoniquePosition(), 0);
    EXPECT_EQ(link.Sonique->SoniqueLength(), 0);
    EXPECT_EQ(link.Sonique->SoniqueFileName(), "");
    EXPECT_EQ(link.Sonique->SoniqueTitle(), "");
    // The player is still found by its window, and keys still reach it.
    link.Follow();
    EXPECT_EQ(link.Session->AmpKind(), akSonique);
    link.Session->PlayerNext();
    ASSERT_TRUE(link.Player.Sync());
    EXPECT_EQ(link.Player.Records(), Press(66, 'b'));
}

TEST(SoniqueLink, PlayerThatExitsGivesNoPlayerDetected) {
    for (bool crash : {false, true}) {
        SCOPED_TRACE(crash ? "crashes" : "closes");
        TSoniqueLink link;
        ASSERT_TRUE(link.Launch());
        link.Connect();
        const std::string song = link.Temp / "Song.mp3";
        TTempFolder::WriteFile(song, Id3v1("Song", "Artist"));
        ASSERT_TRUE(link.Play(song));
        link.Follow();
        ASSERT_EQ(link.Listener->Titles, std::vector<std::string>{"Artist - Song"});
        if (crash)
            link.Player.Kill();
        else
            ASSERT_TRUE(link.Player.Quit());
        for (int i = 0; i < 3; ++i)
            link.Session->PollPlayer();
        EXPECT_EQ(link.Listener->Titles, (std::vector<std::string>{"Artist - Song", kNoPlayerTitle}));
        EXPECT_EQ(link.Session->AmpKind(), akNone);
        link.Session->PlayerNext(); // nothing to send to
    }
}
