#pragma once
// The window frame of the borderless main window: thin borders that resize it, a status strip along the
// bottom with the player, the song and its position (and where the lyrics came from), small buttons for
// searching, editing, submitting and staying on top, and a scroll bar at the right that shows the
// display's scroll state. Everything is painted from one skin sheet (132 x 75):
//
//   x 0-45,  y 0-13 / 15-28   button, normal / pressed (caps of 4 columns, the middle stretched)
//   x 0-13 / 14-27, y 31-44   scroll up / down, normal;  x 28-41 / 42-55 the same pressed
//   x 56-69 / 70-83, y 31-58  scroll thumb, normal / pressed (caps of 3 rows, grip rows 39-48, bodies)
//   pixel (52, 0) face colour, (54, 0) edge colour, (74, 0) and (76, 0) the scroll track's colours
//
// TWASkin is created by the main window, which owns it; its image controls are children of the main
// window. It reaches the main window only through IFrameHost, the player session and the display's scroll
// state it is given (the main window owns the scroll state and shares it with the display engine); all
// three must outlive it.

#include "display/ScrollState.h"
#include "display/UFrameHost.h"

#include <QFont>
#include <QImage>
#include <QObject>
#include <QTimer>

#include <string>

namespace player {
class TPlayerSession;
}

namespace display {

class TSkinImage;

class TWASkin : public QObject {
public:
    // What the search button offers.
    enum TSearchState { ssSearch = 0, ssCancelSearch = 1, ssSearchAgain = 2 };

    TWASkin(player::TPlayerSession& session, IFrameHost& host, TScrollState& scroll,
            QObject* parent = nullptr);
    ~TWASkin() override;

    // Creates the controls on the main window, wires their events and sets the scroll state's start values.
    void AttachFrame(QWidget* mainWindow);
    // Makes the bitmap the skin sheet and repaints everything.
    void LoadSkin(const QImage& sheet);
    bool HasSkin() const { return !SkinSheet.isNull(); }

    void SetSearchState(int state, bool pressed = false);
    int SearchState() const { return SearchState_; }
    // Repaints the status strip (only while the ShowSongInfo setting is on).
    void PaintSongInfo();
    void UpdateSubmitButton();
    // Resize handlers and cursors of the borders: only when the window is not maximised.
    void SetBordersActive();
    bool BordersActive() const { return BordersActive_; }
    void PaintScrollThumb(bool pressed = false);
    // The scroll bar, shown or hidden; the scene view is narrowed for it or widened again.
    void ShowScrollBar();
    void HideScrollBar();
    // The display mode's controls: status strip, search, edit and stay-on-top buttons, scroll track, thumb.
    void ShowFrameControls(bool shown);
    // Repaints the stay-on-top letter.
    void PaintOnTopButton();
    // What a click on the search button does (also the main window's search action).
    void SearchButtonClick();

    TScrollState& Scroll;
    QImage SkinSheet;
    QFont ButtonFont;
    bool ThumbDragging = false;
    int ThumbGrabY = 0;
    // Polls the player and repaints the song information every 150 ms.
    QTimer TimerUpdateSongInfo;

    // The song line of the last painting of the strip (after the player name), and the controls, for tests.
    const std::string& SongInfoText() const { return SongInfoText_; }
    const std::string& PlayerInfoText() const { return PlayerInfoText_; }
    const std::string& SourceInfoText() const { return SourceInfoText_; }
    TSkinImage* Control(const char* name) const;
    // Position and height of the thumb for the current state and window height.
    int ThumbTop() const;
    int ThumbHeight() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Place();
    void PaintAll();
    void PaintFrame();
    void PaintSearchButton(bool pressed);
    void PaintEditButton(bool pressed);
    void PaintScrollButton(bool up, bool pressed);
    void PaintScrollTrack();
    void DrawButtonFace(TSkinImage& image, bool pressed);
    void DrawText(QImage& canvas, const QFont& font, QColor color, int x, int y, const QString& text);
    QColor SheetPixel(int x, int y) const;
    int TrackLength() const;
    int DownloadTextWidth() const;

    void StatusStripDown(QPoint position, Qt::MouseButton button);
    void StatusStripMove(QPoint position, Qt::MouseButtons buttons);
    void BorderDown(TSkinImage& border, QPoint position, Qt::MouseButton button);
    void BorderMove(TSkinImage& border, QPoint position, Qt::MouseButtons buttons);
    void ScrollButtonDown(bool up);
    void ThumbMove(QPoint position);
    void SongInfoTimer();

    player::TPlayerSession& Session_;
    IFrameHost& Host_;
    QWidget* MainWindow_ = nullptr;
    int SearchState_ = ssSearch;
    bool BordersActive_ = true;
    bool ControlsShown_ = true;

    TSkinImage* TopBorder_ = nullptr;
    TSkinImage* BottomBorder_ = nullptr;
    TSkinImage* LeftBorder_ = nullptr;
    TSkinImage* RightBorder_ = nullptr;
    TSkinImage* StatusStrip_ = nullptr;
    TSkinImage* SearchButton_ = nullptr;
    TSkinImage* EditButton_ = nullptr;
    TSkinImage* OnTopButton_ = nullptr;
    TSkinImage* SubmitButton_ = nullptr;
    TSkinImage* ScrollUpButton_ = nullptr;
    TSkinImage* ScrollTrack_ = nullptr;
    TSkinImage* ScrollThumb_ = nullptr;
    TSkinImage* ScrollDownButton_ = nullptr;

    // A resize by a border: where it started, and which edges follow the cursor.
    QPoint ResizeStartCursor_;
    QRect ResizeStartGeometry_;
    bool ResizeLeft_ = false, ResizeTop_ = false, ResizeRight_ = false, ResizeBottom_ = false;
    // The window manager moves or resizes the window until the button is released.
    bool SystemResizeStarted_ = false;
    bool SystemMoveStarted_ = false;

    // What the thumb and the strip show now, so that an unchanged picture is not painted again.
    QRect ThumbPainted_;
    bool ThumbPaintedPressed_ = false;
    std::string SongInfoPainted_;

    std::string SongInfoText_;
    std::string PlayerInfoText_;
    std::string SourceInfoText_;
};

// The status strip's clock text: minutes, ":", two-digit seconds.
std::string MinutesSecondsText(int milliseconds);

} // namespace display
