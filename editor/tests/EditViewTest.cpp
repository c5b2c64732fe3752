// The main window's edit view with the real editor: entering it from the menu, Ctrl+E and the status strip's
// "Edit.." button, its screen texts following the song clock, stay-on-top, a song change while the editor is
// open, and the reload after closing.
#include "display/UMain.h"

#include "config/USettings.h"
#include "display/MainScene.h"
#include "display/USkinImage.h"
#include "display/UWinampSkin.h"
#include "display/scene/GLSceneViewer.h"
#include "editor/UEdit.h"
#include "lyrics/fake/FakeAgent.h"
#include "platform/fake/FakeAgentChannel.h"
#include "platform/fake/FakeWinamp.h"
#include "player/AmpI.h"

#include "display/tests/QtTestApp.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;
using namespace display;
using TLines = std::vector<std::string>;

namespace {

class EditViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        display::testing::TestApp();
        Folder = fs::temp_directory_path() / ("cantrel-editview-" + std::to_string(std::random_device()()));
        fs::create_directories(Folder / "Cantrel" / "lyrics");
        std::ofstream(Folder / "Cantrel" / "Settings.ini") << "[General]\r\nCharset=charset_english\r\n";
        Clock.Now = 5000000;
        Agent = std::make_unique<lyrics::TFakeAgent>(AgentChannel, (Folder / "Cantrel" / "lyrics").string());
        ASSERT_TRUE(Agent->Listen());
        Amp = std::make_unique<platform::TFakeWinamp>(Windows, "1. Band - Tune - Winamp");
        Amp->LengthSeconds = 185;
        WriteLyrics("Band - Tune [190].lrc", "[00:01.00]First line\r\n[00:03.00]Second line\r\n"
                                             "[00:05.00]Third line\r\n");
    }
    void TearDown() override {
        Window.reset();
        fs::remove_all(Folder);
    }

    void WriteLyrics(const std::string& name, const std::string& text) {
        std::ofstream(Folder / "Cantrel" / "lyrics" / name, std::ios::binary) << text;
    }
    std::string Read(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    TFormCantrel& Open() {
        TMainWindowServices services;
        services.Session = &Session;
        services.Clock = &Clock;
        services.AgentChannel = &MainChannel;
        services.ProgramFolder = Folder.string() + "/";
        services.Separator = '/';
        services.OpenAddress = [this](const std::string& address) { Opened.push_back(address); };
        services.ShowWarning = [](const std::string&) {};
        Window = std::make_unique<TFormCantrel>(services);
        Window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
        Play(200); // the poll sees the song
        EXPECT_TRUE(Window->Lyrics().Found);
        editor::TFormEdit& edit = Editor();
        edit.ShowError = [this](const std::string& message) { Errors.push_back(message); };
        return *Window;
    }
    editor::TFormEdit& Editor() { return dynamic_cast<editor::TFormEdit&>(Window->Editor()); }

    // The song plays on by ms; the display loop runs once.
    void Play(int ms) {
        Clock.Advance(std::uint32_t(ms));
        Amp->PositionMs += ms;
        Window->DisplayLoopStep();
    }

    fs::path Folder;
    platform::TFakeWindowSystem Windows;
    platform::TFakeClock Clock;
    player::TPlayerSession Session{Windows, Clock};
    platform::TFakeAgentHub Hub;
    platform::TFakeAgentChannel MainChannel{Hub};
    platform::TFakeAgentChannel AgentChannel{Hub};
    std::unique_ptr<lyrics::TFakeAgent> Agent;
    std::unique_ptr<platform::TFakeWinamp> Amp;
    std::unique_ptr<TFormCantrel> Window;
    std::vector<std::string> Opened;
    std::vector<std::string> Errors;
};

// The three ways in: the menu action, Ctrl+E and the status strip's "Edit.." button. A second time does
// nothing.
TEST_F(EditViewTest, EnteringTheEditView) {
    const std::function<void(TFormCantrel&)> ways[] = {
        [](TFormCantrel& w) { w.Action("Edit1")->trigger(); },
        [](TFormCantrel& w) { QTest::keyClick(&w, Qt::Key_E, Qt::ControlModifier); },
        [](TFormCantrel& w) {
            TSkinImage* button = w.Frame().Control("EditButton");
            QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 5));
            QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(10, 5));
        },
    };
    TFormCantrel& w = Open();
    EXPECT_TRUE(w.Action("ActionEdit")->isEnabled());
    EXPECT_FALSE(w.EditorVisible());
    for (const auto& enter : ways) {
        enter(w);
        EXPECT_EQ(w.ViewMode(), 3);
        EXPECT_TRUE(w.EditorVisible());
        EXPECT_EQ(w.Scene().GLCadencer1.Scene, &w.Scene().GLSceneEdit);
        // The display puts a blank line at 0:00 on top of timed lyrics; the editor shows the document as it
        // is.
        EXPECT_EQ(Editor().LyricLines(), (TLines{"", "First line", "Second line", "Third line"}));
        Editor().SynEditLyric().appendPlainText("typed");
        enter(w); // already on: the panes keep what was typed
        EXPECT_EQ(Editor().LyricLines().size(), 5u);
        EXPECT_FALSE(w.SetViewMode(3));
        Editor().reject();
        EXPECT_EQ(w.ViewMode(), 1);
        EXPECT_FALSE(w.EditorVisible());
        EXPECT_EQ(w.Scene().GLCadencer1.Scene, &w.Scene().GLSceneTextNoTimestamp);
        EXPECT_TRUE(w.TimerResizeEvent.isActive());
    }
}

// The edit view's texts: the current line large and centred, song, target, length and the time following
// the clock.
TEST_F(EditViewTest, EditViewTextsFollowTheClock) {
    TFormCantrel& w = Open();
    w.Action("ActionEdit")->trigger();
    const TMainScene& scene = w.Scene();
    EXPECT_EQ(scene.GLHUDTextLength->Text, "3:05.00");
    EXPECT_FLOAT_EQ(scene.GLHUDTextEditExit->Position.X, float(w.SceneViewer().View().Width - 8));
    Amp->PositionMs = 1850;
    Play(150); // the poll sees the player at 0:02.00
    struct TStep {
        int ms;
        const char* time;
        const char* line;
        int index;
    } steps[] = {
        {0, "0:02.00", "First line", 1},    {1000, "0:03.00", "First line", 1},
        {500, "0:03.50", "Second line", 2}, {1000, "0:04.50", "Second line", 2},
        {1000, "0:05.50", "Third line", 3},
    };
    for (const TStep& step : steps) {
        Play(step.ms);
        EXPECT_EQ(scene.GLHUDTextEditTime->Text, step.time);
        EXPECT_EQ(scene.GLHUDTextEditLyricLyrics->Text, step.line) << step.time;
        EXPECT_EQ(Editor().CurrentLineIndex(), step.index) << step.time;
    }
    // Back to the start: the blank line the display put on top is current.
    Amp->PositionMs = 200;
    Play(150);
    EXPECT_EQ(scene.GLHUDTextEditTime->Text, "0:00.35");
    EXPECT_EQ(Editor().CurrentLineIndex(), 0);
    EXPECT_EQ(scene.GLHUDTextEditLyricLyrics->Text, "");
    EXPECT_FLOAT_EQ(scene.GLHUDTextEditLyricLyrics->Position.X, float(w.width() / 2));
    EXPECT_EQ(scene.GLHUDTextEditSong->Text, "Band - Tune");
    EXPECT_EQ(scene.GLHUDTextEditSaveTo->Text,
              (Folder / "Cantrel" / "lyrics" / "Band - Tune [190].lrc").string());
}

// Stamping from the real window and saving: the reload 100 ms after closing finds the new file.
TEST_F(EditViewTest, SavedLyricsAreShownAfterTheReload) {
    TFormCantrel& w = Open();
    w.Action("ActionEdit")->trigger();
    Amp->PositionMs = 2350;
    Play(150); // the poll sees the player at 0:02.50
    Editor().SetTimingCaretLine(2);
    QTest::keyClick(&Editor().SynEditTiming(), Qt::Key_Return);
    EXPECT_EQ(Editor().TimingLines(), (TLines{"0:00.00", "0:01.00", "0:02.50", "0:05.00"}));
    Editor().Action("ActionOk")->trigger();
    EXPECT_TRUE(Errors.empty());
    EXPECT_EQ(w.ViewMode(), 1);
    EXPECT_EQ(Read(Folder / "Cantrel" / "lyrics" / "Band - Tune [190].lrc"),
              "[00:00.00]\r\n[00:01.00]First line\r\n[00:02.50]Second line\r\n[00:05.00]Third line\r\n");
    QTest::qWait(200);
    ASSERT_EQ(w.Lyrics().Lines.size(), 4u);
    EXPECT_EQ(w.Lyrics().Lines[2].Time, 2500);
}

// A song change while the editor is open: the editor keeps the user's work and the song it was opened for;
// the song label turns reddish; OK saves under the first song's name and length.
TEST_F(EditViewTest, ASongChangeLeavesTheEditorWithItsSong) {
    TFormCantrel& w = Open();
    w.Action("ActionEdit")->trigger();
    Editor().SynEditLyric().appendPlainText("my own line");
    Amp->SetCaption("2. Other - Song - Winamp");
    Amp->LengthSeconds = 300;
    Amp->PositionMs = 0;
    Play(200);
    EXPECT_EQ(w.ViewMode(), 3);
    EXPECT_FLOAT_EQ(w.Scene().GLHUDTextEditSong->ModulateColor.R, 0.7f);
    EXPECT_EQ(w.Scene().GLHUDTextEditSong->Text, "Band - Tune");
    EXPECT_EQ(Editor().LyricLines().back(), "my own line");
    EXPECT_EQ(w.Lyrics().SongName, "Band - Tune");
    Editor().Action("ActionOk")->trigger();
    EXPECT_NE(Read(Folder / "Cantrel" / "lyrics" / "Band - Tune [190].lrc").find("my own line"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(Folder / "Cantrel" / "lyrics" / "Other - Song [300].lrc"));
    // Back to the song that plays now.
    QTest::qWait(200);
    EXPECT_EQ(w.Lyrics().SongName, "Other - Song");
}

// The scene clock runs the editor's near-end pause in the edit view, and only there.
TEST_F(EditViewTest, NearEndPauseRunsOnTheSceneClock) {
    TFormCantrel& w = Open();
    Amp->PositionMs = 184800;
    Play(150);                          // a poll sees the jump to 3:04.95
    EXPECT_TRUE(Amp->Commands.empty()); // lyric view
    w.Action("ActionEdit")->trigger();
    Play(12);
    Play(12);
    EXPECT_EQ(Amp->Commands, std::vector<std::uintptr_t>{player::AMP_PAUSE});
}

// The edit view's play clock shows hundredths: it is drawn while the song plays, and not while it is paused.
TEST_F(EditViewTest, TheEditViewDrawsWhileTheSongPlays) {
    TFormCantrel& w = Open();
    w.Action("ActionEdit")->trigger();
    Play(150);
    EXPECT_EQ(w.FrameWaitMs(), 40);
    Amp->IsPlaying = 3; // paused: the position stands still
    for (int i = 0; i < 3; ++i) {
        Clock.Advance(200);
        w.DisplayLoopStep();
    }
    ASSERT_TRUE(Session.Paused());
    EXPECT_EQ(w.FrameWaitMs(), -1);
}

TEST_F(EditViewTest, TheEditorFollowsStayOnTop) {
    TFormCantrel& w = Open();
    w.Action("ActionEdit")->trigger();
    w.ToggleStayOnTop();
    EXPECT_TRUE(Editor().windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(Editor().isVisible());
    w.ToggleStayOnTop();
    EXPECT_FALSE(Editor().windowFlags() & Qt::WindowStaysOnTopHint);
}

// Gestures and Ctrl+Up do nothing in the edit view; closing the main window with the editor open is clean.
TEST_F(EditViewTest, MainWindowClosesWithTheEditorOpen) {
    TFormCantrel& w = Open();
    w.Action("ActionEdit")->trigger();
    Editor().SynEditLyric().appendPlainText("unsaved");
    w.close();
    Window.reset();
    SUCCEED();
}

} // namespace
