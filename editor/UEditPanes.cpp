#include "editor/UEditPanes.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QUrl>

#include <algorithm>

namespace editor {

namespace {

constexpr int kTabWidth = 8;

// The editor's action shortcuts: undo, redo, the clipboard, select all and help. Panes leave them to the
// actions (which act on the lyric pane), so they mean the same wherever the focus is.
bool IsActionShortcut(const QKeyEvent& event) {
    const Qt::KeyboardModifiers mods =
        event.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const int key = event.key();
    if (key == Qt::Key_F1)
        return mods == Qt::NoModifier;
    if (mods == Qt::ControlModifier)
        return key == Qt::Key_Z || key == Qt::Key_X || key == Qt::Key_C || key == Qt::Key_V ||
               key == Qt::Key_A;
    if (mods == (Qt::ControlModifier | Qt::ShiftModifier))
        return key == Qt::Key_Z;
    return false;
}

bool IsNavigationKey(int key) {
    return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown ||
           key == Qt::Key_Home || key == Qt::Key_End;
}

TTimingKeyEffect EffectOf(const QKeyEvent& event) {
    const Qt::KeyboardModifiers mods = event.modifiers();
    return TimingKeyEffect(event.key(), mods & Qt::ShiftModifier, mods & Qt::ControlModifier,
                           mods & Qt::AltModifier);
}

} // namespace

QString FirstDroppedFile(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return {};
    const QList<QUrl> urls = data->urls();
    if (urls.isEmpty() || !urls.front().isLocalFile())
        return {};
    return urls.front().toLocalFile();
}

QString ExpandTabs(const QString& text) {
    if (!text.contains('\t'))
        return text;
    QString out;
    out.reserve(text.size() + 16);
    int column = 0;
    for (QChar c : text) {
        if (c == '\t') {
            const int spaces = kTabWidth - column % kTabWidth;
            out.append(QString(spaces, ' '));
            column += spaces;
        } else {
            out.append(c);
            column = (c == '\n' || c == '\r') ? 0 : column + 1;
        }
    }
    return out;
}

// ---------------------------------------------------------------------------------------------------------
// Timing pane

TTimingPane::TTimingPane(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    // Keyboard-selectable shows the caret; selecting is prevented by handling every key and press here.
    setTextInteractionFlags(Qt::TextSelectableByKeyboard);
    setUndoRedoEnabled(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    viewport()->setCursor(Qt::ArrowCursor);
}

void TTimingPane::PlaceCaret(int line) {
    if (document()->blockCount() == 0)
        return;
    const QTextBlock block = document()->findBlockByNumber(std::clamp(line, 0, document()->blockCount() - 1));
    QTextCursor cursor(block);
    cursor.setPosition(block.position() + std::min(3, block.length() - 1));
    setTextCursor(cursor);
}

bool TTimingPane::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        const auto& key = static_cast<const QKeyEvent&>(*event);
        // The pane's own keys win over button mnemonics (Alt+C pauses here, it does not cancel).
        if (!IsActionShortcut(key) &&
            (IsNavigationKey(key.key()) || EffectOf(key).Action != TTimingKey::None))
            event->accept();
        else
            event->ignore();
        return true;
    }
    return QPlainTextEdit::event(event);
}

void TTimingPane::keyPressEvent(QKeyEvent* event) {
    const int line = textCursor().blockNumber();
    const int pageLines = std::max(1, viewport()->height() / std::max(1, fontMetrics().lineSpacing()) - 1);
    switch (event->key()) {
    case Qt::Key_Up:
        PlaceCaret(line - 1);
        return;
    case Qt::Key_Down:
        PlaceCaret(line + 1);
        return;
    case Qt::Key_PageUp:
        PlaceCaret(line - pageLines);
        return;
    case Qt::Key_PageDown:
        PlaceCaret(line + pageLines);
        return;
    case Qt::Key_Home:
        PlaceCaret(event->modifiers() & Qt::ControlModifier ? 0 : line);
        return;
    case Qt::Key_End:
        PlaceCaret(event->modifiers() & Qt::ControlModifier ? document()->blockCount() - 1 : line);
        return;
    default:
        break;
    }
    const TTimingKeyEffect effect = EffectOf(*event);
    if (effect.Action == TTimingKey::None) {
        // Escape and the rest go on to the window (Escape cancels).
        event->ignore();
        return;
    }
    event->accept();
    if (OnKey)
        OnKey(effect);
}

void TTimingPane::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    PlaceCaret(cursorForPosition(event->position().toPoint()).blockNumber());
    event->accept();
}

void TTimingPane::mouseMoveEvent(QMouseEvent* event) {
    event->accept(); // no selection
}

void TTimingPane::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}

void TTimingPane::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    PlaceCaret(cursorForPosition(event->position().toPoint()).blockNumber());
    if (event->button() == Qt::LeftButton && OnDoubleClick)
        OnDoubleClick();
}

void TTimingPane::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() == QContextMenuEvent::Mouse)
        PlaceCaret(cursorForPosition(event->pos()).blockNumber());
    if (OnContextMenu)
        OnContextMenu(event->globalPos());
}

void TTimingPane::dragEnterEvent(QDragEnterEvent* event) {
    if (!FirstDroppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void TTimingPane::dragMoveEvent(QDragMoveEvent* event) {
    if (!FirstDroppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void TTimingPane::dropEvent(QDropEvent* event) {
    const QString file = FirstDroppedFile(event->mimeData());
    if (file.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    if (OnDropFile)
        OnDropFile(file);
}

// ---------------------------------------------------------------------------------------------------------
// Lyric pane

TLyricPane::TLyricPane(QWidget* parent) : QPlainTextEdit(parent) {
    setAcceptDrops(true);
}

bool TLyricPane::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride &&
        IsActionShortcut(static_cast<const QKeyEvent&>(*event))) {
        event->ignore();
        return true;
    }
    return QPlainTextEdit::event(event);
}

void TLyricPane::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Tab && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        const int column = textCursor().positionInBlock();
        insertPlainText(QString(kTabWidth - column % kTabWidth, ' '));
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TLyricPane::contextMenuEvent(QContextMenuEvent* event) {
    if (OnContextMenu)
        OnContextMenu(event->globalPos());
}

bool TLyricPane::canInsertFromMimeData(const QMimeData* source) const {
    return source->hasText() || QPlainTextEdit::canInsertFromMimeData(source);
}

void TLyricPane::insertFromMimeData(const QMimeData* source) {
    if (source->hasText())
        InsertText(source->text());
}

void TLyricPane::InsertText(const QString& text) {
    const qsizetype newLines = text.count('\n');
    if (!FitsEditor(std::size_t(document()->blockCount()) + std::size_t(newLines),
                    std::size_t(document()->characterCount()) + std::size_t(text.size()))) {
        if (OnTooLong)
            OnTooLong();
        return;
    }
    insertPlainText(ExpandTabs(text));
    ensureCursorVisible();
}

QString TLyricPane::SelectedText() const {
    return textCursor().selection().toPlainText();
}

void TLyricPane::dragEnterEvent(QDragEnterEvent* event) {
    if (!FirstDroppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        QPlainTextEdit::dragEnterEvent(event);
}

void TLyricPane::dragMoveEvent(QDragMoveEvent* event) {
    if (!FirstDroppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        QPlainTextEdit::dragMoveEvent(event);
}

void TLyricPane::dropEvent(QDropEvent* event) {
    const QString file = FirstDroppedFile(event->mimeData());
    if (file.isEmpty()) {
        QPlainTextEdit::dropEvent(event);
        return;
    }
    event->acceptProposedAction();
    if (OnDropFile)
        OnDropFile(file);
}

} // namespace editor
