#pragma once
// The timing editor as the main window sees it, and what the editor needs of the main window.
//
// The main window creates the one editor with CreateEditor at start-up; the editor window is a child of the
// main window (destroyed with it, or earlier by deleting it through this interface). The services it is
// given (player session, lyric document, host, scene texts) must outlive it.

#include <string>
#include <vector>

class QWidget;

namespace player {
class TPlayerSession;
}
namespace lyrics {
class TTextLyrics;
}
namespace toolkit {
class TGLHUDText;
}

namespace editor {

// The main window's side: the edit view it shows while the editor is open, and its song-change pipeline.
class IEditorHost {
public:
    virtual ~IEditorHost() = default;
    // Back to the lyric view, with the main window's deferred resize started.
    virtual void ReturnToLyricView() = 0;
    // The song-change pipeline: finds a file just saved and replaces the document.
    virtual void UpdateSong() = 0;
    virtual int MainWindowWidth() = 0;
    virtual int SceneViewWidth() = 0;
    // The main window's normal resize handling.
    virtual void MainResize() = 0;
    // The lyrics folder (a program path) and the base name under which the lookup finds a song's files.
    virtual std::string LyricsDir() = 0;
    virtual std::string LyricsBaseName(const std::string& songName) = 0;
    // Opens a web address with the desktop's default handler.
    virtual void OpenAddress(const std::string& address) = 0;
};

// The screen texts of the main window's edit view that the editor keeps up to date.
struct TEditViewTexts {
    toolkit::TGLHUDText* LyricLyrics = nullptr; // the current line, large
    toolkit::TGLHUDText* Time = nullptr;
    toolkit::TGLHUDText* Song = nullptr;
    toolkit::TGLHUDText* SaveTo = nullptr;
    toolkit::TGLHUDText* Length = nullptr;
    toolkit::TGLHUDText* Exit = nullptr;
};

struct TEditorServices {
    player::TPlayerSession* Session = nullptr;
    lyrics::TTextLyrics* Document = nullptr; // the main window's one document
    IEditorHost* Host = nullptr;
    TEditViewTexts Texts;
    char Separator = '/';    // of paths
    std::string HelpAddress; // the editor's page on the product's web site
};

class IEditor {
public:
    virtual ~IEditor() = default;
    // Refills the panes, the tags and the length text from the document and the player.
    virtual void FillFromDocument() = 0;
    // Shows the editor window (modeless).
    virtual void ShowEditor() = 0;
    // Every display tick in the edit view: the current line and the edit view's texts.
    virtual void UpdatePlayback() = 0;
    // Every frame of the scene clock in the edit view: pauses the player just before the song's end.
    virtual void NearEndPause() = 0;
    // The edit view's resize handling: places the exit mark, then the main window's own handling.
    virtual void EditViewResize() = 0;
    virtual void SetStayOnTop(bool onTop) = 0;
    virtual bool EditorVisible() const = 0;
    // The panes' lines as program text (the submission reads them after FillFromDocument).
    virtual std::vector<std::string> TimingLines() const = 0;
    virtual std::vector<std::string> LyricLines() const = 0;
};

// Creates the editor window and its tags dialog as children of parent.
IEditor* CreateEditor(const TEditorServices& services, QWidget* parent);

} // namespace editor
