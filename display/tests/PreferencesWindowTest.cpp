// The preferences dialog and the visualization in the running main window under Xvfb: opened from the menu,
// Ctrl+P and the account reminder; the dialog's changes acting on the window at once and the window's menus
// and keys showing in the dialog; the visualization built, rebuilt, scaled, turned and stepped.
#include "display/UMain.h"

#include "config/USettings.h"
#include "config/ui/USettingsDialog.h"
#include "display/MainScene.h"
#include "display/UDisplayTextNoTimestamp.h"
#include "display/UVisualization.h"
#include "display/scene/GLSceneViewer.h"
#include "lyrics/fake/FakeAgent.h"
#include "platform/fake/FakeAgentChannel.h"
#include "platform/fake/FakeWinamp.h"
#include "toolkit/CodePage.h"

#include "QtTestApp.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;
using namespace display;

namespace {

class PreferencesWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        display::testing::TestApp();
        Folder = fs::temp_directory_path() / ("cantrel-prefs-" + std::to_string(std::random_device()()));
        fs::create_directories(Folder / "Cantrel" / "lyrics");
        std::ofstream(Folder / "Cantrel" / "CantrelAgent") << "agent";
        Clock.Now = 5000000;
        Agent = std::make_unique<lyrics::TFakeAgent>(AgentChannel, (Folder / "Cantrel" / "lyrics").string());
        ASSERT_TRUE(Agent->Listen());
    }
    void TearDown() override {
        Window.reset();
        fs::remove_all(Folder);
        toolkit::SetActiveCodePage(1252);
    }

    void WriteSettings(const std::string& text) {
        std::ofstream(Folder / "Cantrel" / "Settings.ini") << text;
    }
    void WriteLyrics(const std::string& name, const std::string& text) {
        std::ofstream(Folder / "Cantrel" / "lyrics" / name, std::ios::binary) << text;
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
        return *Window;
    }
    void Play(int ms) {
        Clock.Advance(std::uint32_t(ms));
        if (Amp)
            Amp->PositionMs += ms;
        Window->DisplayLoopStep();
    }

    config::TFormSettings& Dialog() { return Window->Preferences(); }
    template <typename T> T* Find(const char* name) {
        T* widget = Dialog().findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    toolkit::TGLDummyCube& Anchor() { return *Window->Scene().GLDummyCubeVisualization; }

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
};

TEST_F(PreferencesWindowTest, OpensFromTheMenuCtrlPAndTheReminder) {
    TFormCantrel& w = Open();
    QAction* preferences = w.Action("ActionPreferences");
    ASSERT_TRUE(preferences->isEnabled());
    EXPECT_EQ(w.Action("Preferences1"), preferences);
    EXPECT_FALSE(Dialog().isVisible());
    preferences->trigger();
    EXPECT_TRUE(Dialog().isVisible());
    EXPECT_EQ(Dialog().CurrentPage().toStdString(), "About");
    Dialog().close();

    w.activateWindow();
    QTest::keyClick(&w, Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(Dialog().isVisible());
    Dialog().close();
    QTest::keyClick(&w, Qt::Key_P); // P alone does nothing
    EXPECT_FALSE(Dialog().isVisible());

    // The account reminder, shown at start while no account name is set, opens the Internet page.
    toolkit::TGLHUDText& reminder = *w.Scene().GLHUDTextReminder;
    ASSERT_TRUE(reminder.Visible);
    const toolkit::TPixelRect r = reminder.ScreenRect();
    QTest::mouseClick(&w.SceneViewer(), Qt::LeftButton, {}, QPoint(int(r.Left + 5), int(r.Top + 4)));
    EXPECT_TRUE(Dialog().isVisible());
    EXPECT_EQ(Dialog().CurrentPage().toStdString(), "Internet");
    EXPECT_EQ(Dialog().SelectedTreeItem().toStdString(), "Internet");
}

// Minimal hides the playback buttons at once and disables their check box; Default brings them back as the
// check box says.
TEST_F(PreferencesWindowTest, DisplayModeFromTheDialog) {
    WriteSettings("[Display]\r\nShowButtons=1\r\n");
    TFormCantrel& w = Open();
    QCheckBox* buttons = Find<QCheckBox>("JvCheckBoxDisplayButtons");
    ASSERT_TRUE(w.Scene().GLDummyCubeButtons->Visible);
    Find<QRadioButton>("JvRadioGroupDisplayMode1")->click();
    EXPECT_FALSE(w.Scene().GLDummyCubeButtons->Visible);
    EXPECT_FALSE(buttons->isEnabled());
    EXPECT_TRUE(buttons->isChecked());
    EXPECT_TRUE(w.Action("ActionDisplayModeKaraoke")->isChecked());
    Find<QRadioButton>("JvRadioGroupDisplayMode0")->click();
    EXPECT_TRUE(w.Scene().GLDummyCubeButtons->Visible);
    EXPECT_TRUE(buttons->isEnabled());
    EXPECT_TRUE(w.Action("ActionDisplayModeDefault")->isChecked());
    buttons->click();
    EXPECT_FALSE(w.Scene().GLDummyCubeButtons->Visible);
    Find<QRadioButton>("JvRadioGroupDisplayMode1")->click();
    Find<QRadioButton>("JvRadioGroupDisplayMode0")->click();
    EXPECT_FALSE(w.Scene().GLDummyCubeButtons->Visible);
}

// Whoever changes a setting (menus, keys, the frame), the dialog's control shows it.
TEST_F(PreferencesWindowTest, MenusAndKeysShowInTheDialog) {
    TFormCantrel& w = Open();
    w.RunAction(TMainAction::DisplayModeMinimal);
    EXPECT_TRUE(Find<QRadioButton>("JvRadioGroupDisplayMode1")->isChecked());
    w.RunAction(TMainAction::DisplayModeDefault);
    EXPECT_TRUE(Find<QRadioButton>("JvRadioGroupDisplayMode0")->isChecked());

    QAction* fade = w.Action("Fadeinlyrics1");
    ASSERT_TRUE(Find<QCheckBox>("JvCheckBoxFading")->isChecked());
    fade->trigger();
    EXPECT_FALSE(Find<QCheckBox>("JvCheckBoxFading")->isChecked());
    EXPECT_FALSE(Find<QSlider>("JvxSliderFadeLyrics")->isEnabled());

    QComboBox* size = Find<QComboBox>("ComboBoxTextSize");
    EXPECT_EQ(size->currentText().toStdString(), "15");
    w.DisplayEngine().KeyDown(TDisplayKey::NumPlus, {});
    EXPECT_EQ(size->currentText().toStdString(), "16");
    TShiftState shift;
    shift.Shift = true;
    w.DisplayEngine().KeyDown(TDisplayKey::NumPlus, shift); // the visualization's scale x 1.02
    EXPECT_EQ(Find<QSlider>("JvxSliderVisScale")->value(), 74);

    w.RunAction(TMainAction::CharsetGreek);
    EXPECT_EQ(Find<QComboBox>("ComboBoxCharset")->currentText().toStdString(), "Greek");
    w.TurnSearchInternetOn();
    EXPECT_TRUE(Find<QCheckBox>("JvCheckBoxLyricsSearchInternet")->isChecked());
}

// The dialog's text size builds the lyric display again at that size.
TEST_F(PreferencesWindowTest, TextSizeFromTheDialog) {
    Amp = std::make_unique<platform::TFakeWinamp>(Windows, "1. Band - Tune - Winamp");
    Amp->PositionMs = 1000;
    Amp->LengthSeconds = 185;
    WriteLyrics("Band - Tune.lrc", "[00:01.00]One\r\n[00:05.00]Two\r\n");
    TFormCantrel& w = Open();
    Play(200);
    ASSERT_TRUE(w.Lyrics().Found);
    auto& container = *w.Scene().GLHUDTextNoTimestampContainer;
    ASSERT_GT(container.Count(), 0);
    EXPECT_FLOAT_EQ(container.Child(0).Scale.X, 15.0f / 14);
    Find<QComboBox>("ComboBoxTextSize")->setCurrentIndex(9); // "20"
    EXPECT_EQ(w.Settings().TextSize(), 20);
    EXPECT_FLOAT_EQ(container.Child(0).Scale.X, 20.0f / 22);
    EXPECT_TRUE(w.TimerResizeEvent.isActive());
}

// The dialog's character set reads the title and the lyrics again, as the menu does.
TEST_F(PreferencesWindowTest, CharsetFromTheDialogReadsTheSongAgain) {
    const std::string kino =
        "\xd0\x9a\xd0\xb8\xd0\xbd\xd0\xbe - \xd0\x93\xd1\x80\xd1\x83\xd0\xbf\xd0\xbf\xd0\xb0";
    WriteSettings("[General]\r\nCharset=charset_english\r\n");
    WriteLyrics(kino + ".lrc", "[00:01.00]x\r\n[00:05.00]y\r\n");
    Amp = std::make_unique<platform::TFakeWinamp>(Windows, "1. " + kino + " - Winamp");
    Amp->PositionMs = 2000;
    Amp->LengthSeconds = 185;
    TFormCantrel& w = Open();
    Play(200);
    EXPECT_FALSE(w.Lyrics().Found);
    QComboBox* charset = Find<QComboBox>("ComboBoxCharset");
    EXPECT_EQ(charset->currentText().toStdString(), "English (default)");
    charset->setCurrentIndex(charset->findText("Unicode (all languages)"));
    EXPECT_EQ(w.Settings().Charset(), "charset_unicode");
    EXPECT_TRUE(w.Lyrics().Found);
    EXPECT_EQ(w.Lyrics().SongName, kino);
    EXPECT_EQ(w.windowTitle().toStdString(), " " + kino + " ");
}

TEST_F(PreferencesWindowTest, StayOnTopTakesTheDialogAlong) {
    TFormCantrel& w = Open();
    w.ToggleStayOnTop();
    EXPECT_TRUE(Dialog().windowFlags() & Qt::WindowStaysOnTopHint);
    w.ToggleStayOnTop();
    EXPECT_FALSE(Dialog().windowFlags() & Qt::WindowStaysOnTopHint);
}

// Built at start with radius 3, rebuilt with the VisRadius setting (6 by default, then the dialog's), scaled
// by the Scale setting on its anchor, its gain moved by K and L, turned by Shift and the left button.
TEST_F(PreferencesWindowTest, VisualizationFollowsItsSettings) {
    TFormCantrel& w = Open();
    EXPECT_FALSE(Anchor().Visible); // off at every start
    EXPECT_EQ(w.Visualization().Radius(), 6);
    EXPECT_EQ(Anchor().Count(), 13 * 13);
    EXPECT_FLOAT_EQ(Anchor().Scale.X, 0.365f);
    EXPECT_FLOAT_EQ(Anchor().Scale.Z, 0.365f);

    w.activateWindow();
    QTest::keyClick(&w, Qt::Key_K);
    EXPECT_FLOAT_EQ(w.Visualization().Gain(), 0.9f);
    QTest::keyClick(&w, Qt::Key_L);
    EXPECT_FLOAT_EQ(w.Visualization().Gain(), 0.9f * 1.1f);

    Find<QSpinBox>("UpDownVisRadius")->setValue(2);
    EXPECT_EQ(w.Visualization().Radius(), 2);
    EXPECT_EQ(Anchor().Count(), 25);
    EXPECT_EQ(&Anchor().Child(0), w.Visualization().Cubes().front());
    EXPECT_FLOAT_EQ(w.Visualization().Gain(), 1.0f);

    Find<QSlider>("JvxSliderVisScale")->setValue(150);
    EXPECT_FLOAT_EQ(Anchor().Scale.Y, 0.75f);

    TShiftState drag;
    drag.Shift = true;
    drag.Left = true;
    const toolkit::TMatrix4 before = Anchor().Orientation;
    w.DisplayEngine().MouseDown(TMouseButton::Left, drag, 300, 200);
    w.DisplayEngine().MouseMove(drag, 320, 190);
    EXPECT_NE(Anchor().Orientation.M, before.M);
}

// The main loop steps the visualization only while it is shown and the display mode is Default.
TEST_F(PreferencesWindowTest, VisualizationIsSteppedOnlyWhileShown) {
    TFormCantrel& w = Open();
    struct {
        const char* what;
        bool shown;
        int mode;
        bool stepped;
    } cases[] = {{"hidden", false, 0, false}, {"shown", true, 0, true}, {"shown, Minimal", true, 1, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        w.Settings().SetShowVisualization(c.shown);
        w.Settings().SetDisplayMode(c.mode);
        EXPECT_EQ(Anchor().Visible, c.shown && c.mode == 0);
        const std::uint32_t before = TVisualization::LastRowShift();
        Play(100);
        EXPECT_EQ(TVisualization::LastRowShift() != before, c.stepped);
        if (c.stepped) {
            EXPECT_FLOAT_EQ(w.Visualization().Cubes().front()->Scale.Z, 1.0f / 30);
        }
    }
}

} // namespace
