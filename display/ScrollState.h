#pragma once
// The display's scroll state, in pixels: set by the display engine's layout and scrolling, drawn and
// changed by the window frame's scroll bar. The main window owns the one instance and hands it to both.

namespace display {

struct TScrollState {
    int ContentHeight = 100;     // height of everything that can be scrolled
    int PageHeight = 50;         // visible height
    int PageStep = 10;           // three line heights
    int LineStep = 2;            // one line height
    int ScrollPosition = 50;     // first visible pixel
    bool ScrollBarShown = false; // the scroll bar is shown and the scene view is narrowed for it
};

} // namespace display
