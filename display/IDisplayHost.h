#pragma once
// What the display engine needs of the main window that owns it: sizes, its one-shot timers, the frame's
// scroll bar, the cursor, the scene clock, and its own handlers that run after the engine's. The main
// window implements it; tests use a recording fake.

namespace display {

enum class TCursorKind { Default, VSplit, HandPoint };

// Keys and mouse buttons held during an event.
struct TShiftState {
    bool Shift = false;
    bool Ctrl = false;
    bool Alt = false;
    bool Left = false;
    bool Right = false;
    bool Middle = false;
};

enum class TMouseButton { Left, Right, Middle };

class IDisplayHost {
public:
    virtual ~IDisplayHost() = default;

    // The main window's client size in pixels.
    virtual int WindowWidth() = 0;
    virtual int WindowHeight() = 0;

    // TimerAllowScroll (2000 ms, one shot): while it runs, automatic scrolling pauses.
    virtual bool AllowScrollTimerRunning() = 0;
    virtual void RestartAllowScrollTimer() = 0;
    // TimerResizeEvent (80 ms, one shot): runs the window's resize handling once when it expires.
    virtual bool ResizeTimerRunning() = 0;
    virtual void StartResizeTimer() = 0;
    // TimerUpdateFPS, the frame rate display.
    virtual bool FpsTimerRunning() = 0;
    virtual void SetFpsTimerRunning(bool running) = 0;

    // Advances the scene clock once and draws the result.
    virtual void AdvanceSceneClock() = 0;

    // The window frame: whether it has its skin yet, redrawing the scroll thumb from the scroll state, and
    // showing or hiding the scroll bar (which narrows or widens the scene view).
    virtual bool FrameHasSkin() = 0;
    virtual void PaintScrollThumb() = 0;
    virtual void ShowScrollBar(bool shown) = 0;

    virtual void SetCursor(TCursorKind cursor) = 0;
    // Shows the preferences on the page at a position of their navigation tree.
    virtual void OpenPreferencesPage(int index) = 0;
    // The next mouse release must not pop up the context menu.
    virtual void MarkContextMenuNoPopup() = 0;
    virtual void MultiplyVisualizationGain(float factor) = 0;

    // The main window's own handlers, run by the engine where its handling passes the event on.
    virtual void MainMouseDown(TMouseButton button, TShiftState shift, int x, int y) = 0;
    virtual void MainMouseMove(TShiftState shift, int x, int y) = 0;
    virtual void MainDoubleClick() = 0;
    virtual void MainResize() = 0;
};

// A host that does nothing: a window of the design size with its frame, no timers running. For benchmarks
// and tests that only look at the scene.
class TNullDisplayHost : public IDisplayHost {
public:
    int WindowWidth() override { return 816; }
    int WindowHeight() override { return 326; }
    bool AllowScrollTimerRunning() override { return false; }
    void RestartAllowScrollTimer() override {}
    bool ResizeTimerRunning() override { return false; }
    void StartResizeTimer() override {}
    bool FpsTimerRunning() override { return false; }
    void SetFpsTimerRunning(bool) override {}
    void AdvanceSceneClock() override {}
    bool FrameHasSkin() override { return true; }
    void PaintScrollThumb() override {}
    void ShowScrollBar(bool) override {}
    void SetCursor(TCursorKind) override {}
    void OpenPreferencesPage(int) override {}
    void MarkContextMenuNoPopup() override {}
    void MultiplyVisualizationGain(float) override {}
    void MainMouseDown(TMouseButton, TShiftState, int, int) override {}
    void MainMouseMove(TShiftState, int, int) override {}
    void MainDoubleClick() override {}
    void MainResize() override {}
};

} // namespace display
