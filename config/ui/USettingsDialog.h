#pragma once
// The preferences dialog "Cantrel Preferences": the user's view of the settings store. A page tree on the
// left (General, Display, Lyrics with Internet beneath it, About) picks the page shown on the right. Every
// control applies its change at once through the store's setter; the store in turn shows every change in
// the controls (this is the dialog's part of the settings view), so they mirror the settings whoever
// changes them. "Close" (also Enter and Escape) commits the site list's check marks, writes everything and
// hides the dialog; the title bar's close box only hides it.
//
// Ownership: the main window creates the one instance, hidden, and keeps it for the whole run; the store
// and the host are the main window's and outlive the dialog.

#include "config/ISettingsView.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QSpinBox;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace config {

class IPreferencesHost;
class TSettings;

class TFormSettings : public QDialog, public ISettingsDialogView {
public:
    // The page tree's items by position once the Visualization item is gone: 0 General, 1 Display,
    // 2 Lyrics, 3 Internet, 4 About.
    static constexpr int kInternetPage = 3;

    TFormSettings(TSettings& settings, IPreferencesHost& host, QWidget* parent = nullptr);
    ~TFormSettings() override;

    // Shows the dialog, not modal, and brings it to the front (the "Preferences.." action).
    void ShowPreferences();
    // Selects the page tree's item at the position (counting every item from the top, children included)
    // and shows its page, then shows the dialog (the account reminder opens the Internet page).
    void ShowPreferencesPage(int index);
    void SetStaysOnTop(bool onTop);

    // The folder chooser: the folder picked, or nothing when the user cancelled. The platform's folder
    // browser unless replaced (tests).
    std::function<std::optional<QString>(const QString& start)> ChooseFolder;

    // The check box that mirrors a boolean setting.
    QCheckBox* CheckBox(TSettingsCheckBox box) const;
    // The page shown and the tree item selected (empty when none).
    QString CurrentPage() const;
    QString SelectedTreeItem() const;
    // The site list's check marks, in list order.
    std::vector<bool> FilterChecks() const;

    // ---- The dialog's part of the settings view ----
    void ShowVersion(const std::string& caption) override;
    void ShowLyricsDir(const std::string& path) override;
    void ShowCheck(TSettingsCheckBox box, bool checked) override;
    void EnableCheck(TSettingsCheckBox box, bool enabled) override;
    void HideVisualizationCheck() override;
    void RemoveVisualizationPage() override;
    void ShowTextSize(int index) override;
    void ShowScaleSlider(int position) override;
    void ShowScaleLabel(const std::string& text) override;
    void ShowVisRadius(int position) override;
    void ShowDisplayMode(int mode) override;
    void ShowFadeSlider(int position) override;
    void EnableFadeSlider(bool enabled) override;
    void ShowUsername(const std::string& text) override;
    void ShowPassword(const std::string& text) override;
    void ShowLrclibUrl(const std::string& url) override;
    void ShowFilters(const TFilterList& filters) override;
    void ShowCharset(const std::string& charset) override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* MakeGeneralPage();
    QWidget* MakeDisplayPage();
    QWidget* MakeVisualizationPage();
    QWidget* MakeLyricsPage();
    QWidget* MakeInternetPage();
    QWidget* MakeAboutPage();
    QCheckBox* AddCheck(TSettingsCheckBox box, const char* name, const QString& caption,
                        void (TSettings::*setter)(bool));
    void BringToFront();

    // Handlers.
    void JvTreeView1Change(QTreeWidgetItem* item);
    void ButtonCloseClick();
    void ButtonLyricsDirectoryClick();
    void JvListView1Change(QTreeWidgetItem* item, int column);
    void ButtonUpClick();
    void ButtonDownClick();
    void ButtonAddSiteClick();
    // Selects the list item at the position, if there is one.
    void SelectFilter(int position);
    int SelectedFilter() const;

    TSettings& Settings_;
    IPreferencesHost& Host_;
    bool FillingFilters_ = false;

    QTreeWidget* JvTreeView1_ = nullptr;
    QTreeWidgetItem* VisualizationItem_ = nullptr; // until loading removes it
    QPushButton* ButtonClose_ = nullptr;
    QStackedWidget* Notebook1_ = nullptr;
    std::vector<QCheckBox*> CheckBoxes_; // by TSettingsCheckBox

    // General
    QPushButton* ButtonLyricsDirectory_ = nullptr;
    QComboBox* ComboBoxCharset_ = nullptr;
    // Display
    QButtonGroup* JvRadioGroupDisplayMode_ = nullptr;
    QComboBox* ComboBoxTextSize_ = nullptr;
    QSlider* JvxSliderFadeLyrics_ = nullptr;
    // Visualization
    QSlider* JvxSliderVisScale_ = nullptr;
    QLabel* LabelVisScale_ = nullptr;
    QSpinBox* UpDownVisRadius_ = nullptr;
    // Internet
    QLineEdit* EditVersevaultUsername_ = nullptr;
    QLineEdit* EditVersevaultPassword_ = nullptr;
    QLineEdit* EditLrclibUrl_ = nullptr;
    QTreeWidget* JvListView1_ = nullptr;
    // About
    QLabel* JvLabelVersion_ = nullptr;
};

} // namespace config
