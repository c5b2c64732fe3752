// The preferences dialog under Xvfb, on a real settings store in a fresh program folder: the page tree,
// every control with its setter in both directions, the enabling rules, the keys that close it, the folder
// chooser, the search-site list and what Close writes.
#include "config/ui/USettingsDialog.h"

#include "config/TSongList.h"
#include "config/USettings.h"
#include "config/tests/TRecordingSettingsView.h"
#include "config/ui/IPreferencesHost.h"
#include "toolkit/CodePage.h"
#include "toolkit/FileBytes.h"
#include "toolkit/TProfileFile.h"
#include "toolkit/tests/TempFolder.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

using namespace config;
using testing_support::TTempFolder;

namespace {

QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "preferences_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

class TRecordingHost : public IPreferencesHost {
public:
    void TextSizeChosen() override { ++TextSizes; }
    void OpenAddress(const std::string& address) override { Opened.push_back(address); }
    std::string ProductSite() const override { return "http://www.cantrel.org"; }
    std::string DatabaseSite() const override { return "https://versevault.example.org"; }
    int TextSizes = 0;
    std::vector<std::string> Opened;
};

// The main window's part is recorded; the dialog's part is recorded and passed on to the dialog, as the
// main window does.
class TDialogView : public TRecordingSettingsView {
public:
    TFormSettings* Dialog = nullptr;

// The recording first (a qualified call, which is not virtual), then the dialog.
#define PASS(Name, ...)                                                                                      \
    TRecordingSettingsView::Name(__VA_ARGS__);                                                               \
    if (Dialog)                                                                                              \
    Dialog->Name(__VA_ARGS__)
    void ShowVersion(const std::string& a) override {
        PASS(ShowVersion, a);
    }
    void ShowLyricsDir(const std::string& a) override {
        PASS(ShowLyricsDir, a);
    }
    void ShowCheck(TSettingsCheckBox b, bool c) override {
        PASS(ShowCheck, b, c);
    }
    void EnableCheck(TSettingsCheckBox b, bool e) override {
        PASS(EnableCheck, b, e);
    }
    void HideVisualizationCheck() override {
        PASS(HideVisualizationCheck);
    }
    void RemoveVisualizationPage() override {
        PASS(RemoveVisualizationPage);
    }
    void ShowTextSize(int i) override {
        PASS(ShowTextSize, i);
    }
    void ShowScaleSlider(int p) override {
        PASS(ShowScaleSlider, p);
    }
    void ShowScaleLabel(const std::string& t) override {
        PASS(ShowScaleLabel, t);
    }
    void ShowVisRadius(int p) override {
        PASS(ShowVisRadius, p);
    }
    void ShowDisplayMode(int m) override {
        PASS(ShowDisplayMode, m);
    }
    void ShowFadeSlider(int p) override {
        PASS(ShowFadeSlider, p);
    }
    void EnableFadeSlider(bool e) override {
        PASS(EnableFadeSlider, e);
    }
    void ShowUsername(const std::string& t) override {
        PASS(ShowUsername, t);
    }
    void ShowPassword(const std::string& t) override {
        PASS(ShowPassword, t);
    }
    void ShowLrclibUrl(const std::string& t) override {
        PASS(ShowLrclibUrl, t);
    }
    void ShowFilters(const TFilterList& f) override {
        PASS(ShowFilters, f);
    }
    void ShowCharset(const std::string& c) override {
        PASS(ShowCharset, c);
    }
#undef PASS
};

const char* const kFilters = "[Site1]\r\nUrl=http://one.example/\r\nDescription=First site\r\n"
                             "[Site2]\r\nUrl=http://two.example/\r\nDescription=Second site\r\nEnabled=0\r\n"
                             "[Site3]\r\nUrl=http://three.example/\r\nDescription=Third site\r\n";

class PreferencesDialogTest : public ::testing::Test {
public:
    using F = PreferencesDialogTest;

    void SetUp() override {
        TestApp();
        toolkit::EnsureFolder(Cantrel);
        Settings = std::make_unique<TSettings>(View, Cancel, Upload, Prog, "", Sep);
        Dialog = std::make_unique<TFormSettings>(*Settings, Host);
        View.Dialog = Dialog.get();
    }
    void TearDown() override {
        View.Dialog = nullptr;
        Dialog.reset();
        toolkit::SetActiveCodePage(1252);
    }

    void Write(const std::string& name, const std::string& text) {
        TTempFolder::WriteFile(Cantrel + name, text);
    }
    std::string Read(const std::string& name) { return TTempFolder::ReadFile(Cantrel + name); }
    void Load() { Settings->LoadSettings(); }
    // Shows the dialog as the active window, so that focus and keys behave as for the user.
    void ShowActive() {
        Dialog->ShowPreferences();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Dialog.get()));
    }

    template <typename T> T* Find(const char* name) {
        T* widget = Dialog->findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QTreeWidget* Sites() { return Find<QTreeWidget>("JvListView1"); }
    std::vector<std::string> TreeItems() {
        std::vector<std::string> items;
        for (QTreeWidgetItemIterator it(Find<QTreeWidget>("JvTreeView1")); *it; ++it)
            items.push_back((*it)->text(0).toStdString());
        return items;
    }
    std::vector<std::string> SiteRows() {
        std::vector<std::string> rows;
        for (int i = 0; i < Sites()->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = Sites()->topLevelItem(i);
            rows.push_back(item->text(0).toStdString() + "|" + item->text(1).toStdString() + "|" +
                           (item->checkState(0) == Qt::Checked ? "1" : "0"));
        }
        return rows;
    }
    std::vector<bool> Enabled() {
        std::vector<bool> enabled;
        for (const TFilter& site : Settings->Filters().Items())
            enabled.push_back(site.Enabled);
        return enabled;
    }

    TTempFolder Temp;
    const char Sep = platform::PathSeparator();
    const std::string Prog = Temp / "prog";
    const std::string Cantrel = Prog + Sep + "Cantrel" + Sep;
    TDialogView View;
    TSongList Cancel, Upload;
    TRecordingHost Host;
    std::unique_ptr<TSettings> Settings;
    std::unique_ptr<TFormSettings> Dialog;
};

TEST_F(PreferencesDialogTest, WindowAndPageTree) {
    EXPECT_EQ(Dialog->windowTitle().toStdString(), "Cantrel Preferences");
    EXPECT_FALSE(Dialog->isModal());
    EXPECT_EQ(Dialog->size(), QSize(565, 389));
    EXPECT_EQ(TreeItems(), (std::vector<std::string>{"General", "Display", "Visualization", "Lyrics",
                                                     "Internet", "About"}));
    Load();
    EXPECT_EQ(TreeItems(), (std::vector<std::string>{"General", "Display", "Lyrics", "Internet", "About"}));
    EXPECT_EQ(Find<QLabel>("JvLabelVersion")->text().toStdString(), "Version 2.4");

    // Until the user picks an item the page book shows its first page, About; the tree's focus changes
    // nothing.
    Dialog->ShowPreferences();
    EXPECT_EQ(Dialog->CurrentPage().toStdString(), "About");
    EXPECT_EQ(Dialog->SelectedTreeItem().toStdString(), "");
    Find<QTreeWidget>("JvTreeView1")->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(Dialog->CurrentPage().toStdString(), "About");

    // Picking an item shows the page of the same caption.
    for (const char* page : {"General", "Display", "Lyrics", "Internet", "About"}) {
        auto* tree = Find<QTreeWidget>("JvTreeView1");
        tree->setCurrentItem(tree->findItems(page, Qt::MatchExactly | Qt::MatchRecursive).front());
        EXPECT_EQ(Dialog->CurrentPage().toStdString(), page);
    }
    // The account reminder's page: the Internet item, selected.
    Dialog->ShowPreferencesPage(TFormSettings::kInternetPage);
    EXPECT_TRUE(Dialog->isVisible());
    EXPECT_EQ(Dialog->CurrentPage().toStdString(), "Internet");
    EXPECT_EQ(Dialog->SelectedTreeItem().toStdString(), "Internet");
}

TEST_F(PreferencesDialogTest, CaptionsMarksAndHints) {
    Load();
    struct {
        const char* name;
        const char* caption;
    } cases[] = {
        {"CheckBoxSearchLyricsDirectory", "Also Search Directory where song is located*"},
        {"JvCheckBoxLyricsSearchId3v2tag", "Search ID3v2 Tag for lyrics*"},
        {"JvCheckBoxLyricsSearchLyrics3Tag", "Search Lyrics3 Tag for lyrics*"},
        {"JvCheckBoxReadTitleInfoFromTag", "Read title info from mp3 tag*"},
        {"JvCheckBoxLyricsDirectoryIncludeSubdirectories", "Include Subdirectories in search"},
        {"JvCheckBoxUseMouseGestures", "Use Mouse Gestures"},
        {"JvCheckBoxDisplayButtons", "Show Playback Buttons"},
        {"JvCheckBoxSmoothScrolling", "Smooth Scrolling"},
        {"JvCheckBoxLyricsSearchInternet", "Search Internet for Lyrics"},
        {"JvCheckBoxRemoveTrackNumber", "Remove Track number in search"},
        {"JvCheckBoxVisEnableBeatDetection", "Enable Beat Detection"},
        {"CheckBoxHighlightWords", "Highlight Words (enhanced LRC)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Find<QCheckBox>(c.name)->text().toStdString(), c.caption);
    for (const char* note : {"JvLabelOnlyPlayers1", "JvLabelOnlyPlayers2"}) {
        EXPECT_EQ(Find<QLabel>(note)->text().toStdString(), "*Only available for some players");
        EXPECT_FALSE(Find<QLabel>(note)->isHidden());
    }
    EXPECT_EQ(Find<QCheckBox>("JvCheckBoxExcludeTextInBrackets")->toolTip().toStdString(),
              "Exclude text in brackets, eg \"U2 - Pride(live)\"-->\"U2 - pride\"");
    EXPECT_EQ(Find<QCheckBox>("JvCheckBoxRemoveTrackNumber")->toolTip().toStdString(),
              "Remove tracknumber from lyrics (eg 'Live - 02 Voodoo lady' --> 'Live - Voodoo lady')");
    EXPECT_EQ(
        Find<QCheckBox>("JvCheckBoxReadTitleInfoFromTag")->toolTip().toStdString(),
        "Read info from mp3 tag. Use this if you use a different format than 'Artist - Title' in winamp");
    // "Show Visualization" is hidden after loading; the password box shows a star per character.
    EXPECT_TRUE(Find<QCheckBox>("JvCheckBoxDisplayVisualization")->isHidden());
    auto* password = Find<QLineEdit>("EditVersevaultPassword");
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    EXPECT_EQ(password->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, password), '*');
    // The lyric databases' addresses: LRCLIB's, shown and edited, empty for the usual address.
    EXPECT_FALSE(Find<QGroupBox>("GroupBoxDatabases")->isHidden());
    auto* lrclib = Find<QLineEdit>("EditLrclibUrl");
    EXPECT_EQ(lrclib->text().toStdString(), "https://lrclib.net");
    QTest::keyClick(lrclib, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(lrclib, " http://127.0.0.1:8080 ");
    EXPECT_EQ(Settings->LrclibUrl(), "http://127.0.0.1:8080");
    EXPECT_EQ(lrclib->text().toStdString(), " http://127.0.0.1:8080 ");
    QTest::keyClick(lrclib, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(lrclib, Qt::Key_Backspace);
    EXPECT_TRUE(lrclib->text().isEmpty());
    EXPECT_EQ(Settings->LrclibUrl(), "https://lrclib.net");
    auto* header = Sites()->headerItem();
    EXPECT_EQ(header->text(0).toStdString(), "Website");
    EXPECT_EQ(header->text(1).toStdString(), "Comment");
    EXPECT_EQ(Sites()->columnWidth(0), 145);
    EXPECT_EQ(Sites()->columnWidth(1), 219);
}

// Every control with its setter: the user's change reaches the setting (and what depends on it), and the
// setter's change shows in the control.
TEST_F(PreferencesDialogTest, EveryControlAndItsSetter) {
    Load(); // defaults: every check box as the key table says
    auto check = [](F& f, const char* name) { f.Find<QCheckBox>(name)->click(); };
    auto checked = [](F& f, const char* name) { return f.Find<QCheckBox>(name)->isChecked() ? "1" : "0"; };
    auto on = [](bool value) { return std::string(value ? "1" : "0"); };
    struct TCase {
        const char* name;
        std::function<void(F&)> changeControl;
        std::function<std::string(const TSettings&)> setting;
        std::string settingAfterControl;
        std::function<void(TSettings&)> callSetter;
        std::function<std::string(F&)> control;
        std::string controlAfterSetter;
        // What depends on the control (enabling), after the control's change; empty when nothing does.
        std::function<std::string(F&)> dependent = nullptr;
        std::string dependentAfterControl = "";
    };
#define CHECK_CASE(Box, Getter, Setter, Default)                                                             \
    TCase{Box,                                                                                               \
          [&](F& f) { check(f, Box); },                                                                      \
          [&](const TSettings& s) { return on(s.Getter()); },                                                \
          on(!(Default)),                                                                                    \
          [](TSettings& s) { s.Setter(Default); },                                                           \
          [&](F& f) { return checked(f, Box); },                                                             \
          on(Default)}
    std::vector<TCase> cases = {
        CHECK_CASE("JvCheckBoxLyricsDirectoryIncludeSubdirectories", IncludeSubDirecoriesInSearch,
                   SetIncludeSubDirecoriesInSearch, true),
        CHECK_CASE("CheckBoxSearchLyricsDirectory", SearchLyricDirectory, SetSearchLyricDirectory, false),
        CHECK_CASE("JvCheckBoxUseMouseGestures", UseMouseGestures, SetUseMouseGestures, true),
        CHECK_CASE("JvCheckBoxDisplayVisualization", ShowVisualization, SetShowVisualization, false),
        CHECK_CASE("JvCheckBoxDisplayButtons", ShowButtons, SetShowButtons, false),
        CHECK_CASE("JvCheckBoxHighlightCurrentLine", HighlightLine, SetHighlightLine, true),
        CHECK_CASE("CheckBoxHighlightWords", HighlightWords, SetHighlightWords, true),
        CHECK_CASE("JvCheckBoxSmoothScrolling", ScrollSmooth, SetScrollSmooth, true),
        CHECK_CASE("JvCheckBoxLyricsSearchId3v2tag", SearchID3v2, SetSearchID3v2, true),
        CHECK_CASE("JvCheckBoxLyricsSearchLyrics3Tag", SearchLyrics3, SetSearchLyrics3, true),
        CHECK_CASE("JvCheckBoxLyricsSearchInternet", SearchInternet, SetSearchInternet, true),
        CHECK_CASE("JvCheckBoxReadTitleInfoFromTag", ReadTitleInfoFromTag, SetReadTitleInfoFromTag, false),
        CHECK_CASE("JvCheckBoxExcludeTextInBrackets", ExcludeTextInBrackets, SetExcludeTextInBrackets, true),
        CHECK_CASE("JvCheckBoxRemoveTrackNumber", RemoveTrackNumber, SetRemoveTrackNumber, true),
        CHECK_CASE("JvCheckBoxVisEnableBeatDetection", VisEnableBeatDetection, SetVisEnableBeatDetection,
                   true),
        // Unchecking "Scroll Lyrics" disables "Smooth Scrolling" and leaves its check mark.
        {"JvCheckBoxScrollLyrics", [&](F& f) { check(f, "JvCheckBoxScrollLyrics"); },
         [&](const TSettings& s) { return on(s.Scroll()); }, "0", [](TSettings& s) { s.SetScroll(true); },
         [&](F& f) { return checked(f, "JvCheckBoxScrollLyrics"); }, "1",
         [](F& f) {
             auto* smooth = f.Find<QCheckBox>("JvCheckBoxSmoothScrolling");
             return std::string("enabled ") + (smooth->isEnabled() ? "1" : "0") + " checked " +
                    (smooth->isChecked() ? "1" : "0");
         },
         "enabled 0 checked 1"},
        // Unchecking "Fade in lyrics" disables the fade slider.
        {"JvCheckBoxFading", [&](F& f) { check(f, "JvCheckBoxFading"); },
         [&](const TSettings& s) { return on(s.FadeLyrics()); }, "0",
         [](TSettings& s) { s.SetFadeLyrics(true); }, [&](F& f) { return checked(f, "JvCheckBoxFading"); },
         "1",
         [](F& f) { return std::string(f.Find<QSlider>("JvxSliderFadeLyrics")->isEnabled() ? "1" : "0"); },
         "0"},
        // "Minimal" disables the two check boxes of the Default mode.
        {"JvRadioGroupDisplayMode", [](F& f) { f.Find<QRadioButton>("JvRadioGroupDisplayMode1")->click(); },
         [](const TSettings& s) { return std::to_string(s.DisplayMode()); }, "1",
         [](TSettings& s) { s.SetDisplayMode(0); },
         [](F& f) {
             return std::string(f.Find<QRadioButton>("JvRadioGroupDisplayMode0")->isChecked() ? "0" : "1");
         },
         "0",
         [](F& f) {
             return std::string(f.Find<QCheckBox>("JvCheckBoxDisplayButtons")->isEnabled() ? "1" : "0") +
                    (f.Find<QCheckBox>("JvCheckBoxDisplayVisualization")->isEnabled() ? "1" : "0");
         },
         "00"},
        {"ComboBoxTextSize", [](F& f) { f.Find<QComboBox>("ComboBoxTextSize")->setCurrentIndex(9); },
         [](const TSettings& s) { return std::to_string(s.TextSize()); }, "20",
         [](TSettings& s) { s.SelectTextSize(2); },
         [](F& f) { return f.Find<QComboBox>("ComboBoxTextSize")->currentText().toStdString(); }, "13",
         [](F& f) { return std::to_string(f.Host.TextSizes); }, "1"},
        {"JvxSliderFadeLyrics", [](F& f) { f.Find<QSlider>("JvxSliderFadeLyrics")->setValue(40); },
         [](const TSettings& s) { return std::to_string(s.FadeRatio()); }, "40",
         [](TSettings& s) { s.SetFadeRatio(500); },
         [](F& f) { return std::to_string(f.Find<QSlider>("JvxSliderFadeLyrics")->value()); }, "120"},
        {"JvxSliderVisScale", [](F& f) { f.Find<QSlider>("JvxSliderVisScale")->setValue(150); },
         [](const TSettings& s) { return FormatScale(s.Scale()); }, "0.75",
         [](TSettings& s) { s.SetScale(0.5f); },
         [](F& f) {
             return std::to_string(f.Find<QSlider>("JvxSliderVisScale")->value()) + " " +
                    f.Find<QLabel>("LabelVisScale")->text().toStdString();
         },
         "100 100%", [](F& f) { return f.Find<QLabel>("LabelVisScale")->text().toStdString(); }, "150%"},
        {"UpDownVisRadius", [](F& f) { f.Find<QSpinBox>("UpDownVisRadius")->setValue(9); },
         [](const TSettings& s) { return std::to_string(s.VisRadius()); }, "9",
         [](TSettings& s) { s.SetVisRadius(40); },
         [](F& f) { return std::to_string(f.Find<QSpinBox>("UpDownVisRadius")->value()); }, "18",
         [](F& f) { return f.View.calls.back(); }, "RecreateVisualization(9)"},
        {"EditVersevaultUsername",
         [](F& f) {
             auto* edit = f.Find<QLineEdit>("EditVersevaultUsername");
             edit->setFocus();
             QTest::keyClicks(edit, "anna");
         },
         [](const TSettings& s) { return s.Username(); }, "anna", [](TSettings& s) { s.SetUsername("bob"); },
         [](F& f) { return f.Find<QLineEdit>("EditVersevaultUsername")->text().toStdString(); }, "bob"},
        {"EditVersevaultPassword",
         [](F& f) { QTest::keyClicks(f.Find<QLineEdit>("EditVersevaultPassword"), "s3cr"); },
         [](const TSettings& s) { return s.Password(); }, "s3cr", [](TSettings& s) { s.SetPassword("pw"); },
         [](F& f) { return f.Find<QLineEdit>("EditVersevaultPassword")->text().toStdString(); }, "pw"},
        {"ComboBoxCharset", [](F& f) { f.Find<QComboBox>("ComboBoxCharset")->setCurrentIndex(2); },
         [](const TSettings& s) { return s.Charset(); }, "charset_russian",
         [](TSettings& s) { s.SetCharset("charset_unicode"); },
         [](F& f) { return f.Find<QComboBox>("ComboBoxCharset")->currentText().toStdString(); },
         "Unicode (all languages)", [](F& f) { return f.View.calls.back(); }, "ReadSongAgain"},
        {"ButtonLyricsDirectory",
         [](F& f) {
             f.Dialog->ChooseFolder = [](const QString&) {
                 return std::optional<QString>("/music/Rock & Roll");
             };
             f.Find<QPushButton>("ButtonLyricsDirectory")->click();
         },
         [](const TSettings& s) { return s.LyricsDir(); }, "/music/Rock & Roll",
         [](TSettings& s) { s.SetLyricsDir("/lyrics/M\xc3\xb6tley"); },
         [](F& f) { return f.Find<QPushButton>("ButtonLyricsDirectory")->text().toStdString(); },
         "/lyrics/M\xc3\xb6tley"},
    };
#undef CHECK_CASE
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        View.Clear();
        c.changeControl(*this);
        EXPECT_EQ(c.setting(*Settings), c.settingAfterControl);
        if (c.dependent) {
            EXPECT_EQ(c.dependent(*this), c.dependentAfterControl);
        }
        c.callSetter(*Settings);
        EXPECT_EQ(c.control(*this), c.controlAfterSetter);
    }
}

// Close, Enter (also in the account boxes) and Escape save everything and hide the dialog; the title bar's
// close box only hides it.
TEST_F(PreferencesDialogTest, WaysToCloseTheDialog) {
    struct {
        const char* how;
        std::function<void(F&)> close;
        bool saved;
    } cases[] = {
        {"Close", [](F& f) { f.Find<QPushButton>("ButtonClose")->click(); }, true},
        {"Enter in the password box",
         [](F& f) {
             auto* password = f.Find<QLineEdit>("EditVersevaultPassword");
             password->setFocus();
             QTest::keyClick(password, Qt::Key_Return);
         },
         true},
        {"Enter in the user name box",
         [](F& f) { QTest::keyClick(f.Find<QLineEdit>("EditVersevaultUsername"), Qt::Key_Enter); }, true},
        {"Escape", [](F& f) { QTest::keyClick(f.Dialog.get(), Qt::Key_Escape); }, true},
        {"the title bar's close box", [](F& f) { f.Dialog->close(); }, false},
    };
    Load();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        std::filesystem::remove(toolkit::FilePath(Cantrel + "Settings.ini"));
        std::filesystem::remove(toolkit::FilePath(Cantrel + "UserFilters.ini"));
        ShowActive();
        Settings->SetUsername("anna");
        c.close(*this);
        EXPECT_FALSE(Dialog->isVisible());
        EXPECT_EQ(toolkit::FileExists(Cantrel + "Settings.ini"), c.saved);
        EXPECT_EQ(toolkit::FileExists(Cantrel + "UserFilters.ini"), c.saved);
        if (c.saved) {
            EXPECT_NE(Read("Settings.ini").find("Username=anna\r\n"), std::string::npos);
        }
    }
}

TEST_F(PreferencesDialogTest, TabInTheAccountBoxes) {
    Load();
    ShowActive();
    auto* user = Find<QLineEdit>("EditVersevaultUsername");
    auto* password = Find<QLineEdit>("EditVersevaultPassword");
    user->setFocus();
    QTest::keyClick(user, Qt::Key_Tab);
    EXPECT_TRUE(password->hasFocus());
    QTest::keyClick(password, Qt::Key_Tab);
    EXPECT_TRUE(Find<QPushButton>("ButtonClose")->hasFocus());
    EXPECT_TRUE(Dialog->isVisible()); // Tab presses nothing
}

TEST_F(PreferencesDialogTest, FolderChooser) {
    Load();
    const std::string before = Settings->LyricsDir();
    QString started;
    // Cancelled: the folder stays and the dialog comes back to the front.
    Dialog->ChooseFolder = [&](const QString& start) {
        started = start;
        return std::optional<QString>();
    };
    ShowActive();
    Find<QPushButton>("ButtonLyricsDirectory")->click();
    EXPECT_EQ(started.toStdString(), before);
    EXPECT_EQ(Settings->LyricsDir(), before);
    EXPECT_TRUE(Dialog->isVisible());
    EXPECT_TRUE(QTest::qWaitForWindowActive(Dialog.get()));
    // Chosen: the folder's own bytes become the setting, and the button shows it ("&" is no shortcut mark).
    const std::string folder = Temp / "Rock & Roll \xce\x9a\xce\xb9";
    Dialog->ChooseFolder = [&](const QString&) {
        return std::optional<QString>(QString::fromUtf8(folder.c_str()));
    };
    Find<QPushButton>("ButtonLyricsDirectory")->click();
    EXPECT_EQ(Settings->LyricsDir(), folder);
    EXPECT_EQ(Find<QPushButton>("ButtonLyricsDirectory")->text(),
              QString::fromUtf8(folder.c_str()).replace("&", "&&"));
}

// The site list: filled from the merged files, moved with Up and Down, its check marks taken at once only
// from the focused list with a selection, and all of them by Close, which writes UserFilters.ini.
TEST_F(PreferencesDialogTest, SiteList) {
    Write("Filters.ini", kFilters);
    Load();
    EXPECT_EQ(SiteRows(), (std::vector<std::string>{"http://one.example/|First site|1",
                                                    "http://two.example/|Second site|0",
                                                    "http://three.example/|Third site|1"}));
    Dialog->ShowPreferencesPage(TFormSettings::kInternetPage);
    ASSERT_TRUE(QTest::qWaitForWindowActive(Dialog.get()));
    auto* up = Find<QPushButton>("ButtonUp");
    auto* down = Find<QPushButton>("ButtonDown");

    // Without a selection Up and Down do nothing; the first site does not go up, the last not down.
    up->click();
    down->click();
    EXPECT_EQ(Settings->Filters().Items()[0].Url, "http://one.example/");
    Sites()->setCurrentItem(Sites()->topLevelItem(0));
    up->click();
    EXPECT_EQ(Settings->Filters().Items()[0].Url, "http://one.example/");
    EXPECT_EQ(Sites()->currentItem(), Sites()->topLevelItem(0));
    Sites()->setCurrentItem(Sites()->topLevelItem(2));
    down->click();
    EXPECT_EQ(Settings->Filters().Items()[2].Url, "http://three.example/");
    // Up moves the third site to the second place and keeps it selected.
    up->click();
    EXPECT_EQ(SiteRows(), (std::vector<std::string>{"http://one.example/|First site|1",
                                                    "http://three.example/|Third site|1",
                                                    "http://two.example/|Second site|0"}));
    EXPECT_EQ(Sites()->currentItem(), Sites()->topLevelItem(1));
    EXPECT_TRUE(Sites()->topLevelItem(1)->isSelected());
    down->click();
    EXPECT_EQ(Settings->Filters().Items()[2].Url, "http://three.example/");
    EXPECT_EQ(Sites()->currentItem(), Sites()->topLevelItem(2));

    // A mark changed in the list without the focus waits for Close...
    Sites()->clearFocus();
    Sites()->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
    EXPECT_EQ(Enabled(), (std::vector<bool>{true, false, true}));
    // ...one changed in the focused list with a selection counts at once.
    Sites()->setFocus();
    ASSERT_TRUE(Sites()->hasFocus());
    Sites()->topLevelItem(1)->setCheckState(0, Qt::Checked);
    EXPECT_EQ(Enabled(), (std::vector<bool>{true, true, true}));
    // Without a selection, not even then.
    Sites()->clearSelection();
    Sites()->topLevelItem(2)->setCheckState(0, Qt::Unchecked);
    EXPECT_EQ(Enabled(), (std::vector<bool>{true, true, true}));

    // Closing by the title bar keeps what was taken; Close takes every mark and writes the list.
    Dialog->close();
    EXPECT_EQ(Enabled(), (std::vector<bool>{true, true, true}));
    EXPECT_FALSE(toolkit::FileExists(Cantrel + "UserFilters.ini"));
    Dialog->ShowPreferences();
    Find<QPushButton>("ButtonClose")->click();
    EXPECT_EQ(Enabled(), (std::vector<bool>{false, true, false}));
    const toolkit::TProfileFile saved = toolkit::LoadProfileFile(Cantrel + "UserFilters.ini");
    EXPECT_EQ(saved.SectionNames(), (std::vector<std::string>{"Filter0", "Filter1", "Filter2"}));
    EXPECT_EQ(saved.ReadString("Filter1", "Url", ""), "http://two.example/");
    EXPECT_EQ(saved.ReadString("Filter1", "Enabled", ""), "1");
    EXPECT_EQ(saved.ReadString("Filter2", "Url", ""), "http://three.example/");
    EXPECT_EQ(saved.ReadString("Filter2", "Enabled", ""), "0");
    EXPECT_EQ(saved.ReadString("Filter0", "AuthorWeb", "x"), "");

    // The next run shows the user's order and marks.
    Settings->LoadFilters();
    Settings->ShowFilters();
    EXPECT_EQ(SiteRows(), (std::vector<std::string>{"http://one.example/|First site|0",
                                                    "http://two.example/|Second site|1",
                                                    "http://three.example/|Third site|0"}));
}

TEST_F(PreferencesDialogTest, AddWebsiteAndLinksOpenTheBrowser) {
    Load();
    Find<QPushButton>("ButtonAddSite")->click();
    emit Find<QLabel>("LinkDatabaseSite")->linkActivated("https://versevault.example.org");
    EXPECT_EQ(Host.Opened,
              (std::vector<std::string>{"http://www.cantrel.org/addsite", "https://versevault.example.org"}));
    EXPECT_EQ(Settings->Filters().Count(), 0u); // the list is not changed
}

} // namespace
