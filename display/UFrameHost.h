#pragma once
// What the window frame (TWASkin) needs of the main window it is drawn on: the current song's lyrics
// state, a few settings, the actions its buttons run and the scroll position of the display. The main
// window implements it; tests can implement it with a small fake.

#include <string>

namespace display {

class IFrameHost {
public:
    virtual ~IFrameHost() = default;

    // The lyric document.
    virtual std::string SongName() const = 0;
    virtual std::string DownloadSource() const = 0;
    virtual bool LyricsFound() const = 0;

    // Settings.
    virtual bool SearchInternet() const = 0;
    virtual void TurnSearchInternetOn() = 0;
    virtual bool ShowSongInfo() const = 0;
    virtual int DisplayMode() const = 0; // 0 Default, 1 Minimal

    // The main window.
    virtual bool StaysOnTop() const = 0;
    virtual bool IsMaximized() const = 0;
    // The text of the search notice in the scene ("Downloading..", "Error Connecting" ...).
    virtual std::string SearchNoticeText() const = 0;
    // The submit action: its caption, and whether it is enabled (the lyrics can be submitted).
    virtual std::string SubmitCaption() const = 0;
    virtual bool SubmitEnabled() const = 0;
    virtual void SetSearchActionCaption(const std::string& caption) = 0;
    // Remembers the offset of the cursor from the window's top left corner for dragging the window.
    virtual void SetDragOffset(int x, int y) = 0;
    virtual int DragOffsetX() const = 0;
    virtual int DragOffsetY() const = 0;
    // The scene view's width (the frame narrows it for its scroll bar).
    virtual void SetSceneViewWidth(int width) = 0;

    // Actions of the buttons.
    virtual void RemoveFromCancelList(const std::string& songName) = 0;
    virtual void AddToCancelList(const std::string& songName) = 0;
    virtual void SearchLyrics(int site) = 0;
    virtual void SearchAgain() = 0;
    virtual void CancelSearch() = 0;
    virtual void EditLyrics() = 0;
    virtual void SubmitLyrics() = 0;
    virtual void ToggleStayOnTop() = 0;
    virtual void OpenAddress(const std::string& address) = 0;
    // The deferred relayout (TimerResizeEvent).
    virtual void StartDeferredResize() = 0;

    // Scrolling the display: set the position (the display clamps it), pause the automatic scrolling for
    // a while, and advance the scene clock once so that the result is drawn at once.
    virtual void SetScrollPosition(int position) = 0;
    virtual void RestartAllowScroll() = 0;
    virtual void AdvanceSceneClock() = 0;
};

} // namespace display
