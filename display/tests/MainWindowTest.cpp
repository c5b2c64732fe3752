// The main window running as the user sees it, under Xvfb, with a fake window system, a fake Winamp, a
// settable clock and the fake search agent: start-up without a player, a song with and without lyrics,
// the cancel list, the search button through a whole search, searching again after the lyrics' site, keys
// and gestures, Alt+F4 and the manual web search.
#include "display/UMain.h"

#include "config/USettings.h"
#include "database/UUploadLyric.h"
#include "display/MainScene.h"
#include "display/UDisplayTextNoTimestamp.h"
#include "display/USkinImage.h"
#include "display/UWinampSkin.h"
#include "display/scene/GLSceneViewer.h"
#include "lyrics/fake/FakeAgent.h"
#include "lyrics/tests/Fixtures.h"
#include "platform/fake/FakeAgentChannel.h"
#include "platform/fake/FakeMediaSession.h"
#include "platform/fake/FakeWinamp.h"
#include "player/AmpI.h"
#include "toolkit/CodePage.h"
#include "toolkit/FileBytes.h"

#include "QtTestApp.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QTest>
#include <QWheelEvent>
#include <QWindow>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>

namespace fs = std::filesystem;
using namespace display;

namespace {

// Waits on conditions end after this long at most (a loaded machine can take seconds to show a window).
constexpr int kLongWaitMs = 20000;

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        display::testing::TestApp();
        Folder = fs::temp_directory_path() / ("cantrel-main-" + std::to_string(std::random_device()()));
        fs::create_directories(Folder / "Cantrel" / "lyrics");
        std::ofstream(Folder / "Cantrel" / "CantrelAgent") << "agent";
        std::ofstream(Folder / "Cantrel" / "CantrelAgent.exe") << "agent";
        Clock.Now = 5000000;
        Agent = std::make_unique<lyrics::TFakeAgent>(AgentChannel, (Folder / "Cantrel" / "lyrics").string());
        Agent->Sites = {"http://one.example/", "http://two.example/", "http://three.example/"};
        ASSERT_TRUE(Agent->Listen());
    }
    void TearDown() override {
        Window.reset();
        fs::remove_all(Folder);
    }

    void WriteSettings(const std::string& text) {
        std::ofstream(Folder / "Cantrel" / "Settings.ini") << text;
    }
    std::string ReadSettings() {
        std::ifstream in(Folder / "Cantrel" / "Settings.ini", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void WriteLyrics(const std::string& name, const std::string& text) {
        std::ofstream(Folder / "Cantrel" / "lyrics" / name, std::ios::binary) << text;
    }
    void StartWinamp(const std::string& caption, int positionMs, int lengthSeconds) {
        Amp = std::make_unique<platform::TFakeWinamp>(Windows, caption);
        Amp->PositionMs = positionMs;
        Amp->LengthSeconds = lengthSeconds;
    }

    // Creates and shows the window and waits for its first showing. With `holdFirstPoll`, the first poll
    // (about a second after creation) waits until the test starts TimerAfterLoaded itself.
    // `created` looks at the window right after its creation, before the showing (which takes its time).
    TFormCantrel& Open(bool holdFirstPoll = false, const std::function<void(TFormCantrel&)>& created = {}) {
        TMainWindowServices services;
        services.Session = &Session;
        services.Clock = &Clock;
        services.AgentChannel = &MainChannel;
        services.ProgramFolder = Folder.string() + "/";
        services.Separator = '/';
        services.OpenAddress = [this](const std::string& address) { Opened.push_back(address); };
        services.ShowWarning = [this](const std::string& message) { Warnings.push_back(message); };
        Window = std::make_unique<TFormCantrel>(services);
        if (holdFirstPoll)
            Window->TimerAfterLoaded.stop();
        if (created)
            created(*Window);
        Window->OnPopupMenu = [this](QPoint) { ++Popups; };
        Window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
        return *Window;
    }

    // Moves the song on like a playing player and runs the display loop once.
    void Play(int ms) {
        Clock.Advance(std::uint32_t(ms));
        if (Amp)
            Amp->PositionMs += ms;
        Window->DisplayLoopStep();
    }

    std::vector<std::string> LineTexts() {
        std::vector<std::string> texts;
        auto& container = *Window->Scene().GLHUDTextNoTimestampContainer;
        for (int i = 0; i < container.Count(); ++i)
            texts.push_back(static_cast<toolkit::TGLHUDText&>(container.Child(i)).Text);
        return texts;
    }
    std::string Notice() { return Window->Scene().GLHUDTextNoTimestampDownloading->Text; }
    bool NoticeShown() { return Window->Scene().GLHUDTextNoTimestampDownloading->Visible; }
    std::string SearchCaption() { return Window->Action("ActionSearch")->text().toStdString(); }

    fs::path Folder;
    platform::TFakeWindowSystem Windows;
    platform::TFakeClock Clock;
    platform::TFakeMediaSession Media;
    player::TPlayerSession Session{Windows, Clock, &Media};
    platform::TFakeAgentHub Hub;
    platform::TFakeAgentChannel MainChannel{Hub};
    platform::TFakeAgentChannel AgentChannel{Hub};
    std::unique_ptr<lyrics::TFakeAgent> Agent;
    std::unique_ptr<platform::TFakeWinamp> Amp;
    std::unique_ptr<TFormCantrel> Window;
    std::vector<std::string> Opened;
    std::vector<std::string> Warnings;
    int Popups = 0;
};

TEST_F(MainWindowTest, StartsTheAgentAndShowsTheFrame) {
    TFormCantrel& w = Open();
    ASSERT_EQ(MainChannel.Started.size(), 1u);
    EXPECT_EQ(MainChannel.Started[0], Folder.string() + "/Cantrel/" + platform::AgentProgramName());
    EXPECT_FALSE(w.LoadingPanel().isVisible());
    EXPECT_EQ(w.ViewMode(), 1);
    EXPECT_TRUE(w.DisplayLoopRunning());
    EXPECT_TRUE(w.Frame().HasSkin());
    EXPECT_EQ(w.size(), QSize(825, 326));
    EXPECT_EQ(w.SceneViewer().geometry(), QRect(3, 3, 820, 306)); // the scroll bar is hidden at first
    EXPECT_TRUE(w.Scene().GLHUDTextReminder->Visible);            // no account name yet
    EXPECT_EQ(w.Scene().GLDummyCubeVisualization->TagFloat, 62);
}

TEST_F(MainWindowTest, MissingAgentIsReported) {
    fs::remove(Folder / "Cantrel" / "CantrelAgent");
    fs::remove(Folder / "Cantrel" / "CantrelAgent.exe");
    bool hideTimerStarted = false;
    TFormCantrel& w = Open(
        false, [&](TFormCantrel& created) { hideTimerStarted = created.TimerHideDownlaodLabel.isActive(); });
    EXPECT_TRUE(MainChannel.Started.empty());
    EXPECT_EQ(Notice(), "Search Agent not found");
    EXPECT_TRUE(hideTimerStarted);
    // The notice goes when its timer ends.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w.TimerHideDownlaodLabel.isActive(); }, kLongWaitMs));
    EXPECT_FALSE(NoticeShown());
}

TEST_F(MainWindowTest, StartUpWithoutPlayerShowsNoPlayerDetected) {
    TFormCantrel& w = Open();
    // The first poll, about a second after creation (however long the showing took).
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.TimerAfterLoaded.isActive(); }, kLongWaitMs));
    EXPECT_EQ(w.windowTitle().toStdString(), "No Player Detected");
    EXPECT_EQ(LineTexts()[1], "No Player Detected"); // below the blank line the display puts on top
    EXPECT_FALSE(w.Lyrics().Found);
    EXPECT_TRUE(Agent->Requests.empty()); // no search for "no player"
}

TEST_F(MainWindowTest, SongWithLyricsFileScrollsWithTheClock) {
    StartWinamp("1. Band - Tune - Winamp", 62000, 185);
    WriteLyrics("Band - Tune [190].lrc", "[00:10.00]First line\r\n[01:00.00]Second line\r\n"
                                         "[01:05.00]Third line\r\n[01:30.00]Fourth line\r\n");
    TFormCantrel& w = Open();
    Play(200); // the poll sees the song
    ASSERT_TRUE(w.Lyrics().Found);
    EXPECT_EQ(w.windowTitle().toStdString(), Session.GetSongTitle());
    const auto texts = LineTexts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Second line"), texts.end());
    EXPECT_EQ(w.Frame().SearchState(), TWASkin::ssSearchAgain);
    EXPECT_EQ(SearchCaption(), "Search Again");
    EXPECT_TRUE(Agent->Requests.empty());

    const int before = w.DisplayEngine().CurrentLine;
    ASSERT_GE(before, 0);
    EXPECT_EQ(w.Lyrics().Lines[std::size_t(before)].Text, "Second line");
    Play(4000); // 1:06: the third line is current
    EXPECT_EQ(w.Lyrics().Lines[std::size_t(w.DisplayEngine().CurrentLine)].Text, "Third line");

    Amp->PositionMs = 62000;
    Clock.Advance(200);
    Session.PollPlayer();
    w.Frame().PaintSongInfo();
    const std::string info = w.Frame().SongInfoText();
    EXPECT_EQ(info.substr(info.size() - 13), "  [1:02/3:05]");
}

// "+" and "-" shift the lyrics while they play: a brief notice, the current line moves at once, and the
// offset lands in the file's [offset:] tag; the rest of the file stays byte for byte.
TEST_F(MainWindowTest, LiveOffsetMovesTheLyricsAndIsSavedInTheFile) {
    StartWinamp("1. Band - Tune - Winamp", 59750, 185);
    const std::string lines = "[ar:Band]\n[00:10.00]First line\n[01:00.00]<01:00.00>Second <01:00.50>line\n"
                              "[01:05.00]Third line\n";
    WriteLyrics("Band - Tune.lrc", lines);
    TFormCantrel& w = Open();
    Play(50); // the poll sees the song at 0:59.8
    ASSERT_TRUE(w.Lyrics().Found);
    EXPECT_EQ(w.Lyrics().Lines[std::size_t(w.DisplayEngine().CurrentLine)].Text, "First line");

    for (int i = 0; i < 3; ++i)
        QTest::keyClick(&w, Qt::Key_Plus);
    EXPECT_EQ(Notice(), "Offset +0.3 s");
    EXPECT_TRUE(NoticeShown());
    EXPECT_TRUE(w.TimerHideDownlaodLabel.isActive());
    EXPECT_EQ(w.Lyrics().Lines[std::size_t(w.DisplayEngine().CurrentLine)].Text, "Second line");
    const auto file = [this] {
        std::ifstream in(Folder / "Cantrel" / "lyrics" / "Band - Tune.lrc", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    EXPECT_EQ(file(), "[offset:+300]\n" + lines);

    QTest::keyClick(&w, Qt::Key_Minus);
    EXPECT_EQ(Notice(), "Offset +0.2 s");
    EXPECT_EQ(file(), "[offset:+200]\n" + lines);
    QTest::keyClick(&w, Qt::Key_Minus, Qt::KeypadModifier); // the keypad's minus is the text size's
    EXPECT_EQ(file(), "[offset:+200]\n" + lines);

    // Read again, the file's offset holds and nothing is shifted on top of it.
    w.UpdateSong();
    EXPECT_EQ(w.Lyrics().Offset, 200);
    EXPECT_EQ(w.Lyrics().LiveShift, 0);
    Play(1); // 0:59.801, past the second line's time less the offset
    const auto& second = w.Lyrics().Lines[std::size_t(w.DisplayEngine().CurrentLine)];
    EXPECT_EQ(second.Text, "Second line");
    EXPECT_EQ(second.Time, 59800);

    // The menu items do the same.
    w.Action("LyricsLater1")->trigger();
    EXPECT_EQ(Notice(), "Offset +0.1 s");
    EXPECT_EQ(file(), "[offset:+100]\n" + lines);
}

// Lyrics from the MP3's own tags: the file is left alone, the offset is kept for the song in the settings and
// comes back with the song.
TEST_F(MainWindowTest, LiveOffsetOfTagLyricsIsKeptPerSong) {
    const fs::path mp3 = Folder / "music" / "Band - Tune.mp3";
    fs::create_directories(mp3.parent_path());
    const std::string bytes = fixtures::Audio() +
                              fixtures::Lyrics3v2Block({{"IND", "10"}, {"LYR", "[00:10]One\r\n[01:00]Two"}}) +
                              fixtures::Id3v1Tag("Tune", "Band");
    std::ofstream(mp3, std::ios::binary) << bytes;
    StartWinamp("1. Band - Tune - Winamp", 59950, 185);
    Amp->SetPlaylistFile(0, mp3.string());
    TFormCantrel& w = Open();
    Play(50);
    ASSERT_TRUE(w.Lyrics().Found);
    ASSERT_TRUE(w.Lyrics().LyricsFileName.empty());
    QTest::keyClick(&w, Qt::Key_Plus);
    EXPECT_EQ(Notice(), "Offset +0.1 s");
    EXPECT_EQ(w.Lyrics().Lines[std::size_t(w.DisplayEngine().CurrentLine)].Text, "Two");
    EXPECT_EQ(w.Settings().SongOffset(w.Lyrics().SongName), 100);
    std::ifstream in(mp3, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), bytes);

    w.UpdateSong(); // read again: the song's offset holds
    EXPECT_EQ(w.Lyrics().LiveShift, 100);
    EXPECT_EQ(w.Lyrics().Lines[std::size_t(w.DisplayEngine().CurrentLine)].Text, "Two");
}

// A Russian title under the Western character set names no song: a clear message, no search. Choosing
// Unicode from the menu reads the title and the lyrics again at once.
TEST_F(MainWindowTest, CharsetChoiceTakesEffectOnTheSongShown) {
    const std::string kino =
        "\xd0\x9a\xd0\xb8\xd0\xbd\xd0\xbe - \xd0\x93\xd1\x80\xd1\x83\xd0\xbf\xd0\xbf\xd0\xb0"; // Кино -
                                                                                               // Группа
    const std::string line = "\xd0\x9a\xd1\x80\xd0\xbe\xd0\xb2\xd1\x8c";                       // Кровь
    WriteSettings("[General]\r\nCharset=charset_english\r\n");
    WriteLyrics(kino + ".lrc", "[00:01.00]" + line + "\r\n[00:05.00]x\r\n");
    StartWinamp("1. " + kino + " - Winamp", 2000, 185);
    TFormCantrel& w = Open();
    Play(200);
    EXPECT_FALSE(w.Lyrics().Found);
    const auto texts = LineTexts();
    EXPECT_NE(
        std::find(texts.begin(), texts.end(), "No lyrics: the title names no song in this character set"),
        texts.end());
    EXPECT_TRUE(Agent->Requests.empty()); // never a search for "-"
    EXPECT_FALSE(NoticeShown());

    w.Action("Unicode1")->trigger();
    EXPECT_EQ(w.Settings().Charset(), "charset_unicode");
    EXPECT_EQ(Session.GetSongTitle(), " " + kino + " "); // the caption's blanks stay, as ever
    ASSERT_TRUE(w.Lyrics().Found);
    EXPECT_EQ(LineTexts().at(1), line);
    EXPECT_EQ(w.windowTitle().toStdString(), " " + kino + " ");
    EXPECT_TRUE(Agent->Requests.empty());

    w.Action("Russian1")->trigger(); // the same letters exist in 1251
    EXPECT_EQ(Session.GetSongTitle(), " " + toolkit::Utf8ToCodePage(kino, 1251) + " ");
    EXPECT_TRUE(w.Lyrics().Found);
    EXPECT_EQ(w.windowTitle().toStdString(), " " + kino + " ");
    toolkit::SetActiveCodePage(1252);
}

TEST_F(MainWindowTest, SongWithoutLyricsIsDownloadedByTheAgent) {
    StartWinamp("1. Band - Tune - Winamp", 1000, 185);
    TFormCantrel& w = Open();
    Play(200);
    EXPECT_FALSE(w.Lyrics().Found);
    EXPECT_EQ(LineTexts()[1], "Band - Tune");
    ASSERT_EQ(Agent->Requests.size(), 1u);
    // Unknown to the lyric database, with a known length: a web search from the first site.
    EXPECT_EQ(Agent->Requests[0], (lyrics::TAgentRecord{"Search", 0, "Band - Tune", 0, 0}));
    EXPECT_EQ(Notice(), "Downloading..");
    EXPECT_TRUE(NoticeShown());
    EXPECT_EQ(w.Frame().SearchState(), TWASkin::ssCancelSearch);
    EXPECT_EQ(SearchCaption(), "Cancel Search");

    Agent->Pump(); // stores the file and replies "DownloadDone"
    EXPECT_TRUE(w.Lyrics().Found);
    EXPECT_EQ(w.Lyrics().DownloadSource, "http://one.example/");
    EXPECT_FALSE(NoticeShown());
    EXPECT_EQ(w.Frame().SearchState(), TWASkin::ssSearchAgain);
    EXPECT_TRUE(w.TimerHideDownlaodLabel.isActive());
    w.Frame().PaintSongInfo();
    EXPECT_EQ(w.Frame().SourceInfoText(), "From: http://one.example/");
}

TEST_F(MainWindowTest, SearchButtonThroughAWholeSearch) {
    StartWinamp("1. Band - Tune - Winamp", 1000, 185);
    TFormCantrel& w = Open();
    Play(200);
    EXPECT_EQ(SearchCaption(), "Cancel Search");

    // Cancelling: the song goes into the cancel list, the agent answers "Done".
    w.Frame().SearchButtonClick();
    EXPECT_EQ(Agent->Requests.back().Command, "CancelSearch");
    EXPECT_TRUE(w.IsInCancelList("BAND - tune"));
    Agent->Pump();
    EXPECT_EQ(w.Frame().SearchState(), TWASkin::ssSearch);
    EXPECT_EQ(SearchCaption(), "Search");
    EXPECT_FALSE(NoticeShown());

    // "Search": out of the cancel list, a site search from the first site.
    Agent->Mode = lyrics::TFakeAgent::TMode::NotFound;
    w.Frame().SearchButtonClick();
    EXPECT_FALSE(w.IsInCancelList("Band - Tune"));
    EXPECT_EQ(Agent->Requests.back(), (lyrics::TAgentRecord{"Search", 0, "Band - Tune", 0, 0}));
    EXPECT_EQ(SearchCaption(), "Cancel Search");
    Agent->Pump();
    EXPECT_EQ(SearchCaption(), "Search");
    EXPECT_EQ(Notice(), "Not Found");
    EXPECT_TRUE(NoticeShown());

    // A connection error keeps its notice, and later site searches do not switch to "Downloading..".
    Agent->Mode = lyrics::TFakeAgent::TMode::ErrorConnecting;
    w.Frame().SearchButtonClick();
    Agent->Pump();
    EXPECT_EQ(Notice(), "Error Connecting");
    w.Frame().SearchButtonClick();
    EXPECT_EQ(Notice(), "Error Connecting");
    EXPECT_EQ(w.Frame().SearchState(), TWASkin::ssSearch);

    // The account message of the database.
    Agent->Mode = lyrics::TFakeAgent::TMode::Versevault;
    Agent->Pump();
    w.Frame().SearchButtonClick();
    Agent->Pump();
    EXPECT_EQ(w.Scene().GLHUDTextReminder->Text, Agent->VersevaultMessage);
    EXPECT_EQ(w.Scene().GLHUDTextReminder->Tag, 1);
    EXPECT_TRUE(w.TimerHideReminder.isActive());
}

TEST_F(MainWindowTest, SongInTheCancelListIsNotSearched) {
    std::ofstream(Folder / "Cantrel" / "CancelList.txt") << "band - TUNE\r\n";
    StartWinamp("1. Band - Tune - Winamp", 1000, 185);
    TFormCantrel& w = Open();
    Play(200);
    EXPECT_EQ(LineTexts()[1], "Band - Tune");
    EXPECT_TRUE(Agent->Requests.empty());
    EXPECT_EQ(w.Frame().SearchState(), TWASkin::ssSearch);
    EXPECT_EQ(SearchCaption(), "Search");
}

TEST_F(MainWindowTest, SearchAgainContinuesAfterTheLyricsSite) {
    std::ofstream(Folder / "Cantrel" / "UserFilters.ini")
        << "[Filter0]\r\nUrl=http://one.example/\r\nEnabled=1\r\n"
        << "[Filter1]\r\nUrl=http://off.example/\r\nEnabled=0\r\n"
        << "[Filter2]\r\nUrl=http://two.example/\r\nEnabled=1\r\n"
        << "[Filter3]\r\nUrl=http://three.example/\r\nEnabled=1\r\n";
    WriteLyrics("Band - Tune.lrc", "[dl:http://two.example/]\r\n[00:01.00]One\r\n[00:02.00]Two\r\n");
    StartWinamp("1. Band - Tune - Winamp", 1000, 185);
    TFormCantrel& w = Open();
    Play(200);
    ASSERT_TRUE(w.Lyrics().Found);
    EXPECT_EQ(SearchCaption(), "Search Again");
    w.Frame().SearchButtonClick();
    ASSERT_FALSE(Agent->Requests.empty());
    EXPECT_EQ(Agent->Requests.back(), (lyrics::TAgentRecord{"Search", 3, "Band - Tune", 0, 0}));

    // A source that matches no enabled site: the automatic search.
    WriteLyrics("Band - Tune.lrc", "[dl:http://off.example/]\r\n[00:01.00]One\r\n[00:02.00]Two\r\n");
    w.UpdateSong();
    w.SearchAgain();
    EXPECT_EQ(Agent->Requests.back().Site, 0); // unknown to the database: the web search from site 0
}

TEST_F(MainWindowTest, AgentNotRunningIsShown) {
    Agent.reset(); // nobody listens as the agent
    StartWinamp("1. Band - Tune - Winamp", 1000, 185);
    Open();
    Play(200);
    EXPECT_EQ(Notice(), "[CantrelAgent not running]");
    EXPECT_TRUE(NoticeShown());
}

TEST_F(MainWindowTest, KeysAndGesturesDriveThePlayer) {
    StartWinamp("1. Band - Tune - Winamp", 1000, 185);
    TFormCantrel& w = Open();
    Play(200);
    struct TKey {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        std::uintptr_t command;
    };
    const TKey keys[] = {
        {Qt::Key_X, Qt::NoModifier, player::AMP_PLAY},
        {Qt::Key_C, Qt::NoModifier, player::AMP_PAUSE},
        {Qt::Key_V, Qt::NoModifier, player::AMP_STOP},
        {Qt::Key_B, Qt::NoModifier, player::AMP_NEXT},
        {Qt::Key_Z, Qt::NoModifier, player::AMP_PREV},
        {Qt::Key_Left, Qt::NoModifier, player::AMP_BACK_5S},
        {Qt::Key_Right, Qt::NoModifier, player::AMP_FORWARD_5S},
        {Qt::Key_Up, Qt::NoModifier, player::AMP_VOLUME_UP},
        {Qt::Key_Down, Qt::NoModifier, player::AMP_VOLUME_DOWN},
        {Qt::Key_J, Qt::NoModifier, player::AMP_JUMP_TO_FILE},
    };
    for (const auto& k : keys) {
        Amp->Commands.clear();
        QTest::keyClick(&w, k.key, k.modifiers);
        ASSERT_FALSE(Amp->Commands.empty()) << k.key;
        EXPECT_EQ(Amp->Commands.back(), k.command) << k.key;
    }

    struct TGesture {
        std::vector<QPoint> trail;
        std::uintptr_t command;
    };
    const TGesture gestures[] = {
        {{{300, 100}, {320, 100}, {340, 100}, {360, 100}, {380, 100}, {400, 100}}, player::AMP_NEXT},
        {{{300, 100}, {280, 100}, {260, 100}, {240, 100}, {220, 100}, {200, 100}}, player::AMP_PREV},
        {{{300, 200}, {300, 180}, {300, 160}, {300, 140}, {300, 120}, {300, 100}}, player::AMP_PLAY},
        {{{300, 100}, {300, 120}, {300, 140}, {300, 160}, {300, 180}, {300, 200}}, player::AMP_PAUSE},
    };
    TGLSceneViewer& viewer = w.SceneViewer();
    for (const auto& g : gestures) {
        Amp->Commands.clear();
        emit viewer.MouseDown(Qt::RightButton, Qt::RightButton, Qt::NoModifier, g.trail[0].x(),
                              g.trail[0].y());
        for (const QPoint& p : g.trail)
            emit viewer.MouseMove(Qt::RightButton, Qt::NoModifier, p.x(), p.y());
        emit viewer.MouseUp(Qt::RightButton, Qt::NoButton, Qt::NoModifier, g.trail.back().x(),
                            g.trail.back().y());
        ASSERT_EQ(Amp->Commands.size(), 1u);
        EXPECT_EQ(Amp->Commands[0], g.command);
    }
    EXPECT_EQ(Popups, 0); // a gesture shows no menu

    // A right click without moving opens the menu; with the wheel turned while the button is held it does
    // not.
    emit viewer.MouseDown(Qt::RightButton, Qt::RightButton, Qt::NoModifier, 300, 100);
    emit viewer.MouseUp(Qt::RightButton, Qt::NoButton, Qt::NoModifier, 300, 100);
    EXPECT_EQ(Popups, 1);
    emit viewer.MouseDown(Qt::RightButton, Qt::RightButton, Qt::NoModifier, 300, 100);
    w.MarkContextMenuNoPopup();
    emit viewer.MouseUp(Qt::RightButton, Qt::NoButton, Qt::NoModifier, 300, 100);
    EXPECT_EQ(Popups, 1);
    EXPECT_EQ(w.PopupMenuTag(), 0);
}

TEST_F(MainWindowTest, GesturesDoNothingWhenSwitchedOff) {
    WriteSettings("[General]\r\nUseMouseGestures=0\r\n");
    StartWinamp("1. Band - Tune - Winamp", 1000, 185);
    TFormCantrel& w = Open();
    Play(200);
    Amp->Commands.clear();
    TGLSceneViewer& viewer = w.SceneViewer();
    emit viewer.MouseDown(Qt::RightButton, Qt::RightButton, Qt::NoModifier, 300, 100);
    for (int x = 300; x <= 400; x += 10)
        emit viewer.MouseMove(Qt::RightButton, Qt::NoModifier, x, 100);
    emit viewer.MouseUp(Qt::RightButton, Qt::NoButton, Qt::NoModifier, 400, 100);
    EXPECT_TRUE(Amp->Commands.empty());
    EXPECT_EQ(Popups, 0);
}

TEST_F(MainWindowTest, AltF4ClosesOnlyWithExactlyAlt) {
    TFormCantrel& w = Open();
    for (Qt::KeyboardModifiers modifiers :
         {Qt::KeyboardModifiers(Qt::NoModifier), Qt::KeyboardModifiers(Qt::AltModifier | Qt::ShiftModifier),
          Qt::KeyboardModifiers(Qt::AltModifier | Qt::ControlModifier),
          Qt::KeyboardModifiers(Qt::ControlModifier)}) {
        QTest::keyClick(&w, Qt::Key_F4, modifiers);
        EXPECT_TRUE(w.isVisible()) << int(modifiers);
    }
    QTest::keyClick(&w, Qt::Key_F4, Qt::AltModifier);
    EXPECT_FALSE(w.isVisible());
    // Closing saved the settings and told the agent to close.
    EXPECT_TRUE(fs::exists(Folder / "Cantrel" / "Settings.ini"));
    EXPECT_TRUE(fs::exists(Folder / "Cantrel" / "FormSettings.ini"));
    ASSERT_FALSE(Agent->Requests.empty());
    EXPECT_EQ(Agent->Requests.back().Command, "Close");
}

TEST_F(MainWindowTest, ManualSearchAddressForTheSong) {
    WriteSettings("[Lyrics]\r\nSearchUrl=http://search.example/?q=%Artist%+%Title%\r\n");
    StartWinamp("1. AC/DC - Back In Black - Winamp", 1000, 255);
    TFormCantrel& w = Open();
    Play(200);
    QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier); // Ctrl+S alone does nothing
    EXPECT_TRUE(Opened.empty());
    QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(Opened.size(), 1u);
    // The player's stored title, untrimmed: whatever blanks it carries are encoded too.
    EXPECT_NE(Opened[0].find("AC%2FDC+Back%20In%20Black"), std::string::npos) << Opened[0];
    EXPECT_EQ(Opened[0].rfind("http://search.example/?q=", 0), 0u);

    QTest::keyClick(&w, Qt::Key_F1);
    EXPECT_EQ(Opened.back(), HelpAddress());
}

TEST_F(MainWindowTest, PopupMenuHoldsEveryItemAndDisablesWhatIsNotThereYet) {
    TFormCantrel& w = Open(true);
    // Before and after the first poll (which finds no player here): the same items, only the submit item's
    // caption is the one the song update sets, without the accelerator.
    for (const bool polled : {false, true}) {
        if (polled) {
            w.TimerAfterLoaded.start(0);
            ASSERT_TRUE(QTest::qWaitFor([&] { return !w.TimerAfterLoaded.isActive(); }, kLongWaitMs));
        }
        QStringList captions;
        for (QAction* a : w.PopupMenuWidget().actions())
            captions << (a->isSeparator() ? "-" : a->text());
        const std::string submit = polled ? "Submit Lyric.." : "&Submit Lyric..";
        EXPECT_EQ(captions.join("|").toStdString(), "Preferences..|Edit Lyrics..|-|Display Mode|Fade in "
                                                    "lyrics|Playback|Player|Character set|-|Search|"
                                                    "Manual Search..|-|" +
                                                        submit +
                                                        "|-|Player Setup Help|Cantrel Help..|-|E&xit")
            << polled;
        EXPECT_TRUE(w.Action("ActionPreferences")->isEnabled()) << polled;
        EXPECT_TRUE(w.Action("ActionEdit")->isEnabled()) << polled;
        EXPECT_FALSE(w.Action("ActionUploadLyric")->isEnabled()) << polled;
        EXPECT_EQ(w.Action("Prev1")->shortcut().toString().toStdString(), "Z");
        EXPECT_EQ(w.Action("ManualSearch1")->shortcut().toString().toStdString(), "Ctrl+Shift+S");
    }

    // The display mode items act through the settings, which check them again.
    w.Action("Karaoke1")->trigger();
    EXPECT_EQ(w.Settings().DisplayMode(), 1);
    EXPECT_TRUE(w.Action("ActionDisplayModeKaraoke")->isChecked());
    EXPECT_FALSE(w.Action("ActionDisplayModeDefault")->isChecked());
    EXPECT_FALSE(w.Frame().Control("StatusStrip")->isVisibleTo(&w));
    w.Action("Default1")->trigger();
    EXPECT_TRUE(w.Frame().Control("StatusStrip")->isVisibleTo(&w));
    w.Action("Greek1")->trigger();
    EXPECT_EQ(w.Settings().Charset(), "charset_greek");
}

TEST_F(MainWindowTest, UntaggedFileOnTheBusFindsItsLyrics) {
    auto& mpv = Media.AddPlayer("org.mpris.MediaPlayer2.mpv", "mpv");
    mpv.state.playbackStatus = "Playing";
    // mpv tells an untagged file's name as its title.
    mpv.state.metadata = {"/t/1", "Band - Tune.flac", {}, "file:///music/Band%20-%20Tune.flac", 185'000'000};
    mpv.state.hasPosition = true;
    mpv.state.positionUs = 62'000'000;
    WriteLyrics("Band - Tune.lrc", "[00:10.00]First line\r\n[01:00.00]Second line\r\n");
    TFormCantrel& w = Open();
    Play(200);
    ASSERT_TRUE(w.Lyrics().Found);
    EXPECT_EQ(w.windowTitle().toStdString(), "Band - Tune");
    EXPECT_EQ(w.Lyrics().Lines[std::size_t(w.DisplayEngine().CurrentLine)].Text, "Second line");
    w.Frame().PaintSongInfo();
    EXPECT_EQ(w.Frame().PlayerInfoText(), "[mpv]");
}

TEST_F(MainWindowTest, PlayerSubmenuPinsAPlayerOfTheBus) {
    auto add = [&](const std::string& name, const std::string& identity, const std::string& status) {
        auto& player = Media.AddPlayer("org.mpris.MediaPlayer2." + name, identity);
        player.state.playbackStatus = status;
        player.state.metadata = {"/t/1", identity + " song", {"Someone"}, "", 100'000'000};
    };
    add("mpv", "mpv", "Playing");
    add("vlc.instance42", "VLC media player", "Paused");
    TFormCantrel& w = Open();
    Play(200);
    ASSERT_EQ(Session.GetPlayerName(), "mpv");
    QMenu* menu = w.Action("Player1")->menu();
    ASSERT_NE(menu, nullptr);
    auto shown = [&] {
        w.RefreshPlayerMenu();
        QStringList items;
        for (QAction* a : menu->actions())
            items << (a->isSeparator()
                          ? QString("-")
                          : a->text() + (a->isChecked() ? "*" : "") + (a->isEnabled() ? "" : "~"));
        return items.join("|").toStdString();
    };
    EXPECT_EQ(shown(), "Automatic*|-|mpv|VLC media player");

    // Pinning VLC: the setting, the session and the status strip follow.
    menu->findChild<QAction*>("Player:vlc")->trigger();
    EXPECT_EQ(w.Settings().PinnedPlayer(), "vlc");
    Play(200);
    EXPECT_EQ(Session.GetPlayerName(), "VLC media player");
    EXPECT_EQ(w.windowTitle().toStdString(), "Someone - VLC media player song");
    w.Frame().PaintSongInfo();
    EXPECT_EQ(w.Frame().PlayerInfoText(), "[VLC media player]");
    EXPECT_EQ(shown(), "Automatic|-|mpv|VLC media player*");

    // The pinned player quits: the one that plays is followed, the pin stays, greyed.
    Media.RemovePlayer("org.mpris.MediaPlayer2.vlc.instance42");
    Play(200);
    EXPECT_EQ(Session.GetPlayerName(), "mpv");
    EXPECT_EQ(shown(), "Automatic|-|mpv|vlc*~");

    // The pin is kept in the settings file; "Automatic" takes it away.
    w.close();
    EXPECT_NE(ReadSettings().find("[Player]\r\nPinnedPlayer=vlc\r\n"), std::string::npos);
    w.Action("Automatic1")->trigger();
    EXPECT_EQ(w.Settings().PinnedPlayer(), "");
    EXPECT_EQ(Session.PinnedMediaPlayer(), "");
    EXPECT_EQ(shown(), "Automatic*|-|mpv");
}

TEST_F(MainWindowTest, ViewModesAndTheResizeRule) {
    TFormCantrel& w = Open();
    EXPECT_FALSE(w.SetViewMode(1)); // already on
    w.resize(800, 300);
    QTest::qWait(20);
    EXPECT_FLOAT_EQ(w.Scene().GLCameraTextNoTimestamp->SceneScale,
                    488.0f / float(w.SceneViewer().View().Width));
    w.resize(300, 800);
    QTest::qWait(20);
    EXPECT_FLOAT_EQ(w.Scene().GLCameraTextNoTimestamp->SceneScale,
                    488.0f / float(w.SceneViewer().View().Height));
    EXPECT_TRUE(w.SetViewMode(3));
    EXPECT_FALSE(w.SetViewMode(3));
    EXPECT_TRUE(w.SetViewMode(1));
}

TEST_F(MainWindowTest, DatabaseStateDecidesTheAutomaticSearch) {
    // The song index lists "band" with a timestamped "tune" of 190 s.
    WriteSettings("[Versevault]\r\nUsername=someone\r\n");
    std::ofstream(Folder / "Cantrel" / "unknown") << "header\r\n--\r\nb\r\n"
                                                  << database::Md5Hex("band").substr(0, 4) << "\r\n"
                                                  << database::Md5Hex("tune [190]").substr(0, 4) << "\r\n";
    // Plain lyrics found, the database holds timed ones of that length: they are asked for.
    WriteLyrics("Band - Tune.txt", "One\r\nTwo\r\nThree\r\n");
    StartWinamp("1. Band - Tune - Winamp", 1000, 185);
    TFormCantrel& w = Open();
    Play(200);
    ASSERT_TRUE(w.Lyrics().Found);
    ASSERT_EQ(Agent->Requests.size(), 1u);
    EXPECT_EQ(Agent->Requests[0], (lyrics::TAgentRecord{"Search", -1, "Band - Tune", 185, 1}));
    EXPECT_FALSE(NoticeShown()); // a database request shows no notice

    // A song whose length is not known yet: the database version with flag 1 and length 0.
    Amp->SetCaption("2. Other Band - Other Tune - Winamp");
    Amp->LengthSeconds = 0;
    Play(200);
    ASSERT_EQ(Agent->Requests.size(), 2u);
    EXPECT_EQ(Agent->Requests[1], (lyrics::TAgentRecord{"Search", -1, "Other Band - Other Tune", 0, 1}));
}

TEST_F(MainWindowTest, MarksDoubleClickAndEsc) {
    TFormCantrel& w = Open();
    TGLSceneViewer& viewer = w.SceneViewer();
    const int width = viewer.View().Width;
    emit viewer.DoubleClick(400, 100);
    EXPECT_TRUE(w.windowState() & Qt::WindowMaximized);
    EXPECT_FALSE(w.Frame().BordersActive());
    EXPECT_TRUE(w.TimerResizeEvent.isActive());
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_FALSE(w.windowState() & Qt::WindowMaximized);
    EXPECT_TRUE(w.Frame().BordersActive());
    QTest::keyClick(&w, Qt::Key_Escape); // Esc on a normal window does nothing
    EXPECT_FALSE(w.windowState() & Qt::WindowMaximized);

    // A release 15 to 25 pixels from the right edge in the top 15 pixels minimises.
    emit viewer.MouseUp(Qt::LeftButton, Qt::NoButton, Qt::NoModifier, width - 20, 5);
    EXPECT_TRUE(w.windowState() & Qt::WindowMinimized);
    w.showNormal();
    // A press in the top right 15 x 15 pixels closes.
    emit viewer.MouseDown(Qt::LeftButton, Qt::LeftButton, Qt::NoModifier, width - 5, 5);
    EXPECT_FALSE(w.isVisible());
}

TEST_F(MainWindowTest, AMaximisedWindowStaysSoAcrossSongChangesAndSavesItsNormalSize) {
    WriteLyrics("Band - Tune.txt", "One\r\nTwo\r\nThree\r\n");
    StartWinamp("1. Band - Tune - Winamp", 1000, 185);
    TFormCantrel& w = Open();
    w.resize(700, 300);
    QTest::qWait(20);
    const QSize normal = w.size();
    emit w.SceneViewer().DoubleClick(400, 100);
    ASSERT_TRUE(w.windowState() & Qt::WindowMaximized);
    const QSize maximised = w.size();

    // Song changes relayout the window (with lyrics found, then without).
    Play(200);
    ASSERT_TRUE(w.Lyrics().Found);
    Amp->SetCaption("2. Other Band - Other Tune - Winamp");
    Play(200);
    w.Settings().SetShowButtons(true); // a relayout of its own
    EXPECT_TRUE(w.windowState() & Qt::WindowMaximized);
    EXPECT_EQ(w.size(), maximised);
    EXPECT_FALSE(w.Frame().BordersActive());

    w.close();
    const std::string form = *toolkit::ReadFileBytes((Folder / "Cantrel" / "FormSettings.ini").string());
    EXPECT_NE(form.find("Width=" + std::to_string(normal.width()) + "\r\n"), std::string::npos) << form;
    EXPECT_NE(form.find("Height=" + std::to_string(normal.height()) + "\r\n"), std::string::npos) << form;
    EXPECT_NE(form.find("State=2\r\n"), std::string::npos) << form;

    // Esc brings back the normal window.
    Window->show();
    QTest::keyClick(Window.get(), Qt::Key_Escape);
    EXPECT_FALSE(Window->windowState() & Qt::WindowMaximized);
    EXPECT_TRUE(Window->Frame().BordersActive());
}

TEST_F(MainWindowTest, FineWheelPartsActOncePerNotch) {
    StartWinamp("1. Band - Tune - Winamp", 1000, 185);
    TFormCantrel& w = Open();
    Play(200);
    const auto turn = [&](int delta) {
        const QPointF at(300, 100);
        QWheelEvent event(at, w.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::ShiftModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&w, &event);
    };
    // Shift and the wheel set the volume: one command per 120 units.
    struct TTurn {
        const char* name;
        std::vector<int> deltas;
        std::vector<std::uintptr_t> commands;
    };
    const std::vector<std::uintptr_t> none;
    const TTurn turns[] = {
        {"one notch", {120}, {player::AMP_VOLUME_UP}},
        {"three parts of 40", {40, 40, 40}, {player::AMP_VOLUME_UP}},
        {"fifteen parts of 8", std::vector<int>(15, 8), {player::AMP_VOLUME_UP}},
        {"down in parts", {-60, -60}, {player::AMP_VOLUME_DOWN}},
        {"a wobble", {60, -60, 60, -60}, none},
        {"two notches at once", {-240}, {player::AMP_VOLUME_DOWN, player::AMP_VOLUME_DOWN}},
    };
    for (const TTurn& t : turns) {
        SCOPED_TRACE(t.name);
        Amp->Commands.clear();
        for (int delta : t.deltas)
            turn(delta);
        EXPECT_EQ(Amp->Commands, t.commands);
    }
}

TEST_F(MainWindowTest, StayOnTopKeepsTheWindowShown) {
    TFormCantrel& w = Open();
    const WId id = w.winId();
    int hides = 0;
    struct THideCounter : QObject {
        int& Count;
        explicit THideCounter(int& count) : Count(count) {}
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Hide)
                ++Count;
            return false;
        }
    } counter(hides);
    w.installEventFilter(&counter);
    w.ToggleStayOnTop();
    EXPECT_TRUE(w.StaysOnTop());
    EXPECT_TRUE(w.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    w.ToggleStayOnTop();
    EXPECT_FALSE(w.StaysOnTop());
    EXPECT_FALSE(w.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(hides, 0);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.winId(), id);
    w.removeEventFilter(&counter);
}

TEST_F(MainWindowTest, PlaybackButtonsSpinHalfATurn) {
    WriteSettings("[General]\r\nAnimateButtons=1\r\n[Display]\r\nShowButtons=1\r\n");
    TFormCantrel& w = Open();
    toolkit::TGLTorus& play = *w.Scene().GLTorusPlay;
    toolkit::TGLTorus& stop = *w.Scene().GLTorusStop;
    play.Tag = 1;
    stop.Tag = 1;
    Play(0);
    Play(1000);
    EXPECT_NEAR(play.PitchAngle, 100, 0.5);
    EXPECT_NEAR(w.Scene().GLCube1->PitchAngle, -100, 0.5); // the square stays upright
    Play(900);
    EXPECT_EQ(play.PitchAngle, 0); // past half a turn: at rest again
    EXPECT_EQ(play.Tag, 0);
    EXPECT_EQ(stop.Tag, 0);

    // At the end of a half turn the button under a resting cursor in the button row starts its own; a
    // cursor left of the window lies outside every column.
    toolkit::TGLTorus& prev = *w.Scene().GLTorusPrev;
    w.move(200, 200);
    const std::pair<int, int> cases[] = {{30, 1}, {-10, -1}}; // cursor x, the button that starts
    for (const auto& [x, starts] : cases) {
        QCursor::setPos(w.mapToGlobal(QPoint(x, w.height() - 30)));
        QTest::qWait(20);
        for (toolkit::TGLTorus* button : w.Scene().Buttons())
            button->Tag = 0;
        prev.Tag = 1;
        Play(1900);
        const auto buttons = w.Scene().Buttons();
        for (int i = 0; i < int(buttons.size()); ++i)
            EXPECT_EQ(buttons[std::size_t(i)]->Tag, i == starts ? 1 : 0) << "x " << x << " button " << i;
    }

    w.Settings().SetAnimateButtons(false);
    play.Tag = 1;
    Play(500);
    EXPECT_EQ(play.PitchAngle, 0);
}

TEST_F(MainWindowTest, DisplayLoopStopsForGoodOnAFailure) {
    // A frame that fails in the loop's own timers, and one that fails where layout, keys or the mouse
    // advance the scene clock: either stops the loop for the rest of the run, and the window stays open.
    for (const bool fromLayout : {false, true}) {
        TFormCantrel& w = Open();
        ASSERT_TRUE(w.DisplayLoopRunning());
        int frames = 0;
        w.Scene().GLCadencer1.OnProgress = [&](double, double) {
            ++frames;
            throw std::runtime_error("broken frame");
        };
        if (fromLayout)
            w.RunResize(); // lays the window out, which advances the clock
        ASSERT_TRUE(QTest::qWaitFor([&] { return !w.DisplayLoopRunning(); }, kLongWaitMs)) << fromLayout;
        EXPECT_EQ(frames, 1) << fromLayout;
        // For good: neither the timers nor another advance run a frame again.
        w.AdvanceSceneClock();
        w.RunResize();
        QTest::qWait(300);
        EXPECT_EQ(frames, 1) << fromLayout;
        EXPECT_FALSE(w.DisplayLoopRunning()) << fromLayout;
        EXPECT_FALSE(w.FrameScheduled()) << fromLayout;
        EXPECT_TRUE(w.isVisible()) << fromLayout;
    }
}

// Counts the paints of the scene view and of the frame's image controls by name.
class TPaintCounter : public QObject {
public:
    explicit TPaintCounter(QWidget& view) : View_(view) { qApp->installEventFilter(this); }
    ~TPaintCounter() override { qApp->removeEventFilter(this); }
    int View = 0;
    std::map<std::string, int> Controls;
    void Reset() {
        View = 0;
        Controls.clear();
    }
    int ControlPaints() const {
        int sum = 0;
        for (const auto& entry : Controls)
            sum += entry.second;
        return sum;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            if (watched == &View_)
                ++View;
            else if (dynamic_cast<TSkinImage*>(watched))
                ++Controls[watched->objectName().toStdString()];
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget& View_;
};

// A paused song with lyrics draws nothing and schedules no frame; each kind of change draws exactly what
// it changes: the scene view once for a change of the scene, the scroll thumb or the status strip alone for
// theirs. A property the change detection missed would draw nothing.
TEST_F(MainWindowTest, RedrawsOnlyWhatChanged) {
    QCursor::setPos(1279, 1023); // no hovering
    std::string lyrics;
    for (int i = 0; i < 30; ++i)
        lyrics += "[00:" + std::to_string(10 + i) + ".00]Line " + std::to_string(i) + "\r\n";
    WriteLyrics("Band - Tune [190].lrc", lyrics);
    WriteSettings("[Display]\r\nShowButtons=1\r\n");
    StartWinamp("1. Band - Tune - Winamp", 20000, 185);
    Amp->IsPlaying = 3; // paused
    TFormCantrel& w = Open();
    // The first layout and the first poll are done, and the poll has seen the song and its pause.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !w.TimerResizeEvent.isActive() && !w.TimerAfterLoaded.isActive(); }, kLongWaitMs));
    for (int i = 0; i < 3; ++i) {
        Clock.Advance(200);
        w.DisplayLoopStep();
    }
    ASSERT_TRUE(w.Lyrics().Found);
    ASSERT_TRUE(Session.Paused());
    ASSERT_TRUE(w.Frame().Control("ScrollThumb")->isVisible());
    TPaintCounter paints(w.SceneViewer());
    QTest::qWait(200); // what the steps above asked for is drawn

    paints.Reset();
    QTest::qWait(1000);
    EXPECT_EQ(paints.View, 0);
    EXPECT_EQ(paints.ControlPaints(), 0);
    EXPECT_FALSE(w.FrameScheduled());
    EXPECT_TRUE(w.DisplayLoopRunning());

    toolkit::TGLHUDText& line = static_cast<toolkit::TGLHUDText&>(
        w.Scene().GLHUDTextNoTimestampContainer->Child(w.DisplayEngine().CurrentLine + 1));
    toolkit::TGLHUDText& notice = *w.Scene().GLHUDTextNoTimestampDownloading;
    const struct {
        const char* what;
        std::function<void()> change;
        int view;
        const char* control; // the one control drawn, if any
    } cases[] = {
        {"nothing", [] {}, 0, nullptr},
        {"a line's text", [&] { line.Text = "Other words"; }, 1, nullptr},
        {"a line's colour", [&] { line.ModulateColor.R -= 0.25f; }, 1, nullptr},
        {"the notice shown", [&] { notice.Visible = true; }, 1, nullptr},
        {"the notice's alpha", [&] { notice.ModulateColor.A -= 0.25f; }, 1, nullptr},
        {"the notice moved", [&] { notice.Position.Y -= 3; }, 1, nullptr},
        {"a button turned", [&] { w.Scene().GLTorusPlay->PitchAngle += 10; }, 1, nullptr},
        {"the pressed thumb", [&] { w.Frame().PaintScrollThumb(true); }, 0, "ScrollThumb"},
        {"the strip's text",
         [&] {
             w.Lyrics().SongName = "Band - Other Tune";
             w.Frame().PaintSongInfo();
         },
         0, "StatusStrip"},
    };
    for (const auto& c : cases) {
        paints.Reset();
        c.change();
        w.AdvanceSceneClock();
        (void)QTest::qWaitFor(
            [&] { return paints.View >= c.view && paints.ControlPaints() >= (c.control ? 1 : 0); },
            kLongWaitMs);
        QTest::qWait(150); // nothing more comes
        EXPECT_EQ(paints.View, c.view) << c.what;
        if (c.control) {
            EXPECT_EQ(paints.ControlPaints(), 1) << c.what;
            EXPECT_EQ(paints.Controls[c.control], 1) << c.what;
        } else {
            EXPECT_EQ(paints.ControlPaints(), 0) << c.what;
        }
    }
}

} // namespace
