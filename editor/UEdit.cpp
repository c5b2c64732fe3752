#include "editor/UEdit.h"

#include "display/UActiveText.h"
#include "editor/UEditPanes.h"
#include "editor/UEditTags.h"
#include "editor/UFilePaths.h"
#include "lyrics/ClockText.h"
#include "lyrics/TEditorPanes.h"
#include "lyrics/UMp3Tag.h"
#include "lyrics/UTextLyrics.h"
#include "player/EasyAmp.h"
#include "toolkit/FileBytes.h"
#include "toolkit/GLHUDText.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTextBlock>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace editor {

using display::FromActive;
using display::ToActive;

namespace {

// The current line's background in both panes.
const QColor kHighlight(207, 232, 245);

QFont PaneFont() {
    QFont font("Courier New");
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(13);
    return font;
}

// Lines of program text as the text of a pane. Line and paragraph separators inside a line would split it
// in the pane, so they show as blanks.
QString PaneText(const std::vector<std::string>& lines) {
    QString text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += '\n';
        QString line = FromActive(lines[i]);
        line.replace(QChar::ParagraphSeparator, ' ').replace(QChar::LineSeparator, ' ');
        text += line;
    }
    return text;
}

std::string CutMessage() {
    return std::string(kTooLongMessage) + "\n\nThe editor shows their beginning and saves nothing of them.";
}

std::string LineOf(const QTextBlock& block) {
    return ToActive(block.text());
}

// A lyric line as it is read out: trailing blanks are not kept.
std::string LyricLineOf(const QTextBlock& block) {
    std::string line = LineOf(block);
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

} // namespace

IEditor* CreateEditor(const TEditorServices& services, QWidget* parent) {
    return new TFormEdit(services, parent);
}

TFormEdit::TFormEdit(const TEditorServices& services, QWidget* parent)
    : QDialog(parent), Services_(services), Session_(*services.Session), Document_(*services.Document),
      Host_(*services.Host) {
    setObjectName("FormEdit");
    setWindowTitle("Edit Lyrics");
    setModal(false);
    setSizeGripEnabled(false);
    resize(kDesignWidth, kDesignHeight);

    Timing_ = new TTimingPane(this);
    Timing_->setObjectName("SynEditTiming");
    Timing_->setFont(PaneFont());
    Timing_->setFixedWidth(70);
    Timing_->setLineWrapMode(QPlainTextEdit::NoWrap);
    Timing_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Timing_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Timing_->setFrameShape(QFrame::NoFrame);
    Timing_->setAutoFillBackground(true);

    Lyric_ = new TLyricPane(this);
    Lyric_->setObjectName("SynEditLyric");
    Lyric_->setFont(PaneFont());
    Lyric_->setLineWrapMode(QPlainTextEdit::NoWrap);
    Lyric_->setFrameShape(QFrame::NoFrame);

    TagsForm_ = new TFormEditLyricsTags(this);

    CreateActions();
    CreateMenus();

    auto* panes = new QHBoxLayout;
    panes->setContentsMargins(0, 0, 0, 0);
    panes->setSpacing(1);
    panes->addWidget(Timing_);
    panes->addWidget(Lyric_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(MainMenu_);
    layout->addLayout(panes, 1);
    layout->addWidget(CreateBottomBar());

    // The panes' events.
    Timing_->OnKey = [this](const TTimingKeyEffect& effect) { TimingKey(effect); };
    Timing_->OnDoubleClick = [this] { PlayFromHere(); };
    Timing_->OnContextMenu = [this](const QPoint& at) { TimingMenu_->popup(at); };
    Timing_->OnDropFile = [this](const QString& file) { DropFile(file); };
    Lyric_->OnContextMenu = [this](const QPoint& at) { LyricMenu_->popup(at); };
    Lyric_->OnDropFile = [this](const QString& file) { DropFile(file); };
    Lyric_->OnTooLong = [this] { Error(kTooLongMessage); };
    connect(Lyric_, &QPlainTextEdit::textChanged, this, [this] { LyricTextChanged(); });
    connect(Timing_->document(), &QTextDocument::contentsChanged, this, [this] { TimesValid_ = false; });
    // The panes scroll together, line for line.
    connect(Timing_->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { SyncScroll(*Timing_, *Lyric_); });
    connect(Lyric_->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { SyncScroll(*Lyric_, *Timing_); });

    TimerReloadNewSong.setInterval(100);
    TimerReloadNewSong.setSingleShot(true);
    connect(&TimerReloadNewSong, &QTimer::timeout, this, [this] {
        TimerReloadNewSong.stop();
        Host_.UpdateSong();
    });

    ChooseOpenFile = [this] {
        return QFileDialog::getOpenFileName(this, "Open", QtFileNameOf(Host_.LyricsDir()),
                                            "All Supported Files (*.txt *.lrc);;Text Files (*.txt);;"
                                            "Lyric Files (*.lrc);;All Files (*)");
    };
    ChooseSaveFile = [this](const QString& initialName) {
        QFileDialog dialog(this, "Save As", initialName,
                           "Lyric files (*.lrc);;Text Files (*.txt);;All Files (*)");
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix("lrc");
        dialog.selectFile(initialName);
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
                   ? dialog.selectedFiles().front()
                   : QString();
    };
    ClipboardText = [] { return QApplication::clipboard()->text(); };
    SetClipboardText = [](const QString& text) { QApplication::clipboard()->setText(text); };
    ShowError = [this](const std::string& message) {
        QMessageBox::critical(this, "Cantrel", FromActive(message), QMessageBox::Ok);
    };

    SetTimestampMode(false);
    SetPanes({lyrics::kZeroTimeText}, {""});
}

TFormEdit::~TFormEdit() {
    // The panes go first, so that no change signal reaches this half-destroyed editor.
    Lyric_->disconnect(this);
    Timing_->document()->disconnect(this);
}

// ---------------------------------------------------------------------------------------------------------
// Building the window

void TFormEdit::CreateActions() {
    auto add = [this](const char* name, const QString& text, std::function<void()> work,
                      const QKeySequence& shortcut = {}) {
        auto* action = new QAction(text, this);
        action->setObjectName(name);
        if (!shortcut.isEmpty())
            action->setShortcut(shortcut);
        connect(action, &QAction::triggered, this, std::move(work));
        Actions_[name] = action;
        return action;
    };
    add("ActionOpenFile", "Open..", [this] { OpenFile(); });
    QAction* pasteSpecial = add("ActionPasteSpecial", "From Clipboard", [this] { ImportClipboard(); });
    pasteSpecial->setToolTip("Paste using Timestamps");
    pasteSpecial->setStatusTip("Paste using Timestamps");
    add("ActionCopyAllTimestamped", "To Clipboard", [this] { ExportToClipboard(); });
    add("ActionSaveAs", "To Textfile..", [this] { SaveAs(); });
    add("ActionClose", "Close", [this] { reject(); });
    add(
        "ActionUndo", "Undo", [this] { Lyric_->undo(); }, QKeySequence("Ctrl+Z"));
    add(
        "ActionRedo", "Redo", [this] { Lyric_->redo(); }, QKeySequence("Shift+Ctrl+Z"));
    add(
        "ActionCut", "Cut",
        [this] {
            if (!Lyric_->textCursor().hasSelection())
                return;
            SetClipboardText(Lyric_->SelectedText());
            Lyric_->textCursor().removeSelectedText();
        },
        QKeySequence("Ctrl+X"));
    add(
        "ActionCopy", "Copy",
        [this] {
            if (Lyric_->textCursor().hasSelection())
                SetClipboardText(Lyric_->SelectedText());
        },
        QKeySequence("Ctrl+C"));
    add(
        "ActionPaste", "Paste", [this] { Lyric_->InsertText(ClipboardText()); }, QKeySequence("Ctrl+V"));
    add(
        "ActionSelectAll", "Select All", [this] { Lyric_->selectAll(); }, QKeySequence("Ctrl+A"));
    add("ActionRemoveTimestamps", "Remove Timestamps", [this] { RemoveTimestamps(); });
    add(
        "ActionHelp", "Lyric Editor Help..", [this] { ShowHelp(); }, QKeySequence(Qt::Key_F1));
    add("ActionShowEditTagsForm", "Tags..", [this] {
        TagsForm_->show();
        TagsForm_->raise();
        TagsForm_->activateWindow();
    });
    add("ActionPlay", "Play", [this] { Session_.PlayerPlay(); })->setToolTip("Play");
    add("ActionPause", "Pause", [this] { Session_.PlayerPause(); })->setToolTip("Pause");
    add("ActionStop", "Stop", [this] { Session_.PlayerStop(); })->setToolTip("Stop");
    add("ActionOk", "&Ok", [this] { SaveAndClose(); });
    add("ActionCancel", "&Cancel", [this] { reject(); });
    add("SetTimestamp1", "Set Timestamp", [this] { SetTimestamp(); });
    // Shift+Enter reaches the timing pane's key handling, which plays from here; the menu shows the key.
    QAction* playFromHere = add("Playfromhere1", "Play from here", [this] { PlayFromHere(); });
    playFromHere->setShortcut(QKeySequence("Shift+Return"));
    playFromHere->setShortcutContext(Qt::WidgetShortcut);
}

void TFormEdit::CreateMenus() {
    MainMenu_ = new QMenuBar(this);
    MainMenu_->setObjectName("MainMenu1");
    QMenu* file = MainMenu_->addMenu("&File");
    file->setObjectName("File1");
    file->addAction(Action("ActionOpenFile"));
    file->addSeparator();
    QMenu* import = file->addMenu("Import");
    import->setObjectName("Import1");
    import->addAction(Action("ActionPasteSpecial"));
    QMenu* exportMenu = file->addMenu("Export");
    exportMenu->setObjectName("Export1");
    exportMenu->addAction(Action("ActionCopyAllTimestamped"));
    exportMenu->addAction(Action("ActionSaveAs"));
    file->addSeparator();
    file->addAction(Action("ActionClose"));

    QMenu* edit = MainMenu_->addMenu("Edit");
    edit->setObjectName("Edit1");
    edit->addAction(Action("ActionUndo"));
    edit->addAction(Action("ActionRedo"));
    edit->addSeparator();
    edit->addAction(Action("ActionCut"));
    edit->addAction(Action("ActionCopy"));
    edit->addAction(Action("ActionPaste"));
    edit->addSeparator();
    edit->addAction(Action("ActionSelectAll"));

    QMenu* timestamps = MainMenu_->addMenu("Timestamps");
    timestamps->setObjectName("Timestamps1");
    timestamps->addAction(Action("ActionRemoveTimestamps"));

    QMenu* help = MainMenu_->addMenu("Help");
    help->setObjectName("Help1");
    help->addAction(Action("ActionHelp"));

    LyricMenu_ = new QMenu(this);
    LyricMenu_->setObjectName("PopupMenuLyric");
    LyricMenu_->addAction(Action("ActionCut"));
    LyricMenu_->addAction(Action("ActionCopy"));
    LyricMenu_->addAction(Action("ActionPaste"));
    LyricMenu_->addSeparator();
    LyricMenu_->addAction(Action("ActionSelectAll"));

    TimingMenu_ = new QMenu(this);
    TimingMenu_->setObjectName("PopupMenuTiming");
    TimingMenu_->addAction(Action("SetTimestamp1"));
    TimingMenu_->addAction(Action("Playfromhere1"));
}

QWidget* TFormEdit::CreateBottomBar() {
    BottomBar_ = new QWidget(this);
    BottomBar_->setObjectName("PanelBottom");
    BottomBar_->setFixedHeight(35);
    BottomBar_->installEventFilter(this);
    auto* bar = new QHBoxLayout(BottomBar_);
    bar->setContentsMargins(6, 4, 6, 4);
    bar->setSpacing(4);
    auto imageButton = [this, bar](const char* name, QStyle::StandardPixmap icon, const char* action) {
        auto* button = new QToolButton(BottomBar_);
        button->setObjectName(name);
        button->setIcon(style()->standardIcon(icon));
        button->setIconSize(QSize(12, 12));
        button->setAutoRaise(true);
        button->setToolTip(Action(action)->toolTip());
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, Action(action), &QAction::trigger);
        bar->addWidget(button);
    };
    imageButton("ButtonPlay", QStyle::SP_MediaPlay, "ActionPlay");
    imageButton("ButtonPause", QStyle::SP_MediaPause, "ActionPause");
    imageButton("ButtonStop", QStyle::SP_MediaStop, "ActionStop");
    bar->addSpacing(8);
    auto* tags = new QPushButton("Tags..", BottomBar_);
    tags->setObjectName("ButtonEditTags");
    tags->setAutoDefault(false);
    connect(tags, &QPushButton::clicked, Action("ActionShowEditTagsForm"), &QAction::trigger);
    bar->addWidget(tags);
    bar->addStretch(1);
    auto* ok = new QPushButton("&Ok", BottomBar_);
    ok->setObjectName("ButtonOk");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, Action("ActionOk"), &QAction::trigger);
    bar->addWidget(ok);
    auto* cancel = new QPushButton("&Cancel", BottomBar_);
    cancel->setObjectName("ButtonCancel");
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, Action("ActionCancel"), &QAction::trigger);
    bar->addWidget(cancel);
    return BottomBar_;
}

QAction* TFormEdit::Action(const std::string& name) const {
    const auto it = Actions_.find(name);
    return it == Actions_.end() ? nullptr : it->second;
}

QPlainTextEdit& TFormEdit::SynEditTiming() {
    return *Timing_;
}

QPlainTextEdit& TFormEdit::SynEditLyric() {
    return *Lyric_;
}

// ---------------------------------------------------------------------------------------------------------
// Filling and reading the panes

void TFormEdit::SetPanes(const std::vector<std::string>& timing, const std::vector<std::string>& lyric) {
    Filling_ = true;
    // The timing pane first: the lyric pane's change would otherwise align it to the old times.
    Timing_->setPlainText(PaneText(timing));
    Lyric_->setPlainText(PaneText(lyric));
    Filling_ = false;
    Timing_->PlaceCaret(0);
    CurrentLineIndex_ = -1;
    UpdateHighlight();
}

void TFormEdit::FillFromDocument() {
    const std::int32_t length = Session_.GetSongLength();
    Services_.Texts.Length->Text = lyrics::TimeToText(length);
    Services_.Texts.Song->ModulateColor.R = 0.45f;
    lyrics::TEditorPanes panes = lyrics::FillPanes(Document_);
    // Lyrics larger than the panes hold show their beginning.
    std::size_t lines = 0, bytes = 0;
    while (lines < panes.Lyric.size() && FitsEditor(lines + 1, bytes + panes.Lyric[lines].size() + 1))
        bytes += panes.Lyric[lines++].size() + 1;
    Cut_ = lines < panes.Lyric.size();
    panes.Timing.resize(std::max<std::size_t>(lines, 1));
    panes.Lyric.resize(std::max<std::size_t>(lines, 1));
    SetPanes(panes.Timing, panes.Lyric);
    SetTimestampMode(panes.TimestampMode);
    TagsForm_->SetTags(panes.Tags);
    NearEndPaused_ = false;
}

std::vector<std::string> TFormEdit::TimingLines() const {
    std::vector<std::string> lines;
    lines.reserve(std::size_t(Timing_->document()->blockCount()));
    for (QTextBlock block = Timing_->document()->begin(); block.isValid(); block = block.next())
        lines.push_back(LineOf(block));
    return lines;
}

std::vector<std::string> TFormEdit::LyricLines() const {
    std::vector<std::string> lines;
    lines.reserve(std::size_t(Lyric_->document()->blockCount()));
    for (QTextBlock block = Lyric_->document()->begin(); block.isValid(); block = block.next())
        lines.push_back(LyricLineOf(block));
    return lines;
}

int TFormEdit::TimingCaretLine() const {
    return Timing_->textCursor().blockNumber();
}

void TFormEdit::SetTimingCaretLine(int line) {
    Timing_->PlaceCaret(line);
}

void TFormEdit::SetTimingLine(int index, const std::string& text) {
    ReplaceTimingLines(index, {text});
}

void TFormEdit::ReplaceTimingLines(int first, const std::vector<std::string>& lines) {
    QTextDocument& doc = *Timing_->document();
    if (first < 0 || first >= doc.blockCount() || lines.empty())
        return;
    const int caretLine = Timing_->textCursor().blockNumber();
    QTextCursor cursor(doc.findBlockByNumber(first));
    cursor.beginEditBlock();
    QTextBlock block = cursor.block();
    for (const std::string& line : lines) {
        if (!block.isValid())
            break;
        cursor.setPosition(block.position());
        cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
        cursor.insertText(FromActive(line));
        block = cursor.block().next();
    }
    cursor.endEditBlock();
    Timing_->PlaceCaret(caretLine);
}

const std::vector<std::int32_t>& TFormEdit::Times() {
    if (!TimesValid_) {
        Times_.clear();
        Times_.reserve(std::size_t(Timing_->document()->blockCount()));
        for (QTextBlock block = Timing_->document()->begin(); block.isValid(); block = block.next())
            Times_.push_back(lyrics::TextToTime(block.text().toStdString()));
        TimesValid_ = true;
    }
    return Times_;
}

// The alignment rule, after every change of the lyric pane's text.
void TFormEdit::LyricTextChanged() {
    if (Filling_)
        return;
    QTextDocument& timing = *Timing_->document();
    const int L = Lyric_->document()->blockCount(), T = timing.blockCount();
    if (L == T)
        return;
    const TPaneAlignment edit = AlignTimingPane(Lyric_->textCursor().blockNumber() + 1, L, T, [&](int row) {
        return LineOf(timing.findBlockByNumber(row));
    });
    const int caretLine = Timing_->textCursor().blockNumber();
    QTextCursor cursor(&timing);
    cursor.beginEditBlock();
    if (edit.Insert > 0) {
        QStringList rows;
        for (int i = 0; i < edit.Insert; ++i)
            rows << FromActive(edit.Text);
        if (edit.Index < T) {
            cursor.setPosition(timing.findBlockByNumber(edit.Index).position());
            cursor.insertText(rows.join('\n') + '\n');
        } else {
            cursor.movePosition(QTextCursor::End);
            cursor.insertText('\n' + rows.join('\n'));
        }
    } else if (edit.Delete > 0) {
        const int end = edit.Index + edit.Delete; // the first row that stays, or T
        if (end < T) {
            cursor.setPosition(timing.findBlockByNumber(edit.Index).position());
            cursor.setPosition(timing.findBlockByNumber(end).position(), QTextCursor::KeepAnchor);
        } else {
            // Rows to the end: the line break before them goes too.
            if (edit.Index > 0) {
                const QTextBlock last = timing.findBlockByNumber(edit.Index - 1);
                cursor.setPosition(last.position() + last.length() - 1);
            }
            cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        }
        cursor.removeSelectedText();
    }
    cursor.endEditBlock();
    Timing_->PlaceCaret(caretLine);
    UpdateHighlight();
    SyncScroll(*Lyric_, *Timing_);
}

// ---------------------------------------------------------------------------------------------------------
// Timestamps

void TFormEdit::SetTimestampMode(bool on) {
    TimestampMode_ = on;
    QPalette palette = Timing_->palette();
    const QColor background =
        on ? QApplication::palette().color(QPalette::Base) : QApplication::palette().color(QPalette::Button);
    palette.setColor(QPalette::Base, background);
    palette.setColor(QPalette::Window, background);
    Timing_->setPalette(palette);
}

void TFormEdit::RemoveTimestamps() {
    SetTimestampMode(false);
    ReplaceTimingLines(0, lyrics::RemovedTimestamps(std::size_t(Timing_->document()->blockCount())));
}

void TFormEdit::Stamp() {
    SetTimestampMode(true);
    SetTimestamp();
    const int line = TimingCaretLine();
    if (line + 1 < Timing_->document()->blockCount())
        Timing_->PlaceCaret(line + 1);
}

void TFormEdit::SetTimestamp() {
    Session_.PollPlayer();
    SetTimingLine(TimingCaretLine(), lyrics::TimeToText(Session_.GetSongPosition()));
}

void TFormEdit::PlayFromHere() {
    std::int32_t t = lyrics::TextToTime(LineOf(Timing_->textCursor().block()));
    const std::int32_t length = Session_.GetSongLength();
    if (length > 0)
        t = std::min(t, length - 100);
    Session_.PlayerSeek(t);
}

void TFormEdit::ShiftCaretTime(std::int32_t delta, bool following) {
    const int first = TimingCaretLine();
    std::vector<std::string> lines;
    QTextBlock block = Timing_->document()->findBlockByNumber(first);
    for (; block.isValid(); block = block.next()) {
        lines.push_back(ShiftedTime(LineOf(block), delta));
        if (!following)
            break;
    }
    ReplaceTimingLines(first, lines);
}

void TFormEdit::TimingKey(const TTimingKeyEffect& effect) {
    auto seek = [this](std::int64_t target) {
        // Never before the song's start.
        Session_.PlayerSeek(std::int32_t(std::clamp<std::int64_t>(target, 0, INT32_MAX)));
    };
    switch (effect.Action) {
    case TTimingKey::Stamp:
        Stamp();
        break;
    case TTimingKey::StampModePlayFromHere:
        SetTimestampMode(true);
        PlayFromHere();
        break;
    case TTimingKey::PlayFromHere:
        PlayFromHere();
        break;
    case TTimingKey::Back5s:
        Session_.PlayerBack5s();
        break;
    case TTimingKey::Forward5s:
        Session_.PlayerForward5s();
        break;
    case TTimingKey::LineEarlier:
        ShiftCaretTime(-100, false);
        break;
    case TTimingKey::LineLater:
        ShiftCaretTime(100, false);
        break;
    case TTimingKey::FollowingEarlier:
        ShiftCaretTime(-100, true);
        break;
    case TTimingKey::FollowingLater:
        ShiftCaretTime(100, true);
        break;
    case TTimingKey::SeekBack:
        seek(std::int64_t(Session_.GetSongPosition()) - effect.Digit * 1000);
        break;
    case TTimingKey::SeekForward:
        seek(std::int64_t(Session_.GetSongPosition()) + effect.Digit * 1000);
        break;
    case TTimingKey::Play:
        Session_.PlayerPlay();
        break;
    case TTimingKey::Pause:
        Session_.PlayerPause();
        break;
    case TTimingKey::Stop:
        Session_.PlayerStop();
        break;
    case TTimingKey::None:
        break;
    }
}

// ---------------------------------------------------------------------------------------------------------
// Playback

std::int32_t TFormEdit::KnownSongLength() {
    // The poll asks the player for a length it does not know yet; a frame only looks at what is known, so
    // a player without a length is not asked a thousand questions every frame.
    return Session_.CurrentSong().length > 0 ? Session_.GetSongLength() : 0;
}

void TFormEdit::UpdatePlayback() {
    const std::int32_t position = Session_.GetSongPosition();
    const std::vector<std::int32_t>& times = Times();
    int stop = 0;
    while (stop < int(times.size()) && times[std::size_t(stop)] < position)
        ++stop;
    if (stop - 1 != CurrentLineIndex_) {
        CurrentLineIndex_ = stop - 1;
        UpdateHighlight();
    }
    const TEditViewTexts& texts = Services_.Texts;
    texts.LyricLyrics->Position.X = float(Host_.MainWindowWidth() / 2);
    texts.Time->Text = lyrics::TimeToText(position);
    texts.Song->Text = Document_.SongName;
    texts.SaveTo->Text = toolkit::DisplayPath(SaveToPath());
    if (CurrentLineIndex_ >= 0 && CurrentLineIndex_ < Lyric_->document()->blockCount())
        texts.LyricLyrics->Text = LyricLineOf(Lyric_->document()->findBlockByNumber(CurrentLineIndex_));
}

void TFormEdit::NearEndPause() {
    const std::int32_t length = KnownSongLength();
    if (length <= 0 || Session_.GetSongPosition() <= length - 100) {
        NearEndPaused_ = false;
        return;
    }
    if (NearEndPaused_)
        return;
    // The pause command toggles: sent once per approach to the end, and not to a player already paused.
    NearEndPaused_ = true;
    if (!Session_.Paused())
        Session_.PlayerPause();
}

void TFormEdit::EditViewResize() {
    Services_.Texts.Exit->Position.X = float(Host_.SceneViewWidth() - 8);
    Host_.MainResize();
}

void TFormEdit::UpdateHighlight() {
    for (QPlainTextEdit* pane :
         {static_cast<QPlainTextEdit*>(Timing_), static_cast<QPlainTextEdit*>(Lyric_)}) {
        QList<QTextEdit::ExtraSelection> selections;
        if (CurrentLineIndex_ >= 0 && CurrentLineIndex_ < pane->document()->blockCount()) {
            QTextEdit::ExtraSelection line;
            line.format.setBackground(kHighlight);
            line.format.setProperty(QTextFormat::FullWidthSelection, true);
            line.cursor = QTextCursor(pane->document()->findBlockByNumber(CurrentLineIndex_));
            selections << line;
        }
        pane->setExtraSelections(selections);
    }
}

void TFormEdit::SyncScroll(QPlainTextEdit& from, QPlainTextEdit& to) {
    if (Syncing_)
        return;
    Syncing_ = true;
    to.verticalScrollBar()->setValue(from.verticalScrollBar()->value());
    Syncing_ = false;
}

// ---------------------------------------------------------------------------------------------------------
// Import, export, saving

bool TFormEdit::TakeImport(lyrics::TTextLyrics& imported) {
    std::size_t bytes = 0;
    for (const auto& line : imported.Lines)
        bytes += line.Text.size() + 1;
    if (!FitsEditor(imported.Lines.size(), bytes)) {
        Error(kTooLongMessage);
        return false;
    }
    // What a parse replaces; the song's name and file stay, so OK still saves under the playing song.
    Document_.Lines = std::move(imported.Lines);
    Document_.Tags = std::move(imported.Tags);
    Document_.DownloadSource = std::move(imported.DownloadSource);
    Document_.Timestamped = imported.Timestamped;
    FillFromDocument();
    return true;
}

bool TFormEdit::ImportFile(const std::string& path) {
    lyrics::TTextLyrics imported;
    std::string error;
    if (!imported.LoadFromFile(path, &error)) {
        Error("Cannot read " + toolkit::DisplayPath(path) + ": " + error);
        return false;
    }
    return TakeImport(imported);
}

void TFormEdit::DropFile(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == "txt" || suffix == "lrc")
        ImportFile(ProgramPathOf(fileName));
}

void TFormEdit::OpenFile() {
    const QString file = ChooseOpenFile ? ChooseOpenFile() : QString();
    if (!file.isEmpty())
        ImportFile(ProgramPathOf(file));
}

void TFormEdit::ImportClipboard() {
    SynEditClipboard_ = ClipboardText();
    // Text far beyond what the panes hold is not even parsed.
    if (std::size_t(SynEditClipboard_.size()) > 4 * kMaxEditorBytes) {
        SynEditClipboard_.clear();
        Error(kTooLongMessage);
        return;
    }
    lyrics::TTextLyrics imported;
    imported.ParseText(ToActive(SynEditClipboard_));
    SynEditClipboard_.clear();
    TakeImport(imported);
}

bool TFormEdit::RefuseWhileCut() {
    if (Cut_)
        Error(CutMessage());
    return Cut_;
}

void TFormEdit::ExportToClipboard() {
    if (RefuseWhileCut())
        return;
    std::string text = OutputText();
    // The clipboard gets the lines joined by CR LF, without a break after the last.
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0)
        text.resize(text.size() - 2);
    SynEditClipboard_ = FromActive(text);
    SetClipboardText(SynEditClipboard_);
    SynEditClipboard_.clear();
}

bool TFormEdit::ExportToFile(const std::string& path) {
    if (RefuseWhileCut())
        return false;
    std::string error;
    if (!toolkit::WriteFileReplacing(path, OutputText(), &error)) {
        Error("The lyrics were not saved.\n\n" + error);
        return false;
    }
    return true;
}

void TFormEdit::SaveAs() {
    const QString initial = QtFileNameOf(Host_.LyricsDir()) + '/' + FromActive(Document_.SongName);
    const QString file = ChooseSaveFile ? ChooseSaveFile(initial) : QString();
    if (!file.isEmpty())
        ExportToFile(ProgramPathOf(file));
}

std::string TFormEdit::OutputText() const {
    return editor::OutputText(TagsForm_->TagLines(), TimingLines(), LyricLines(), TimestampMode_);
}

TSaveTarget TFormEdit::SaveTarget() const {
    TSaveTarget target;
    target.LyricsDir = Host_.LyricsDir();
    target.Separator = Services_.Separator;
    target.BaseName = Host_.LyricsBaseName(Document_.SongName);
    target.LyricsFileName = Document_.LyricsFileName;
    target.LengthMs = lyrics::TextToTime(Services_.Texts.Length->Text);
    target.TimestampMode = TimestampMode_;
    return target;
}

std::string TFormEdit::OkFileName() const {
    return editor::OkFileName(SaveTarget());
}

std::string TFormEdit::SaveToPath() const {
    return editor::SaveToPath(SaveTarget());
}

bool TFormEdit::SaveAndClose() {
    const TSaveTarget target = SaveTarget();
    if ((target.TimestampMode || target.LyricsFileName.empty()) &&
        !lyrics::IsUsableSongName(target.BaseName)) {
        // Without a song name the file would have no name of its own (".lrc") and no lookup would find it.
        Error("The song has no name, so the lyrics cannot be saved under it.\n\n"
              "Use File, Export, To Textfile.. to save them under a name of your choice.");
        return false;
    }
    if (!ExportToFile(editor::OkFileName(target)))
        return false;
    accept();
    return true;
}

void TFormEdit::ShowHelp() {
    Host_.OpenAddress(Services_.HelpAddress);
}

void TFormEdit::Error(const std::string& message) {
    if (ShowError)
        ShowError(message);
}

// ---------------------------------------------------------------------------------------------------------
// Showing, closing, moving

void TFormEdit::ShowEditor() {
    Open_ = true;
    TimerReloadNewSong.stop();
    show();
    raise();
    activateWindow();
    Timing_->setFocus(Qt::OtherFocusReason);
    if (Cut_)
        Error(CutMessage());
}

void TFormEdit::done(int result) {
    QDialog::done(result);
    if (!Open_)
        return;
    Open_ = false;
    TagsForm_->hide();
    Host_.ReturnToLyricView();
    TimerReloadNewSong.start();
}

void TFormEdit::SetStayOnTop(bool onTop) {
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (visible)
        show();
}

void TFormEdit::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        DragOrigin_ = event->globalPosition().toPoint() - pos();
    QDialog::mousePressEvent(event);
}

void TFormEdit::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton)
        move(event->globalPosition().toPoint() - DragOrigin_);
    QDialog::mouseMoveEvent(event);
}

bool TFormEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == BottomBar_ &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove)) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (event->type() == QEvent::MouseButtonPress)
            mousePressEvent(mouse);
        else
            mouseMoveEvent(mouse);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace editor
