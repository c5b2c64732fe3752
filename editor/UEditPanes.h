#pragma once
// The two text panes of the timing editor. The timing pane takes no typing and no selection: its keys and
// mouse go to the editor, which changes its lines. The lyric pane is a plain editable text whose tabs become
// spaces. Both take dropped files and open the editor's context menus; the editor's action shortcuts (undo,
// clipboard, select all, help) are left to the actions, so they act on the lyric pane wherever the focus is.

#include "editor/EditorRules.h"

#include <QPlainTextEdit>

#include <functional>

namespace editor {

class TTimingPane : public QPlainTextEdit {
public:
    explicit TTimingPane(QWidget* parent = nullptr);

    std::function<void(const TTimingKeyEffect&)> OnKey;
    std::function<void()> OnDoubleClick;
    std::function<void(const QPoint& globalPos)> OnContextMenu;
    std::function<void(const QString& fileName)> OnDropFile;

    // Puts the caret on a line, at column 4 or the line's end.
    void PlaceCaret(int line);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

class TLyricPane : public QPlainTextEdit {
public:
    explicit TLyricPane(QWidget* parent = nullptr);

    std::function<void(const QPoint& globalPos)> OnContextMenu;
    std::function<void(const QString& fileName)> OnDropFile;
    // A paste or drop of text that would make the pane larger than the editor holds; nothing is inserted.
    std::function<void()> OnTooLong;

    // Inserts text at the caret as a paste does: tabs as spaces, refused when the pane would grow too large.
    void InsertText(const QString& text);
    // The selected text, lines joined by line feeds.
    QString SelectedText() const;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

// The local file of a drop, the first one only; empty when the drop holds none.
QString FirstDroppedFile(const QMimeData* data);

// Tabs as spaces up to the next multiple of eight columns, line by line.
QString ExpandTabs(const QString& text);

} // namespace editor
