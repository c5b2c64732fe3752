// The real cantrel.exe under Wine, as a user runs it: a program folder with the lyric fonts, the settings,
// the lyrics folder and the search agent (the fake agent program as "Cantrel\CantrelAgent.exe"), and the
// fake Winamp process playing a song. The test reads the program only from the outside: its window's
// caption, pictures of its window taken from the X server, the commands the player receives, and the files
// it writes.
//
// The fake player is paused at the positions the test sets, each a jump of more than 1.5 s from the last, so
// the program's song clock moves there at its next poll and stands; every picture is waited for (polled until
// it shows what is expected, within a time-out).
#include "player/AmpI.h"

#include "platform/win32/tests/FakeWinampProcess.h"
#include "platform/win32/tests/ProgramProcess.h"
#include "platform/win32/tests/TinyHttpServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using platform::TFakeWinampProcess;
using platform::TProgramProcess;
using platform::TRgbImage;
using platform::fake_winamp::TField;

namespace {

constexpr std::int32_t kWinampPaused = 3;
// Virtual keys of the keyboard.
constexpr std::uint32_t kKeyEnter = 0x0D, kKeyCtrl = 0x11, kKeyAlt = 0x12, kKeyEscape = 0x1B;
constexpr int kStatusRows = 70; // the bottom rows: notice, playback buttons and status strip

// What a picture of the window shows, by colour.
struct TPictureFacts {
    // The current line: yellow pixels in the lyric area, and the columns they span.
    int Yellow = 0;
    int YellowLeft = -1;
    int YellowRight = -1;
    // The notice at the bottom left ("Downloading.." and the like), in its dark gold.
    int Notice = 0;
    int YellowWidth() const { return Yellow ? YellowRight - YellowLeft + 1 : 0; }
};

TPictureFacts Examine(const TRgbImage& image) {
    TPictureFacts facts;
    const int lyricRows = image.Height - kStatusRows;
    for (int y = 0; y < image.Height; ++y)
        for (int x = 0; x < image.Width; ++x) {
            const std::uint8_t* p = image.At(x, y);
            const int r = p[0], g = p[1], b = p[2];
            if (std::max({r, g, b}) < 60)
                continue;
            if (y < lyricRows) {
                if (r >= 150 && std::abs(r - g) < 40 && b < r / 3) {
                    ++facts.Yellow;
                    facts.YellowLeft = facts.YellowLeft < 0 ? x : std::min(facts.YellowLeft, x);
                    facts.YellowRight = std::max(facts.YellowRight, x);
                }
            } else if (y < image.Height - 30 && x < image.Width / 2) {
                // 0.55, 0.47, 0.14: green about 85 % of red, little blue.
                if (g * 100 >= r * 70 && g * 100 <= r * 95 && b * 100 <= r * 45)
                    ++facts.Notice;
            }
        }
    return facts;
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A program folder of its own under the build folder, with everything a user's installation has.
class TProgramFolder {
public:
    explicit TProgramFolder(const std::string& name)
        : UnixRoot_(std::string(CANTREL_TEST_WORK_DIR) + "/" + name),
          Root_(platform::WindowsPathOf(UnixRoot_)) {
        std::error_code error;
        fs::remove_all(Root_, error);
        fs::create_directories(Root_ / "Cantrel" / "lyrics");
        fs::copy_file(platform::WindowsPathOf(CANTREL_EXE), Root_ / "cantrel.exe");
        fs::copy_file(platform::WindowsPathOf(FAKE_AGENT_EXE), Root_ / "Cantrel" / "CantrelAgent.exe");
        for (const auto& entry : fs::directory_iterator(platform::WindowsPathOf(CANTREL_FONTS_DIR)))
            if (entry.path().extension() == ".gsf")
                fs::copy_file(entry.path(), Root_ / "Cantrel" / entry.path().filename());
    }
    ~TProgramFolder() {
        std::error_code error;
        fs::remove_all(Root_, error);
    }

    void Write(const fs::path& relative, const std::string& bytes) const {
        std::ofstream(Root_ / relative, std::ios::binary) << bytes;
    }
    fs::path Path(const fs::path& relative = {}) const { return relative.empty() ? Root_ : Root_ / relative; }

private:
    std::string UnixRoot_;
    fs::path Root_;
};

// The fake agent's settings, through the environment the program hands on to the agent it starts.
void ConfigureAgent(const TProgramFolder& folder, const std::string& mode, int delayMs) {
    platform::SetEnvironment("CANTREL_FAKE_AGENT_MODE", mode);
    platform::SetEnvironment("CANTREL_FAKE_AGENT_DELAY_MS", std::to_string(delayMs));
    platform::SetEnvironment("CANTREL_FAKE_AGENT_LOG", folder.Path("agent.log").string());
    platform::SetEnvironment("CANTREL_FAKE_AGENT_MAX_SECONDS", "240");
}

// The running program with its player; ends whatever is left of both, and of the agent, at the end.
struct TRun {
    explicit TRun(const std::string& name) : Folder(name) {}
    ~TRun() {
        Program.Kill();
        platform::EndProcessOfWindowClass("TFormCantrelAgent");
    }

    bool StartPlayer(const std::string& caption, std::int32_t lengthSeconds, std::int32_t positionMs) {
        if (!Player.Start(platform::WindowsPathOf(FAKE_WINAMP_EXE)))
            return false;
        Player.SetCaption(caption);
        Player.Set(TField::PlaylistLength, 5);
        Player.Set(TField::LengthSeconds, lengthSeconds);
        Player.Set(TField::IsPlaying, kWinampPaused);
        Player.Set(TField::PositionMs, positionMs);
        return true;
    }

    // Starts cantrel.exe in the run's folder and waits until its caption names the song.
    bool StartProgram(const std::string& song) {
        return Program.Start(Folder.Path("cantrel.exe").string(), Folder.Path().string()) &&
               WaitUntil([&] { return Program.Caption().find(song) != std::string::npos; }, 30000);
    }

    TPictureFacts Look() {
        const TRgbImage image = Program.Screenshot();
        EXPECT_GT(image.Width, 0) << "no picture (the test runs under screenshot-service.sh)";
        return Examine(image);
    }

    // Waits for a picture that satisfies the condition; the last picture's facts stay in Last.
    bool WaitForPicture(const std::function<bool(const TPictureFacts&)>& condition, int timeoutMs = 30000) {
        return WaitUntil([&] { return condition(Last = Look()); }, timeoutMs);
    }

    // Asks (a key, a click) until a shown window of the program has the caption; that window, or kNoWindow
    // after 20 s.
    platform::WindowHandle OpenWindow(const std::string& caption, const std::function<void()>& ask) {
        platform::WindowHandle window = platform::kNoWindow;
        WaitUntil(
            [&] {
                ask();
                return WaitUntil(
                    [&] { return (window = Program.FindWindowByCaption(caption)) != platform::kNoWindow; },
                    2000);
            },
            20000);
        return window;
    }

    // Asks until no shown window of the program has the caption; false after 20 s.
    bool CloseWindow(const std::string& caption, const std::function<void()>& ask) {
        return WaitUntil(
            [&] {
                ask();
                return WaitUntil([&] { return Program.FindWindowByCaption(caption) == platform::kNoWindow; },
                                 2000);
            },
            20000);
    }

    std::vector<std::uint32_t> WaitForCommands(std::size_t count) {
        WaitUntil([&] { return Player.Commands().size() >= count; }, 10000);
        return Player.Commands();
    }

    TProgramFolder Folder;
    TFakeWinampProcess Player;
    TProgramProcess Program;
    TPictureFacts Last;
};

} // namespace

TEST(CantrelProgram, FollowsThePlayerShowsTheCurrentLineAndControlsThePlayer) {
    TRun run("run-follow");
    run.Folder.Write("Cantrel/Settings.ini", "[Display]\r\nShowButtons=1\r\n");
    run.Folder.Write("Cantrel/lyrics/Cantrel Test - Counting Song.lrc",
                     "[ti:Counting Song]\r\n[00:02.00]Short\r\n[00:05.00]A much longer line of the song\r\n"
                     "[00:09.00]End\r\n");
    ConfigureAgent(run.Folder, "notfound", 0);
    ASSERT_TRUE(run.StartPlayer("1. Cantrel Test - Counting Song - Winamp", 200, 3000));
    ASSERT_TRUE(run.Program.Start(run.Folder.Path("cantrel.exe").string(), run.Folder.Path().string()));

    // The window finds the player: its caption becomes the song's title.
    EXPECT_TRUE(WaitUntil(
        [&] { return run.Program.Caption().find("Cantrel Test - Counting Song") != std::string::npos; },
        30000))
        << "caption: " << run.Program.Caption();

    // At 3 s the current line is "Short": a short yellow line.
    ASSERT_TRUE(run.WaitForPicture([](const TPictureFacts& f) { return f.YellowWidth() > 10; }))
        << "no highlighted line";
    TPictureFacts shortLine = run.Last;
    ASSERT_TRUE(run.WaitForPicture([&](const TPictureFacts& f) {
        const bool settled = f.YellowWidth() == shortLine.YellowWidth();
        shortLine = f;
        return settled;
    }));

    // The player moves to 6 s: the highlight moves to the long line (30 characters against 5).
    run.Player.Set(TField::PositionMs, 6000);
    EXPECT_TRUE(run.WaitForPicture([&](const TPictureFacts& f) {
        return f.YellowWidth() > 4 * shortLine.YellowWidth();
    })) << "short line "
        << shortLine.YellowWidth() << " px, now " << run.Last.YellowWidth() << " px";
    const int longWidth = run.Last.YellowWidth();

    // And on to 10 s: "End", shorter than "Short".
    run.Player.Set(TField::PositionMs, 10000);
    EXPECT_TRUE(run.WaitForPicture([&](const TPictureFacts& f) {
        return f.YellowWidth() > 0 && f.YellowWidth() < shortLine.YellowWidth() &&
               f.YellowWidth() < longWidth / 4;
    })) << "now "
        << run.Last.YellowWidth() << " px";

    // Keys reach the player as its menu commands.
    const struct {
        std::uint32_t key;
        std::uint32_t command;
    } keys[] = {
        {'B', player::AMP_NEXT}, {'Z', player::AMP_PREV}, {'C', player::AMP_PAUSE}, {'V', player::AMP_STOP}};
    for (const auto& k : keys) {
        SCOPED_TRACE(char(k.key));
        run.Player.ClearRecords();
        run.Program.PressKey(k.key);
        EXPECT_EQ(run.WaitForCommands(1), std::vector<std::uint32_t>{k.command});
    }

    // Closing saves the settings (the ones the file did not have included) and the window placement.
    ASSERT_TRUE(run.Program.Close());
    const std::string settings = ReadFile(run.Folder.Path("Cantrel/Settings.ini"));
    EXPECT_NE(settings.find("ShowButtons=1"), std::string::npos) << settings;
    EXPECT_NE(settings.find("[General]"), std::string::npos) << settings;
    EXPECT_NE(settings.find("LyricsDir="), std::string::npos) << settings;
    EXPECT_TRUE(fs::exists(run.Folder.Path("Cantrel/FormSettings.ini")));
    // ... and tells the agent to close, which it does.
    EXPECT_TRUE(WaitUntil(
        [&] { return ReadFile(run.Folder.Path("agent.log")).find("Close\t") != std::string::npos; }, 10000));
}

TEST(CantrelProgram, TheAgentDownloadsMissingLyrics) {
    TRun run("run-agent");
    run.Folder.Write("Cantrel/Settings.ini", "[Display]\r\nShowButtons=1\r\n");
    // The reply comes 4 s after the request, so the notice can be seen meanwhile.
    ConfigureAgent(run.Folder, "download", 4000);
    ASSERT_TRUE(run.StartPlayer("1. Cantrel Test - Fetched Song - Winamp", 200, 5000));
    ASSERT_TRUE(run.Program.Start(run.Folder.Path("cantrel.exe").string(), run.Folder.Path().string()));

    // No lyrics here: the search goes to the agent as WM_COPYDATA, and "Downloading.." shows.
    EXPECT_TRUE(WaitUntil(
        [&] { return ReadFile(run.Folder.Path("agent.log")).find("Search\t") != std::string::npos; }, 30000));
    const std::string requests = ReadFile(run.Folder.Path("agent.log"));
    EXPECT_NE(requests.find("Cantrel Test - Fetched Song"), std::string::npos) << requests;
    EXPECT_TRUE(
        run.WaitForPicture([](const TPictureFacts& f) { return f.Notice > 20 && f.Yellow == 0; }, 4000))
        << "notice pixels " << run.Last.Notice << ", yellow " << run.Last.Yellow;

    // "DownloadDone": the lyrics the agent stored show, their line at 5 s ("First downloaded line") current.
    EXPECT_TRUE(run.WaitForPicture([](const TPictureFacts& f) { return f.YellowWidth() > 50; }))
        << "yellow " << run.Last.YellowWidth() << " px";

    ASSERT_TRUE(run.Program.Close());
    EXPECT_TRUE(WaitUntil(
        [&] { return ReadFile(run.Folder.Path("agent.log")).find("Close\t") != std::string::npos; }, 10000));
}

TEST(CantrelProgram, TheTimingEditorStampsTheLinesAndSavesThemAsLrc) {
    TRun run("run-editor");
    run.Folder.Write("Cantrel/Settings.ini", "[Display]\r\nShowButtons=1\r\n");
    run.Folder.Write("Cantrel/lyrics/Cantrel Test - Timed Song.txt", "First line\r\nSecond line\r\n");
    ConfigureAgent(run.Folder, "notfound", 0);
    ASSERT_TRUE(run.StartPlayer("1. Cantrel Test - Timed Song - Winamp", 200, 3000));
    ASSERT_TRUE(run.StartProgram("Cantrel Test - Timed Song")) << "caption: " << run.Program.Caption();

    // Ctrl+E opens the editor beside the main window's edit view.
    const platform::WindowHandle editor = run.OpenWindow("Edit Lyrics", [&] {
        run.Program.TypeKeys(run.Program.Window(), {kKeyCtrl, 'E'});
    });
    ASSERT_NE(editor, platform::kNoWindow) << "no editor window";

    // Enter stamps the caret line with the play position and goes down a line; the display put a blank line
    // on top of the lyrics, which is stamped first. Typed keys arrive when the program gets to them, so each
    // stamp is followed by X (play), and the player is moved on once that command has arrived.
    run.Player.ClearRecords();
    const std::int32_t stamps[] = {3000, 6000, 9000};
    for (std::size_t i = 0; i < std::size(stamps); ++i) {
        SCOPED_TRACE(stamps[i]);
        run.Player.Set(TField::PositionMs, stamps[i]);
        ASSERT_TRUE(run.Program.TypeKeys(editor, {kKeyEnter}));
        ASSERT_TRUE(run.Program.TypeKeys(editor, {'X'}));
        ASSERT_EQ(run.WaitForCommands(i + 1).size(), i + 1);
        EXPECT_EQ(run.Player.Commands().back(), player::AMP_PLAY);
    }
    // Alt+O is "&Ok": the lyrics go into the lyrics folder under the song's name and its rounded length.
    ASSERT_TRUE(run.Program.TypeKeys(editor, {kKeyAlt, 'O'}));
    const fs::path saved = run.Folder.Path("Cantrel/lyrics/Cantrel Test - Timed Song [200].lrc");
    EXPECT_TRUE(WaitUntil([&] { return fs::exists(saved); }, 10000)) << "nothing saved";
    EXPECT_EQ(ReadFile(saved), "[00:03.00]\r\n[00:06.00]First line\r\n[00:09.00]Second line\r\n");

    // The editor closes, and the reload shows the timed lyrics: at 11 s "Second line" is the current line.
    run.Player.Set(TField::PositionMs, 11000);
    EXPECT_TRUE(WaitUntil(
        [&] { return run.Program.FindWindowByCaption("Edit Lyrics") == platform::kNoWindow; }, 10000));
    EXPECT_TRUE(run.WaitForPicture([](const TPictureFacts& f) { return f.YellowWidth() > 20; }))
        << "yellow " << run.Last.YellowWidth() << " px";

    ASSERT_TRUE(run.Program.Close());
}

// The "^" at the bottom right of the frame opens "Submit Lyrics"; Alt+S sends the lyrics to the account's
// lyric database (a local server), and its answer counts in the upload list the program writes at exit.
TEST(CantrelProgram, TheSubmitIndicatorOpensTheDialogThatSendsTheLyrics) {
    platform::TTinyHttpServer server("Lyric successfully added");
    ASSERT_TRUE(server.Start());
    TRun run("run-submit");
    run.Folder.Write("Cantrel/Settings.ini", "[Versevault]\r\nUsername=alice\r\nUrl=http://127.0.0.1:" +
                                                 std::to_string(server.Port()) + "\r\n");
    run.Folder.Write("Cantrel/unknown", "--\r\n");
    run.Folder.Write("Cantrel/lyrics/Cantrel Test - Plain Song.txt",
                     "One\r\nTwo\r\nThree\r\nFour\r\nFive\r\nSix\r\n");
    ConfigureAgent(run.Folder, "notfound", 0);
    ASSERT_TRUE(run.StartPlayer("1. Cantrel Test - Plain Song - Winamp", 200, 3000));
    ASSERT_TRUE(run.StartProgram("Cantrel Test - Plain Song")) << "caption: " << run.Program.Caption();

    const platform::WindowHandle dialog = run.OpenWindow("Submit Lyrics", [&] {
        int width = 0, height = 0;
        run.Program.ClientSize(run.Program.Window(), width, height);
        run.Program.ClickAt(run.Program.Window(), width - 8, height - 10);
    });
    ASSERT_NE(dialog, platform::kNoWindow) << "no submission dialog";

    ASSERT_TRUE(run.Program.TypeKeys(dialog, {kKeyAlt, 'S'}));
    ASSERT_TRUE(WaitUntil([&] { return server.Requests().size() == 1; }, 20000)) << "nothing sent";
    const std::string request = server.Requests()[0];
    EXPECT_EQ(request.rfind("POST /index.php HTTP/1.0\r\n", 0), 0u) << request;
    EXPECT_NE(request.find("name=\"songtext\"\r\n\r\nOne\r\nTwo\r\nThree\r\nFour\r\nFive\r\nSix\r\n\r\n"),
              std::string::npos)
        << request;
    EXPECT_NE(request.find("name=\"userNickname\"\r\n\r\nalice\r\n"), std::string::npos) << request;

    // "&Ok" closes the dialog once the answer is in.
    EXPECT_TRUE(run.CloseWindow("Submit Lyrics", [&] {
        run.Program.TypeKeys(dialog, {kKeyAlt, 'O'});
    })) << "the dialog stays";
    ASSERT_TRUE(run.Program.Close());
    EXPECT_NE(ReadFile(run.Folder.Path("Cantrel/Upload.txt")).find("cantrel test - plain song"),
              std::string::npos);
}

// The preferences dialog opens from Ctrl+P as a window of its own, closes with Escape and opens again; what
// it changes is saved with the settings when the program ends.
TEST(CantrelProgram, ThePreferencesDialogOpensAndCloses) {
    TRun run("run-preferences");
    run.Folder.Write("Cantrel/Settings.ini", "[Display]\r\nShowButtons=1\r\n");
    ConfigureAgent(run.Folder, "notfound", 0);
    ASSERT_TRUE(run.StartPlayer("1. Cantrel Test - Timed Song - Winamp", 200, 3000));
    ASSERT_TRUE(run.StartProgram("Cantrel Test - Timed Song")) << "caption: " << run.Program.Caption();

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        const platform::WindowHandle dialog = run.OpenWindow("Cantrel Preferences", [&] {
            run.Program.TypeKeys(run.Program.Window(), {kKeyCtrl, 'P'});
        });
        ASSERT_NE(dialog, platform::kNoWindow) << "no preferences window";
        ASSERT_TRUE(run.Program.TypeKeys(dialog, {kKeyEscape}));
        EXPECT_TRUE(WaitUntil(
            [&] { return run.Program.FindWindowByCaption("Cantrel Preferences") == platform::kNoWindow; },
            10000));
    }
    ASSERT_TRUE(run.Program.Close());
    EXPECT_NE(ReadFile(run.Folder.Path("Cantrel/Settings.ini")).find("[Lrclib]"), std::string::npos);
}
