#include "player/USoniqueI.h"

#include "platform/fake/FakeNamedObjects.h"
#include "platform/fake/FakeSonique.h"
#include "platform/fake/FakeWindowSystem.h"
#include "toolkit/CodePage.h"
#include "toolkit/FileBytes.h"
#include "toolkit/tests/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace player;
using platform::TFakeNamedObjects;
using platform::TFakeSonique;
using platform::TFakeWindowSystem;
using testing_support::TTempFolder;

namespace {

constexpr auto kKeyUp = std::intptr_t(0xC0000001u);

// A 128-byte ID3v1 tag; fields shorter than 30 bytes are padded with the given byte.
std::string Id3v1(const std::string& title, const std::string& artist, char pad = '\0') {
    auto field = [pad](const std::string& s) { return (s + std::string(30, pad)).substr(0, 30); };
    return "TAG" + field(title) + field(artist) + field("Album") + "2001" + field("") + '\x0C';
}

// Waits until the condition holds, for at most five seconds (the worker wakes within 100 ms).
bool Eventually(const std::function<bool()>& condition) {
    for (int i = 0; i < 500; ++i) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

struct TKey {
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

// The key press the driver posts for a virtual key and a character.
std::vector<TKey> Press(std::uintptr_t key, char character) {
    return {{platform::WM_KEYDOWN_, key, 1},
            {platform::WM_CHAR_, std::uintptr_t(static_cast<unsigned char>(character)), 1},
            {platform::WM_KEYUP_, key, kKeyUp}};
}

class SoniqueTest : public ::testing::Test {
protected:
    // What the player's window received; every message must have been posted to it.
    std::vector<TKey> Keys() {
        std::vector<TKey> keys;
        for (const auto& m : Windows.Messages) {
            EXPECT_TRUE(m.posted);
            EXPECT_EQ(m.window, Player.Window());
            keys.push_back({m.message, m.wParam, m.lParam});
        }
        Windows.Messages.clear();
        return keys;
    }

    TFakeWindowSystem Windows;
    TFakeNamedObjects Named;
    TFakeSonique Player{Windows, Named};
    TTempFolder Temp;
};

bool operator==(const TKey& a, const TKey& b) {
    return a.message == b.message && a.wParam == b.wParam && a.lParam == b.lParam;
}

std::ostream& operator<<(std::ostream& out, const TKey& k) {
    return out << '{' << k.message << ',' << k.wParam << ',' << k.lParam << '}';
}

} // namespace

TEST_F(SoniqueTest, ConnectingMarksTheBlockAndReadsAtOnce) {
    const std::string song = Temp / "Song.mp3";
    TTempFolder::WriteFile(song, std::string(500, '\x55') + Id3v1("Title", "Artist"));
    Player.SetPath(song);
    Player.SetPositionMs(61234);
    Player.SetLengthMs(185999);
    TSoniqueI sonique(Windows, Named);
    EXPECT_TRUE(sonique.SoniqueRemote1.Connected());
    EXPECT_EQ(Player.Header(), 1316);
    // Read while connecting, before any change was announced.
    EXPECT_EQ(sonique.SoniqueFileName(), song);
    EXPECT_EQ(sonique.SoniqueTitle(), "Artist - Title");
    EXPECT_EQ(sonique.SoniquePosition(), 61234);
    EXPECT_EQ(sonique.SoniqueLength(), 185);
    // Position and length are read from the block on every call.
    Player.SetPositionMs(62000);
    EXPECT_EQ(sonique.SoniquePosition(), 62000);
    EXPECT_TRUE(sonique.SoniqueRunning());
    Player.Quit();
    EXPECT_FALSE(sonique.SoniqueRunning());
}

TEST_F(SoniqueTest, WorkerRefreshesWhenTheEventFires) {
    TSoniqueI sonique(Windows, Named);
    EXPECT_EQ(sonique.SoniqueFileName(), "");
    EXPECT_EQ(sonique.SoniqueTitle(), "");
    const std::string first = Temp / "First.mp3";
    const std::string second = Temp / "Second.mp3";
    TTempFolder::WriteFile(first, Id3v1("One", "Band"));
    TTempFolder::WriteFile(second, Id3v1("Two", "Band"));
    ASSERT_TRUE(Eventually([&] { return Named.EventOpens("SoniqueInformationEvent") == 1; }));

    Player.SetPath(first);
    // Without the event the driver does not look again.
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    EXPECT_EQ(sonique.SoniqueFileName(), "");
    Player.Announce();
    EXPECT_TRUE(Eventually([&] { return sonique.SoniqueTitle() == "Band - One"; }));
    EXPECT_EQ(sonique.SoniqueFileName(), first);
    Player.SetPath(second);
    Player.Announce();
    EXPECT_TRUE(Eventually([&] { return sonique.SoniqueTitle() == "Band - Two"; }));
    EXPECT_EQ(sonique.SoniqueFileName(), second);
}

TEST_F(SoniqueTest, TitleFromTagOrFileName) {
    std::filesystem::create_directory(Temp / "Album.d");
    struct {
        const char* what;
        std::string file;  // written under the folder when bytes are given
        std::string bytes; // "<none>": no file
        std::string title;
    } cases[] = {
        {"title and artist", "a.mp3", std::string(300, 'x') + Id3v1("Title", "Artist"), "Artist - Title"},
        {"blank fields padded with blanks", "Song.mp3", Id3v1("", "", ' '), "Song"},
        {"fields padded with blanks are trimmed", "b.mp3", Id3v1("  Title", " Artist", ' '),
         "Artist - Title"},
        {"artist without a title", "c.mp3", Id3v1("", "Artist"), "Artist - "},
        {"title without an artist", "d.mp3", Id3v1("Title", "   "), "Title"},
        {"no tag", "No Tag.mp3", std::string(400, 'x'), "No Tag"},
        {"shorter than a tag", "Short.mp3", "TAGTitle", "Short"},
        {"empty file", "Empty.mp3", "", "Empty"},
        {"missing file", "Missing.mp3", "<none>", "Missing"},
        {"a folder", "Album.d", "<none>", "Album"},
        {"several dots", "a.b.c.mp3", "x", "a.b.c"},
        {"no extension", "Plain", "x", "Plain"},
    };
    TSoniqueI sonique(Windows, Named);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = Temp / c.file;
        if (c.bytes != "<none>")
            TTempFolder::WriteFile(path, c.bytes);
        Player.SetPath(path);
        sonique.SoniqueRemote1.RefreshInformation();
        EXPECT_EQ(sonique.SoniqueTitle(), c.title);
        EXPECT_EQ(sonique.SoniqueFileName(), path);
    }
}

TEST_F(SoniqueTest, TextOfTheActiveCodePageAndProgramPaths) {
    const int saved = toolkit::ActiveCodePage();
    // The player hands over paths in the system's 8-bit code page (1252 here); the driver keeps program
    // paths.
    const std::string latinBytes = Temp / "Latin.mp3"; // tag fields in the system's code page
    const std::string utf8Bytes = Temp / "Utf8.mp3";   // tag fields written as UTF-8 by a newer tagger
    const std::string untaggedBytes = Temp / "J\xf3ga.mp3";
    const std::string untagged = platform::PathFromSystemFileName(untaggedBytes);
    ASSERT_TRUE(toolkit::WriteFileReplacing(latinBytes, Id3v1("J\xf3ga", "Bj\xf6rk")));
    ASSERT_TRUE(toolkit::WriteFileReplacing(utf8Bytes, Id3v1("J\xc3\xb3ga", "Bj\xc3\xb6rk")));
    ASSERT_TRUE(toolkit::WriteFileReplacing(untagged, "x"));
    struct {
        int codePage;
        std::string block, path, title;
    } cases[] = {
        {toolkit::kCodePageUtf8, latinBytes, latinBytes, "Bj\xc3\xb6rk - J\xc3\xb3ga"},
        {toolkit::kCodePageUtf8, utf8Bytes, utf8Bytes, "Bj\xc3\xb6rk - J\xc3\xb3ga"},
        {toolkit::kCodePageUtf8, untaggedBytes, untagged, "J\xc3\xb3ga"},
        {1252, latinBytes, latinBytes,
         "Bj\xf6rk - J\xf3ga"}, // a single-byte page takes the bytes as they are
        {1252, untaggedBytes, untagged, "J\xf3ga"},
    };
    TSoniqueI sonique(Windows, Named);
    for (const auto& c : cases) {
        toolkit::SetActiveCodePage(c.codePage);
        Player.SetPath(c.block);
        sonique.SoniqueRemote1.RefreshInformation();
        EXPECT_EQ(sonique.SoniqueTitle(), c.title) << c.codePage << " " << c.block;
        EXPECT_EQ(sonique.SoniqueFileName(), c.path);
    }
    toolkit::SetActiveCodePage(saved);
}

TEST(SoniqueFileTitle, WindowsPaths) {
    EXPECT_EQ(SoniqueFileTitle("C:\\Music\\Artist - Song.mp3"), "Artist - Song");
    EXPECT_EQ(SoniqueFileTitle("C:Song.mp3"), "Song");
    EXPECT_EQ(SoniqueFileTitle("C:\\Music.d\\Song"), "Song");
    EXPECT_EQ(SoniqueFileTitle("C:\\Music\\.mp3"), "");
    EXPECT_EQ(SoniqueFileTitle(""), "");
}

TEST_F(SoniqueTest, PathBytesWithoutAZeroGiveNoPath) {
    TSoniqueI sonique(Windows, Named);
    const std::string longest(260, 'x');
    Player.SetPath(longest); // 260 bytes and the zero fill the path bytes exactly
    sonique.SoniqueRemote1.RefreshInformation();
    EXPECT_EQ(sonique.SoniqueFileName(), longest);
    Player.SetPath(std::string(261, 'y')); // no zero anywhere in them
    sonique.SoniqueRemote1.RefreshInformation();
    EXPECT_EQ(sonique.SoniqueFileName(), "");
    EXPECT_EQ(sonique.SoniqueTitle(), "");
    const unsigned char bytes[] = {'a', 'b', 0, 'c'};
    EXPECT_EQ(SoniquePathFromBlock(bytes, 4), "ab");
    EXPECT_EQ(SoniquePathFromBlock(bytes, 2), "");
}

TEST(SoniqueConnect, WithoutTheBlockNothingIsRead) {
    for (bool smallerBlock : {false, true}) {
        SCOPED_TRACE(smallerBlock ? "a smaller block exists" : "the block cannot be had");
        TFakeWindowSystem windows;
        TFakeNamedObjects named;
        if (smallerBlock)
            (*named.Block("SoniqueInformation", 1316))[12] = 7;
        else
            named.FailSharedMemory = true;
        TSoniqueI sonique(windows, named);
        EXPECT_FALSE(sonique.SoniqueRemote1.Connected());
        EXPECT_EQ(sonique.SoniquePosition(), 0);
        EXPECT_EQ(sonique.SoniqueLength(), 0);
        sonique.SoniqueRemote1.RefreshInformation();
        EXPECT_EQ(sonique.SoniqueFileName(), "");
        EXPECT_EQ(sonique.SoniqueTitle(), "");
        // No worker: nobody waits for the event.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(named.EventOpens("SoniqueInformationEvent"), 0);
    }
}

TEST_F(SoniqueTest, WithoutTheEventTheInformationStaysAsConnected) {
    Named.FailEvents = true;
    const std::string song = Temp / "Song.mp3";
    Player.SetPath(song);
    TSoniqueI sonique(Windows, Named);
    EXPECT_EQ(sonique.SoniqueTitle(), "Song");
    Player.SetPath(Temp / "Other.mp3");
    Player.Announce();
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    EXPECT_EQ(sonique.SoniqueTitle(), "Song");
    // Position and length do not depend on the event.
    Player.SetPositionMs(1500);
    EXPECT_EQ(sonique.SoniquePosition(), 1500);
}

TEST_F(SoniqueTest, DisconnectStopsTheWorkerAndLetsGoOfTheBlock) {
    TSoniqueI sonique(Windows, Named);
    ASSERT_TRUE(Eventually([&] { return Named.EventOpens("SoniqueInformationEvent") == 1; }));
    sonique.SoniqueRemote1.Disconnect();
    EXPECT_FALSE(sonique.SoniqueRemote1.Connected());
    EXPECT_EQ(sonique.SoniquePosition(), 0);
    EXPECT_EQ(Named.ExistingBlock("SoniqueInformation").use_count(), 3)
        << "the fake player and the map hold it";
    sonique.SoniqueRemote1.Connect();
    EXPECT_TRUE(sonique.SoniqueRemote1.Connected());
}

TEST_F(SoniqueTest, KeyPresses) {
    struct {
        const char* name;
        void (TSoniqueI::*op)();
        std::vector<TKey> keys;
    } cases[] = {
        {"next", &TSoniqueI::SoniqueNext, Press(66, 'b')},
        {"pause", &TSoniqueI::SoniquePause, Press(67, 'C')},
        {"play", &TSoniqueI::SoniquePlay, Press(88, 'x')},
        {"prev", &TSoniqueI::SoniquePrev, Press(90, 'z')},
        {"stop", &TSoniqueI::SoniqueStop, Press(86, 'v')},
        {"jump", &TSoniqueI::SoniqueJump, Press(74, 'j')},
        {"volume up", &TSoniqueI::SoniqueVolumeUp, Press(38, 'F')},
        {"volume down", &TSoniqueI::SoniqueVolumeDown, Press(40, 'H')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TSoniqueI sonique(Windows, Named);
        (sonique.*c.op)();
        EXPECT_EQ(Keys(), c.keys);
    }
}

TEST_F(SoniqueTest, PauseUsesTheKeyboardLayoutsKeyForC) {
    TSoniqueI sonique(Windows, Named);
    Windows.KeyboardLayout['c'] = 73; // Dvorak: "c" is on the key of "I"
    sonique.SoniquePause();
    EXPECT_EQ(Keys(), Press(73, 'C'));
    Windows.KeyboardLayout['c'] = -1; // no key types it: the key of "C"
    sonique.SoniquePause();
    EXPECT_EQ(Keys(), Press(67, 'C'));
}

TEST_F(SoniqueTest, PlayOnlyFromAnotherState) {
    TSoniqueI sonique(Windows, Named);
    auto& remote = sonique.SoniqueRemote1;
    sonique.SoniquePlay();
    sonique.SoniquePlay();
    EXPECT_EQ(Keys(), Press(88, 'x')) << "play twice in a row sends one press";
    EXPECT_EQ(remote.State(), TSoniqueState::Playing);
    sonique.SoniqueStop();
    sonique.SoniquePlay();
    auto both = Press(86, 'v');
    for (const auto& k : Press(88, 'x'))
        both.push_back(k);
    EXPECT_EQ(Keys(), both) << "stop then play sends both";
    sonique.SoniquePause();
    EXPECT_EQ(remote.State(), TSoniqueState::Paused);
    sonique.SoniqueNext();
    EXPECT_EQ(remote.State(), TSoniqueState::Paused);
    Keys();
    sonique.SoniquePlay();
    EXPECT_EQ(Keys(), Press(88, 'x'));
}

TEST_F(SoniqueTest, WithoutTheWindowNothingIsSentButTheStateIsSet) {
    TSoniqueI sonique(Windows, Named);
    Player.Quit();
    sonique.SoniquePlay();
    EXPECT_TRUE(Windows.Messages.empty());
    EXPECT_EQ(sonique.SoniqueRemote1.State(), TSoniqueState::Playing);
    // The player comes back: play sends nothing, the state says playing already.
    TFakeSonique back(Windows, Named);
    sonique.SoniquePlay();
    EXPECT_TRUE(Windows.Messages.empty());
    sonique.SoniqueStop();
    EXPECT_EQ(Windows.Messages.size(), 3u);
}

TEST_F(SoniqueTest, WindowGoneInTheMiddleOfAKeyPress) {
    TSoniqueI sonique(Windows, Named);
    Windows.SetHandler(Player.Window(), [this](std::uint32_t, std::uintptr_t, std::intptr_t) {
        Player.Quit();
        return std::intptr_t(0);
    });
    sonique.SoniqueStop();
    ASSERT_EQ(Windows.Messages.size(), 3u); // looked up once, then posted; the last two go nowhere
    EXPECT_EQ(sonique.SoniqueRemote1.State(), TSoniqueState::Stopped);
    EXPECT_FALSE(sonique.SoniqueRunning());
    Windows.Messages.clear();
    sonique.SoniqueNext();
    EXPECT_TRUE(Windows.Messages.empty());
}

namespace {

// A window system whose lookups fail.
class TFailingWindows final : public platform::IWindowSystem {
public:
    platform::WindowHandle FindWindowOfClass(const std::string&) override {
        throw std::runtime_error("lookup");
    }
    bool IsWindowAlive(platform::WindowHandle) override { return false; }
    std::string GetCaption(platform::WindowHandle) override { return {}; }
    bool SetCaption(platform::WindowHandle, const std::string&) override { return false; }
    std::intptr_t Send(platform::WindowHandle, std::uint32_t, std::uintptr_t, std::intptr_t) override {
        return 0;
    }
    bool Post(platform::WindowHandle, std::uint32_t, std::uintptr_t, std::intptr_t) override { return false; }
    void BringToTop(platform::WindowHandle) override {}
    std::string ReadProcessFileName(platform::WindowHandle, std::uintptr_t, std::size_t) override {
        return {};
    }
    std::int32_t VirtualKeyOfChar(char) override { return -1; }
};

} // namespace

TEST(SoniqueRunning, AFailedLookupCountsAsNotRunning) {
    TFailingWindows windows;
    TFakeNamedObjects named;
    TSoniqueI sonique(windows, named);
    EXPECT_FALSE(sonique.SoniqueRunning());
}
