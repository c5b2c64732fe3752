#pragma once
// The timing editor "Edit Lyrics": the timing pane (one clock text per line) beside the lyric pane (one
// lyric line per line), kept the same length; stamping lines with the play position while the song plays,
// moving times, importing and exporting text, and saving the result into the lyrics folder.
//
// The editor has no document of its own: it fills its panes from the main window's document, imports into
// that same document, and writes the panes out. The main window creates it once (CreateEditor), shows it
// when the edit view is entered, and reaches it through IEditor. The editor owns its tags dialog.

#include "editor/EditorRules.h"
#include "editor/IEditor.h"

#include <QDialog>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace editor {

class TFormEditLyricsTags;
class TLyricPane;
class TTimingPane;

class TFormEdit : public QDialog, public IEditor {
public:
    static constexpr int kDesignWidth = 703;
    static constexpr int kDesignHeight = 508;

    TFormEdit(const TEditorServices& services, QWidget* parent = nullptr);
    ~TFormEdit() override;

    // ---- IEditor ----
    void FillFromDocument() override;
    void ShowEditor() override;
    void UpdatePlayback() override;
    void NearEndPause() override;
    void EditViewResize() override;
    void SetStayOnTop(bool onTop) override;
    bool EditorVisible() const override { return isVisible(); }
    std::vector<std::string> TimingLines() const override;
    std::vector<std::string> LyricLines() const override;

    // ---- State ----
    bool TimestampMode() const { return TimestampMode_; }
    // Off also greys the timing pane; it does not rewrite the times (RemoveTimestamps does).
    void SetTimestampMode(bool on);
    int CurrentLineIndex() const { return CurrentLineIndex_; }

    // ---- What the actions, keys and menus do ----
    void Stamp();        // Enter/Space: timestamps on, stamp the caret line, caret one line down
    void SetTimestamp(); // "Set Timestamp": stamp the caret line only
    void PlayFromHere();
    void RemoveTimestamps();
    void ShiftCaretTime(std::int32_t delta, bool following);
    // Imports a file (program path) into the document and refills; false with a message when unreadable.
    bool ImportFile(const std::string& path);
    void ImportClipboard();
    void ExportToClipboard();
    // Writes the output text to the file (program path); false with a message when it cannot be written.
    bool ExportToFile(const std::string& path);
    // OK: saves where OkFileName() says and closes; on failure the editor stays open as it was.
    bool SaveAndClose();
    std::string OutputText() const;
    std::string OkFileName() const;
    std::string SaveToPath() const;

    // ---- Parts, for the main window and tests ----
    QAction* Action(const std::string& name) const;
    QPlainTextEdit& SynEditTiming();
    QPlainTextEdit& SynEditLyric();
    TFormEditLyricsTags& TagsForm() { return *TagsForm_; }
    QMenuBar& MainMenu() { return *MainMenu_; }
    QMenu& TimingMenu() { return *TimingMenu_; }
    QMenu& LyricMenu() { return *LyricMenu_; }
    QWidget& BottomBar() { return *BottomBar_; }
    // The caret line of the timing pane (zero-based).
    int TimingCaretLine() const;
    void SetTimingCaretLine(int line);
    // Reloads the song 100 ms after the editor closed.
    QTimer TimerReloadNewSong;

    // Dialogs and messages, replaceable by tests: the open and save dialogs answer a Qt file name (empty
    // when cancelled); errors show in a message box unless replaced.
    std::function<QString()> ChooseOpenFile;
    std::function<QString(const QString& initialName)> ChooseSaveFile;
    std::function<void(const std::string&)> ShowError;
    // The system clipboard's text (shared by every program on the display; tests keep their own).
    std::function<QString()> ClipboardText;
    std::function<void(const QString&)> SetClipboardText;

protected:
    void done(int result) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    QWidget* CreateBottomBar();
    void TimingKey(const TTimingKeyEffect& effect);
    void LyricTextChanged();
    void SetTimingLine(int index, const std::string& text);
    void ReplaceTimingLines(int first, const std::vector<std::string>& lines);
    void SetPanes(const std::vector<std::string>& timing, const std::vector<std::string>& lyric);
    const std::vector<std::int32_t>& Times();
    void UpdateHighlight();
    void SyncScroll(QPlainTextEdit& from, QPlainTextEdit& to);
    void DropFile(const QString& fileName);
    void OpenFile();
    void SaveAs();
    void ShowHelp();
    void Error(const std::string& message);
    // Takes lyrics imported into a document of their own into the main document, when they fit the panes.
    bool TakeImport(lyrics::TTextLyrics& imported);
    bool RefuseWhileCut();
    TSaveTarget SaveTarget() const;
    std::int32_t KnownSongLength();

    TEditorServices Services_;
    player::TPlayerSession& Session_;
    lyrics::TTextLyrics& Document_;
    IEditorHost& Host_;

    QMenuBar* MainMenu_ = nullptr;
    TTimingPane* Timing_ = nullptr;
    TLyricPane* Lyric_ = nullptr;
    QWidget* BottomBar_ = nullptr;
    QMenu* TimingMenu_ = nullptr;
    QMenu* LyricMenu_ = nullptr;
    TFormEditLyricsTags* TagsForm_ = nullptr;
    std::map<std::string, QAction*> Actions_;
    // The hidden clipboard buffer: text on its way to or from the system clipboard.
    QString SynEditClipboard_;

    bool TimestampMode_ = false;
    int CurrentLineIndex_ = -1;
    QPoint DragOrigin_;
    bool Filling_ = false;
    bool Syncing_ = false;
    bool Open_ = false;
    // The document is larger than the panes hold: they show its beginning, and nothing is saved from them.
    bool Cut_ = false;
    // The near-end pause has paused the player for this approach to the song's end (the pause command
    // toggles in most players, so it is sent once).
    bool NearEndPaused_ = false;
    // The timing pane's times, read again after the pane changes.
    std::vector<std::int32_t> Times_;
    bool TimesValid_ = false;
};

} // namespace editor
