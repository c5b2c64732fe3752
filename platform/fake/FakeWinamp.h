#pragma once
// A fake player that speaks the Winamp window-message interface: a "Winamp v1.x" window answering the
// numbered queries from its public fields, and recording the menu commands it receives. With
// WithMediaMonkey it also creates MediaMonkey's "TFMainWindow" main window beside it.

#include "platform/fake/FakeWindowSystem.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform {

class TFakeWinamp {
public:
    TFakeWinamp(TFakeWindowSystem& windows, const std::string& caption, bool withMediaMonkey = false);
    ~TFakeWinamp();
    TFakeWinamp(const TFakeWinamp&) = delete;
    TFakeWinamp& operator=(const TFakeWinamp&) = delete;

    void SetCaption(const std::string& caption);
    // Closes the player's windows (a player that exits); queries answer 0 from then on.
    void Quit();
    // Sets the file of a playlist entry (answered through queries 125 and 211).
    void SetPlaylistFile(int index, const std::string& path);

    WindowHandle Window() const { return Window_; }
    WindowHandle MediaMonkeyWindow() const { return MainWindow_; }

    // Answers of the queries.
    std::int32_t Version = 0x5010;   // query 0
    std::int32_t IsPlaying = 1;      // query 104
    std::int32_t PositionMs = 0;     // query 105, data 0
    std::int32_t LengthSeconds = 0;  // query 105, data 1
    std::int32_t PlaylistLength = 1; // query 124
    std::int32_t PlaylistPos = 0;    // query 125
    // When set, query 105 answers the position it gives instead of PositionMs (a player whose position runs
    // with the real time, read only when asked).
    std::function<std::int32_t()> PositionSource;

    std::vector<std::uintptr_t> Commands; // WM_COMMAND numbers received, in order
    std::vector<std::int32_t> Seeks;      // query 106 targets, in order
    int Queries = 0;                      // number of WM_USER queries answered

private:
    std::intptr_t Handle(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

    TFakeWindowSystem& Windows_;
    WindowHandle Window_ = kNoWindow;
    WindowHandle MainWindow_ = kNoWindow;
};

} // namespace platform
