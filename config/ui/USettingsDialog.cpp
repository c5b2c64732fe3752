#include "config/ui/USettingsDialog.h"

#include "config/TFilterList.h"
#include "config/USettings.h"
#include "config/ui/IPreferencesHost.h"
#include "toolkit/FileBytes.h"
#include "ui/UActiveText.h"
#include "ui/UFilePaths.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStyle>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>
#include <functional>

namespace config {

namespace {

using ui::FromActive;
using ui::ToActive;

constexpr int kClientWidth = 565;
constexpr int kClientHeight = 389;
constexpr int kCheckBoxCount = int(TSettingsCheckBox::HighlightWords) + 1;

const char* const kOnlySomePlayers = "*Only available for some players";

// The character sets, as the main window's menu names them.
struct TCharsetItem {
    const char* Value;
    const char* Caption;
};
const TCharsetItem kCharsets[] = {
    {"charset_english", "English (default)"},
    {"charset_centraleurope", "Eastern European"},
    {"charset_russian", "Russian"},
    {"charset_greek", "Greek"},
    {"charset_unicode", "Unicode (all languages)"},
};

// The password box shows "*" for each character.
class TStarPasswordStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        if (hint == SH_LineEdit_PasswordMaskDelay)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QString LinkText(const std::string& address) {
    const QString a = FromActive(address).toHtmlEscaped();
    return "<a href=\"" + a + "\">" + a + "</a>";
}

// A page of the page book: one group box captioned like the page, which the page's controls go into.
QWidget* NewPage(const QString& caption, QVBoxLayout*& inside) {
    auto* page = new QWidget;
    page->setObjectName("Page" + caption);
    page->setWindowTitle(caption); // pages are found by caption
    auto* outer = new QVBoxLayout(page);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* group = new QGroupBox(caption, page);
    outer->addWidget(group);
    inside = new QVBoxLayout(group);
    return page;
}

} // namespace

TFormSettings::TFormSettings(TSettings& settings, IPreferencesHost& host, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      Settings_(settings), Host_(host), CheckBoxes_(std::size_t(kCheckBoxCount), nullptr) {
    setObjectName("Settings");
    setWindowTitle("Cantrel Preferences");
    setModal(false);
    setFixedSize(kClientWidth, kClientHeight);
    setSizeGripEnabled(false);

    JvTreeView1_ = new QTreeWidget(this);
    JvTreeView1_->setObjectName("JvTreeView1");
    JvTreeView1_->setHeaderHidden(true);
    JvTreeView1_->setRootIsDecorated(false); // no expand buttons
    JvTreeView1_->setItemsExpandable(false);
    JvTreeView1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    JvTreeView1_->setSelectionMode(QAbstractItemView::SingleSelection);
    JvTreeView1_->setIndentation(12);
    new QTreeWidgetItem(JvTreeView1_, {"General"});
    auto* display = new QTreeWidgetItem(JvTreeView1_, {"Display"});
    VisualizationItem_ = new QTreeWidgetItem(display, {"Visualization"});
    auto* lyrics = new QTreeWidgetItem(JvTreeView1_, {"Lyrics"});
    new QTreeWidgetItem(lyrics, {"Internet"});
    new QTreeWidgetItem(JvTreeView1_, {"About"});
    JvTreeView1_->expandAll();
    // The page follows the selection: giving the tree the focus makes an item current without selecting
    // it, and leaves the page as it is.
    connect(JvTreeView1_, &QTreeWidget::itemSelectionChanged, this, [this] {
        const auto selected = JvTreeView1_->selectedItems();
        if (!selected.isEmpty())
            JvTreeView1Change(selected.front());
    });

    ButtonClose_ = new QPushButton("Close", this);
    ButtonClose_->setObjectName("ButtonClose");
    ButtonClose_->setDefault(true);
    ButtonClose_->setAutoDefault(true);
    connect(ButtonClose_, &QPushButton::clicked, this, [this] { ButtonCloseClick(); });

    Notebook1_ = new QStackedWidget(this);
    Notebook1_->setObjectName("Notebook1");
    Notebook1_->addWidget(MakeGeneralPage());
    Notebook1_->addWidget(MakeDisplayPage());
    Notebook1_->addWidget(MakeVisualizationPage());
    Notebook1_->addWidget(MakeLyricsPage());
    Notebook1_->addWidget(MakeInternetPage());
    QWidget* about = MakeAboutPage();
    Notebook1_->addWidget(about);
    Notebook1_->setCurrentWidget(about); // the page shown until the user picks one

    auto* left = new QVBoxLayout;
    left->addWidget(JvTreeView1_, 1);
    left->addWidget(ButtonClose_);
    auto* main = new QHBoxLayout(this);
    main->setContentsMargins(8, 8, 8, 8);
    main->addLayout(left);
    main->addWidget(Notebook1_, 1);
    JvTreeView1_->setFixedWidth(121);
    ButtonClose_->setFixedWidth(121);

    // Creation: the "*" marks of the options that need the playing file, and both notes about them.
    for (TSettingsCheckBox box : {TSettingsCheckBox::SearchLyricDirectory, TSettingsCheckBox::SearchID3v2,
                                  TSettingsCheckBox::SearchLyrics3, TSettingsCheckBox::ReadTitleInfoFromTag})
        CheckBox(box)->setText(CheckBox(box)->text() + "*");
}

TFormSettings::~TFormSettings() = default;

QCheckBox* TFormSettings::AddCheck(TSettingsCheckBox box, const char* name, const QString& caption,
                                   void (TSettings::*setter)(bool)) {
    auto* check = new QCheckBox(caption);
    check->setObjectName(name);
    // Only the user's clicks call the setter; the store's own changes of the box are only shown.
    connect(check, &QCheckBox::clicked, this,
            [this, set = std::mem_fn(setter)](bool checked) { set(Settings_, checked); });
    CheckBoxes_[std::size_t(box)] = check;
    return check;
}

QWidget* TFormSettings::MakeGeneralPage() {
    QVBoxLayout* inside = nullptr;
    QWidget* page = NewPage("General", inside);

    auto* folderGroup = new QGroupBox("Lyrics Directory");
    auto* folder = new QVBoxLayout(folderGroup);
    ButtonLyricsDirectory_ = new QPushButton("Lyrics Directory");
    ButtonLyricsDirectory_->setObjectName("ButtonLyricsDirectory");
    ButtonLyricsDirectory_->setAutoDefault(false);
    connect(ButtonLyricsDirectory_, &QPushButton::clicked, this, [this] { ButtonLyricsDirectoryClick(); });
    folder->addWidget(ButtonLyricsDirectory_);
    folder->addWidget(AddCheck(
        TSettingsCheckBox::IncludeSubDirecoriesInSearch, "JvCheckBoxLyricsDirectoryIncludeSubdirectories",
        "Include Subdirectories in search", &TSettings::SetIncludeSubDirecoriesInSearch));
    folder->addWidget(AddCheck(TSettingsCheckBox::SearchLyricDirectory, "CheckBoxSearchLyricsDirectory",
                               "Also Search Directory where song is located",
                               &TSettings::SetSearchLyricDirectory));
    inside->addWidget(folderGroup);
    inside->addWidget(AddCheck(TSettingsCheckBox::UseMouseGestures, "JvCheckBoxUseMouseGestures",
                               "Use Mouse Gestures", &TSettings::SetUseMouseGestures));

    // The character set: the code page of the program's text and the lyric font (Unicode draws any script
    // from the system's fonts).
    auto* charsetRow = new QHBoxLayout;
    auto* charsetLabel = new QLabel("Character set:");
    ComboBoxCharset_ = new QComboBox;
    ComboBoxCharset_->setObjectName("ComboBoxCharset");
    for (const TCharsetItem& item : kCharsets)
        ComboBoxCharset_->addItem(item.Caption, QString(item.Value));
    ComboBoxCharset_->setCurrentIndex(-1);
    charsetLabel->setBuddy(ComboBoxCharset_);
    connect(ComboBoxCharset_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            Settings_.SetCharset(ComboBoxCharset_->itemData(index).toString().toStdString());
    });
    charsetRow->addWidget(charsetLabel);
    charsetRow->addWidget(ComboBoxCharset_, 1);
    inside->addLayout(charsetRow);

    inside->addStretch(1);
    auto* note = new QLabel(kOnlySomePlayers);
    note->setObjectName("JvLabelOnlyPlayers1");
    inside->addWidget(note);
    return page;
}

QWidget* TFormSettings::MakeDisplayPage() {
    QVBoxLayout* inside = nullptr;
    QWidget* page = NewPage("Display", inside);

    auto* modeGroup = new QGroupBox("Display Mode");
    modeGroup->setObjectName("JvRadioGroupDisplayMode");
    auto* modes = new QVBoxLayout(modeGroup);
    JvRadioGroupDisplayMode_ = new QButtonGroup(this);
    const char* const captions[] = {"Default", "Minimal  (hides scrollbars etc, more suitable for karaoke)"};
    for (int i = 0; i < 2; ++i) {
        auto* radio = new QRadioButton(captions[i]);
        radio->setObjectName(QString("JvRadioGroupDisplayMode%1").arg(i));
        JvRadioGroupDisplayMode_->addButton(radio, i);
        modes->addWidget(radio);
    }
    connect(JvRadioGroupDisplayMode_, &QButtonGroup::idClicked, this,
            [this](int mode) { Settings_.SetDisplayMode(mode); });
    inside->addWidget(modeGroup);

    auto* sizeRow = new QHBoxLayout;
    auto* sizeLabel = new QLabel("Text Size:");
    ComboBoxTextSize_ = new QComboBox;
    ComboBoxTextSize_->setObjectName("ComboBoxTextSize");
    for (int size = 11; size <= 30; ++size)
        ComboBoxTextSize_->addItem(QString::number(size));
    ComboBoxTextSize_->setCurrentIndex(-1);
    sizeLabel->setBuddy(ComboBoxTextSize_);
    connect(ComboBoxTextSize_, &QComboBox::currentIndexChanged, this, [this](int index) {
        Settings_.SelectTextSize(index);
        Host_.TextSizeChosen();
    });
    sizeRow->addWidget(sizeLabel);
    sizeRow->addWidget(ComboBoxTextSize_);
    sizeRow->addStretch(1);
    inside->addLayout(sizeRow);

    inside->addWidget(AddCheck(TSettingsCheckBox::ShowVisualization, "JvCheckBoxDisplayVisualization",
                               "Show Visualization", &TSettings::SetShowVisualization));
    inside->addWidget(AddCheck(TSettingsCheckBox::ShowButtons, "JvCheckBoxDisplayButtons",
                               "Show Playback Buttons", &TSettings::SetShowButtons));

    auto* timedGroup = new QGroupBox("Timestamped Lyrics");
    auto* timed = new QVBoxLayout(timedGroup);
    timed->addWidget(AddCheck(TSettingsCheckBox::HighlightLine, "JvCheckBoxHighlightCurrentLine",
                              "Highlight Current Line", &TSettings::SetHighlightLine));
    timed->addWidget(AddCheck(TSettingsCheckBox::HighlightWords, "CheckBoxHighlightWords",
                              "Highlight Words (enhanced LRC)", &TSettings::SetHighlightWords));
    timed->addWidget(AddCheck(TSettingsCheckBox::Scroll, "JvCheckBoxScrollLyrics", "Scroll Lyrics",
                              &TSettings::SetScroll));
    timed->addWidget(AddCheck(TSettingsCheckBox::ScrollSmooth, "JvCheckBoxSmoothScrolling",
                              "Smooth Scrolling", &TSettings::SetScrollSmooth));
    inside->addWidget(timedGroup);

    auto* fadeGroup = new QGroupBox("Fading");
    auto* fade = new QVBoxLayout(fadeGroup);
    fade->addWidget(AddCheck(TSettingsCheckBox::FadeLyrics, "JvCheckBoxFading", "Fade in lyrics",
                             &TSettings::SetFadeLyrics));
    auto* sliderRow = new QHBoxLayout;
    JvxSliderFadeLyrics_ = new QSlider(Qt::Horizontal);
    JvxSliderFadeLyrics_->setObjectName("JvxSliderFadeLyrics");
    JvxSliderFadeLyrics_->setRange(10, 120);
    JvxSliderFadeLyrics_->setSingleStep(1);
    JvxSliderFadeLyrics_->setValue(100);
    connect(JvxSliderFadeLyrics_, &QSlider::valueChanged, this,
            [this](int position) { Settings_.SetFadeRatio(position); });
    sliderRow->addWidget(new QLabel("Less Fading"));
    sliderRow->addWidget(JvxSliderFadeLyrics_, 1);
    sliderRow->addWidget(new QLabel("More Fading"));
    fade->addLayout(sliderRow);
    inside->addWidget(fadeGroup);
    inside->addStretch(1);
    return page;
}

QWidget* TFormSettings::MakeVisualizationPage() {
    // No tree item leads here once the settings are loaded; the controls still show their settings.
    QVBoxLayout* inside = nullptr;
    QWidget* page = NewPage("Visualization", inside);

    auto* scaleRow = new QHBoxLayout;
    JvxSliderVisScale_ = new QSlider(Qt::Horizontal);
    JvxSliderVisScale_->setObjectName("JvxSliderVisScale");
    JvxSliderVisScale_->setRange(10, 220);
    JvxSliderVisScale_->setSingleStep(1);
    JvxSliderVisScale_->setValue(100);
    LabelVisScale_ = new QLabel("100%");
    LabelVisScale_->setObjectName("LabelVisScale");
    connect(JvxSliderVisScale_, &QSlider::valueChanged, this,
            [this](int position) { Settings_.SetScale(float(position) / 200.0f); });
    scaleRow->addWidget(new QLabel("Scale:"));
    scaleRow->addWidget(JvxSliderVisScale_, 1);
    scaleRow->addWidget(LabelVisScale_);
    inside->addLayout(scaleRow);

    auto* radiusRow = new QHBoxLayout;
    UpDownVisRadius_ = new QSpinBox;
    UpDownVisRadius_->setObjectName("UpDownVisRadius");
    UpDownVisRadius_->setRange(0, 18);
    connect(UpDownVisRadius_, &QSpinBox::valueChanged, this,
            [this](int radius) { Settings_.SetVisRadius(radius); });
    radiusRow->addWidget(new QLabel("Radius:"));
    radiusRow->addWidget(UpDownVisRadius_);
    radiusRow->addStretch(1);
    inside->addLayout(radiusRow);

    inside->addWidget(AddCheck(TSettingsCheckBox::VisEnableBeatDetection, "JvCheckBoxVisEnableBeatDetection",
                               "Enable Beat Detection", &TSettings::SetVisEnableBeatDetection));
    inside->addStretch(1);
    return page;
}

QWidget* TFormSettings::MakeLyricsPage() {
    QVBoxLayout* inside = nullptr;
    QWidget* page = NewPage("Lyrics", inside);

    auto* sourceGroup = new QGroupBox("Source");
    auto* source = new QVBoxLayout(sourceGroup);
    source->addWidget(AddCheck(TSettingsCheckBox::SearchID3v2, "JvCheckBoxLyricsSearchId3v2tag",
                               "Search ID3v2 Tag for lyrics", &TSettings::SetSearchID3v2));
    source->addWidget(AddCheck(TSettingsCheckBox::SearchLyrics3, "JvCheckBoxLyricsSearchLyrics3Tag",
                               "Search Lyrics3 Tag for lyrics", &TSettings::SetSearchLyrics3));
    source->addWidget(AddCheck(TSettingsCheckBox::SearchInternet, "JvCheckBoxLyricsSearchInternet",
                               "Search Internet for Lyrics", &TSettings::SetSearchInternet));
    QCheckBox* fromTag = AddCheck(TSettingsCheckBox::ReadTitleInfoFromTag, "JvCheckBoxReadTitleInfoFromTag",
                                  "Read title info from mp3 tag", &TSettings::SetReadTitleInfoFromTag);
    fromTag->setToolTip(
        "Read info from mp3 tag. Use this if you use a different format than 'Artist - Title' in "
        "winamp");
    source->addWidget(fromTag);
    QCheckBox* brackets =
        AddCheck(TSettingsCheckBox::ExcludeTextInBrackets, "JvCheckBoxExcludeTextInBrackets",
                 "Exclude text in brackets", &TSettings::SetExcludeTextInBrackets);
    brackets->setToolTip("Exclude text in brackets, eg \"U2 - Pride(live)\"-->\"U2 - pride\"");
    source->addWidget(brackets);
    QCheckBox* track = AddCheck(TSettingsCheckBox::RemoveTrackNumber, "JvCheckBoxRemoveTrackNumber",
                                "Remove Track number in search", &TSettings::SetRemoveTrackNumber);
    track->setToolTip("Remove tracknumber from lyrics (eg 'Live - 02 Voodoo lady' --> 'Live - Voodoo lady')");
    source->addWidget(track);
    inside->addWidget(sourceGroup);

    inside->addStretch(1);
    auto* note = new QLabel(kOnlySomePlayers);
    note->setObjectName("JvLabelOnlyPlayers2");
    inside->addWidget(note);
    return page;
}

QWidget* TFormSettings::MakeInternetPage() {
    QVBoxLayout* inside = nullptr;
    QWidget* page = NewPage("Internet", inside);
    inside->setSpacing(4);

    // The lyric database account.
    auto* account = new QGroupBox("Versevault");
    account->setObjectName("GroupBoxVersevault");
    auto* grid = new QGridLayout(account);
    grid->setVerticalSpacing(2);
    EditVersevaultUsername_ = new QLineEdit;
    EditVersevaultUsername_->setObjectName("EditVersevaultUsername");
    EditVersevaultPassword_ = new QLineEdit;
    EditVersevaultPassword_->setObjectName("EditVersevaultPassword");
    auto* stars = new TStarPasswordStyle;
    stars->setParent(EditVersevaultPassword_);
    EditVersevaultPassword_->setStyle(stars);
    EditVersevaultPassword_->setEchoMode(QLineEdit::Password);
    // Every edit of the user goes to the setter; the setter's own display of the text is not an edit.
    connect(EditVersevaultUsername_, &QLineEdit::textEdited, this,
            [this](const QString& text) { Settings_.SetUsername(ToActive(text)); });
    connect(EditVersevaultPassword_, &QLineEdit::textEdited, this,
            [this](const QString& text) { Settings_.SetPassword(ToActive(text)); });
    EditVersevaultUsername_->installEventFilter(this);
    EditVersevaultPassword_->installEventFilter(this);
    auto* userLabel = new QLabel("Username:");
    userLabel->setBuddy(EditVersevaultUsername_);
    auto* passwordLabel = new QLabel("Password:");
    passwordLabel->setBuddy(EditVersevaultPassword_);
    grid->addWidget(userLabel, 0, 0);
    grid->addWidget(EditVersevaultUsername_, 1, 0);
    grid->addWidget(passwordLabel, 2, 0);
    grid->addWidget(EditVersevaultPassword_, 3, 0);
    const char* const notes[] = {"This is the primary search engine",
                                 "used by cantrel.  If you dont yet have", "a username or password, you can ",
                                 "create one for free at:"};
    for (int i = 0; i < 4; ++i)
        grid->addWidget(new QLabel(notes[i]), i, 1);
    auto* link = new QLabel(LinkText(Host_.DatabaseSite()));
    link->setObjectName("LinkDatabaseSite");
    link->setTextFormat(Qt::RichText);
    connect(link, &QLabel::linkActivated, this,
            [this](const QString& address) { Host_.OpenAddress(ToActive(address)); });
    grid->addWidget(link, 4, 1);
    grid->setColumnStretch(0, 1);
    inside->addWidget(account);

    // The addresses of the lyric databases, beside the account: the account's database, and LRCLIB, the open
    // database the search agent asks and submissions can go to. An empty field stands for the usual address.
    auto* databases = new QGroupBox("Lyric Databases");
    databases->setObjectName("GroupBoxDatabases");
    auto* databasesGrid = new QGridLayout(databases);
    databasesGrid->setVerticalSpacing(2);
    EditLrclibUrl_ = new QLineEdit;
    EditLrclibUrl_->setObjectName("EditLrclibUrl");
    EditLrclibUrl_->setPlaceholderText(QString::fromLatin1(config::kDefaultLrclibUrl));
    connect(EditLrclibUrl_, &QLineEdit::textEdited, this,
            [this](const QString& text) { Settings_.SetLrclibUrl(ToActive(text)); });
    auto* lrclibLabel = new QLabel("LRCLIB address:");
    lrclibLabel->setBuddy(EditLrclibUrl_);
    EditVersevaultUrl_ = new QLineEdit;
    EditVersevaultUrl_->setObjectName("EditVersevaultUrl");
    EditVersevaultUrl_->setPlaceholderText(QString::fromLatin1(config::kDefaultVersevaultUrl));
    connect(EditVersevaultUrl_, &QLineEdit::textEdited, this,
            [this](const QString& text) { Settings_.SetVersevaultUrl(ToActive(text)); });
    auto* versevaultLabel = new QLabel("Versevault address:");
    versevaultLabel->setBuddy(EditVersevaultUrl_);
    databasesGrid->addWidget(versevaultLabel, 0, 0);
    databasesGrid->addWidget(EditVersevaultUrl_, 0, 1);
    databasesGrid->addWidget(lrclibLabel, 1, 0);
    databasesGrid->addWidget(EditLrclibUrl_, 1, 1);
    inside->addWidget(databases);

    // The search-site list: the web sites the search agent tries, in order, when the lyric database has
    // nothing.
    auto* sites = new QGroupBox("Alternative Search");
    sites->setObjectName("GroupBoxAlternativeSearch");
    auto* sitesLayout = new QHBoxLayout(sites);
    JvListView1_ = new QTreeWidget;
    JvListView1_->setObjectName("JvListView1");
    JvListView1_->setColumnCount(2);
    JvListView1_->setHeaderLabels({"Website", "Comment"});
    JvListView1_->setColumnWidth(0, 145);
    JvListView1_->setColumnWidth(1, 219);
    JvListView1_->setRootIsDecorated(false);
    JvListView1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    JvListView1_->setSelectionMode(QAbstractItemView::SingleSelection);
    JvListView1_->setUniformRowHeights(true);
    connect(JvListView1_, &QTreeWidget::itemChanged, this,
            [this](QTreeWidgetItem* item, int column) { JvListView1Change(item, column); });
    sitesLayout->addWidget(JvListView1_, 1);
    auto* buttons = new QVBoxLayout;
    auto* up = new QPushButton(style()->standardIcon(QStyle::SP_ArrowUp), "");
    up->setObjectName("ButtonUp");
    up->setToolTip("Move Up");
    up->setAutoDefault(false);
    connect(up, &QPushButton::clicked, this, [this] { ButtonUpClick(); });
    auto* down = new QPushButton(style()->standardIcon(QStyle::SP_ArrowDown), "");
    down->setObjectName("ButtonDown");
    down->setToolTip("Move Down");
    down->setAutoDefault(false);
    connect(down, &QPushButton::clicked, this, [this] { ButtonDownClick(); });
    buttons->addWidget(up);
    buttons->addWidget(down);
    buttons->addStretch(1);
    sitesLayout->addLayout(buttons);
    auto* sitesOuter = new QVBoxLayout;
    sitesOuter->addWidget(sites, 1);
    auto* add = new QPushButton("Add Website..");
    add->setObjectName("ButtonAddSite");
    add->setAutoDefault(false);
    connect(add, &QPushButton::clicked, this, [this] { ButtonAddSiteClick(); });
    auto* addRow = new QHBoxLayout;
    addRow->addStretch(1);
    addRow->addWidget(add);
    sitesOuter->addLayout(addRow);
    inside->addLayout(sitesOuter, 1);
    return page;
}

QWidget* TFormSettings::MakeAboutPage() {
    QVBoxLayout* inside = nullptr;
    QWidget* page = NewPage("About", inside);
    auto* name = new QLabel("Cantrel");
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 2);
    big.setBold(true);
    name->setFont(big);
    inside->addWidget(name);
    JvLabelVersion_ = new QLabel("Version");
    JvLabelVersion_->setObjectName("JvLabelVersion");
    inside->addWidget(JvLabelVersion_);
    auto* what = new QLabel("Shows the lyrics of the song your player plays, in step with the music.");
    what->setWordWrap(true);
    inside->addWidget(what);
    auto* link = new QLabel(LinkText(Host_.ProductSite()));
    link->setObjectName("LinkProductSite");
    link->setTextFormat(Qt::RichText);
    connect(link, &QLabel::linkActivated, this,
            [this](const QString& address) { Host_.OpenAddress(ToActive(address)); });
    inside->addWidget(link);
    inside->addStretch(1);
    return page;
}

// ---------------------------------------------------------------------------------------------------------
// Showing

void TFormSettings::ShowPreferences() {
    BringToFront();
}

void TFormSettings::ShowPreferencesPage(int index) {
    int position = 0;
    for (QTreeWidgetItemIterator it(JvTreeView1_); *it; ++it, ++position)
        if (position == index) {
            JvTreeView1_->setCurrentItem(*it); // selects it, which shows its page
            break;
        }
    BringToFront();
}

void TFormSettings::BringToFront() {
    show();
    raise();
    activateWindow();
}

void TFormSettings::SetStaysOnTop(bool onTop) {
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (visible)
        show();
}

void TFormSettings::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    JvTreeView1_->expandAll();
}

QString TFormSettings::CurrentPage() const {
    return Notebook1_->currentWidget() ? Notebook1_->currentWidget()->windowTitle() : QString();
}

QString TFormSettings::SelectedTreeItem() const {
    const auto selected = JvTreeView1_->selectedItems();
    return selected.isEmpty() ? QString() : selected.front()->text(0);
}

QCheckBox* TFormSettings::CheckBox(TSettingsCheckBox box) const {
    return CheckBoxes_[std::size_t(box)];
}

void TFormSettings::JvTreeView1Change(QTreeWidgetItem* item) {
    for (int i = 0; i < Notebook1_->count(); ++i)
        if (Notebook1_->widget(i)->windowTitle() == item->text(0)) {
            Notebook1_->setCurrentIndex(i);
            return;
        }
}

// ---------------------------------------------------------------------------------------------------------
// Keys and closing

void TFormSettings::keyPressEvent(QKeyEvent* event) {
    // Close is the cancel button too: Escape presses it (and saves). Enter reaches it as the default button.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        ButtonClose_->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TFormSettings::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Tab) {
        if (watched == EditVersevaultUsername_) {
            EditVersevaultPassword_->setFocus(Qt::TabFocusReason);
            return true;
        }
        if (watched == EditVersevaultPassword_) {
            ButtonClose_->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormSettings::ButtonCloseClick() {
    Settings_.CommitFilterChecks(FilterChecks());
    Settings_.SaveSettings();
    hide();
}

void TFormSettings::ButtonLyricsDirectoryClick() {
    const QString start = ui::QtFileNameOf(Settings_.LyricsDir());
    std::optional<QString> chosen;
    if (ChooseFolder) {
        chosen = ChooseFolder(start);
    } else {
        const QString folder = QFileDialog::getExistingDirectory(this, "Lyrics Directory", start);
        if (!folder.isEmpty())
            chosen = folder;
    }
    if (chosen && !chosen->isEmpty())
        Settings_.SetLyricsDir(ui::ProgramPathOf(QDir::toNativeSeparators(*chosen)));
    BringToFront();
}

// ---------------------------------------------------------------------------------------------------------
// The search-site list

std::vector<bool> TFormSettings::FilterChecks() const {
    std::vector<bool> checks;
    for (int i = 0; i < JvListView1_->topLevelItemCount(); ++i)
        checks.push_back(JvListView1_->topLevelItem(i)->checkState(0) == Qt::Checked);
    return checks;
}

int TFormSettings::SelectedFilter() const {
    const auto selected = JvListView1_->selectedItems();
    return selected.isEmpty() ? -1 : JvListView1_->indexOfTopLevelItem(selected.front());
}

void TFormSettings::SelectFilter(int position) {
    if (QTreeWidgetItem* item = JvListView1_->topLevelItem(position))
        JvListView1_->setCurrentItem(item);
}

void TFormSettings::JvListView1Change(QTreeWidgetItem* item, int column) {
    // Only a check mark the user changes in the focused list, with an item selected, counts at once; every
    // mark is taken over when Close is pressed.
    if (FillingFilters_ || column != 0 || !JvListView1_->hasFocus())
        return;
    const int selected = SelectedFilter();
    if (selected < 0 || std::size_t(selected) >= Settings_.Filters().Count())
        return;
    Settings_.Filters().SetEnabled(std::size_t(JvListView1_->indexOfTopLevelItem(item)),
                                   item->checkState(0) == Qt::Checked);
}

void TFormSettings::ButtonUpClick() {
    const int p = SelectedFilter();
    if (p < 0)
        return;
    const std::size_t moved = Settings_.Filters().MoveUp(std::size_t(p));
    Settings_.ShowFilters();
    SelectFilter(int(moved));
}

void TFormSettings::ButtonDownClick() {
    const int p = SelectedFilter();
    if (p < 0)
        return;
    const std::size_t moved = Settings_.Filters().MoveDown(std::size_t(p));
    Settings_.ShowFilters();
    SelectFilter(int(moved));
}

void TFormSettings::ButtonAddSiteClick() {
    Host_.OpenAddress(Host_.ProductSite() + "/addsite");
}

// ---------------------------------------------------------------------------------------------------------
// The dialog's part of the settings view: shows what the store tells, without calling the setters back.

void TFormSettings::ShowVersion(const std::string& caption) {
    JvLabelVersion_->setText(FromActive(caption));
}

void TFormSettings::ShowLyricsDir(const std::string& path) {
    // "&" would mark a shortcut letter on a button.
    ButtonLyricsDirectory_->setText(FromActive(toolkit::DisplayPath(path)).replace("&", "&&"));
}

void TFormSettings::ShowCheck(TSettingsCheckBox box, bool checked) {
    QCheckBox* check = CheckBox(box);
    const QSignalBlocker blocker(check);
    check->setChecked(checked);
}

void TFormSettings::EnableCheck(TSettingsCheckBox box, bool enabled) {
    CheckBox(box)->setEnabled(enabled);
}

void TFormSettings::HideVisualizationCheck() {
    // "Show Playback Buttons" moves up into its place.
    CheckBox(TSettingsCheckBox::ShowVisualization)->hide();
}

void TFormSettings::RemoveVisualizationPage() {
    delete VisualizationItem_;
    VisualizationItem_ = nullptr;
}

void TFormSettings::ShowTextSize(int index) {
    const QSignalBlocker blocker(ComboBoxTextSize_);
    ComboBoxTextSize_->setCurrentIndex(index);
}

void TFormSettings::ShowScaleSlider(int position) {
    const QSignalBlocker blocker(JvxSliderVisScale_);
    JvxSliderVisScale_->setValue(position);
}

void TFormSettings::ShowScaleLabel(const std::string& text) {
    LabelVisScale_->setText(FromActive(text));
}

void TFormSettings::ShowVisRadius(int position) {
    const QSignalBlocker blocker(UpDownVisRadius_);
    UpDownVisRadius_->setValue(position);
}

void TFormSettings::ShowDisplayMode(int mode) {
    if (QAbstractButton* button = JvRadioGroupDisplayMode_->button(mode)) {
        const QSignalBlocker blocker(button);
        button->setChecked(true);
    }
}

void TFormSettings::ShowFadeSlider(int position) {
    const QSignalBlocker blocker(JvxSliderFadeLyrics_);
    JvxSliderFadeLyrics_->setValue(position);
}

void TFormSettings::EnableFadeSlider(bool enabled) {
    JvxSliderFadeLyrics_->setEnabled(enabled);
}

void TFormSettings::ShowUsername(const std::string& text) {
    // Set only when it differs, so that typing keeps its cursor place.
    const QString shown = FromActive(text);
    if (EditVersevaultUsername_->text() != shown)
        EditVersevaultUsername_->setText(shown);
}

void TFormSettings::ShowVersevaultUrl(const std::string& url) {
    const QString shown = FromActive(url);
    if (EditVersevaultUrl_->text().trimmed() != shown)
        EditVersevaultUrl_->setText(shown);
    // The account note links to the database's site.
    if (auto* link = findChild<QLabel*>("LinkDatabaseSite"))
        link->setText(LinkText(Settings_.VersevaultUrl()));
}

void TFormSettings::ShowLrclibUrl(const std::string& url) {
    // The field keeps what the user types (spaces and all) while it means the same address.
    const QString shown = FromActive(url);
    if (EditLrclibUrl_->text().trimmed() != shown)
        EditLrclibUrl_->setText(shown);
}

void TFormSettings::ShowPassword(const std::string& text) {
    const QString shown = FromActive(text);
    if (EditVersevaultPassword_->text() != shown)
        EditVersevaultPassword_->setText(shown);
}

void TFormSettings::ShowFilters(const TFilterList& filters) {
    FillingFilters_ = true;
    const QSignalBlocker blocker(JvListView1_);
    JvListView1_->clear();
    for (const TFilter& site : filters.Items()) {
        auto* item = new QTreeWidgetItem(JvListView1_, {FromActive(site.Url), FromActive(site.Description)});
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(0, site.Enabled ? Qt::Checked : Qt::Unchecked);
    }
    FillingFilters_ = false;
}

void TFormSettings::ShowCharset(const std::string& charset) {
    const QSignalBlocker blocker(ComboBoxCharset_);
    ComboBoxCharset_->setCurrentIndex(ComboBoxCharset_->findData(QString::fromStdString(charset)));
}

} // namespace config
