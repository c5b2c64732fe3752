#pragma once
// A fake Quintessential Player: a "PlayerCanvas" window whose caption shows the song, answering the length
// and position queries (2088, 2089) from its public fields and recording the menu commands it receives. A
// 5-second step moves the position, as the player's own does.

#include "platform/fake/FakeWindowSystem.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform {

class TFakeQcd {
public:
    TFakeQcd(TFakeWindowSystem& windows, const std::string& caption);
    ~TFakeQcd();
    TFakeQcd(const TFakeQcd&) = delete;
    TFakeQcd& operator=(const TFakeQcd&) = delete;

    void SetCaption(const std::string& caption);
    // Closes the player's window (a player that exits).
    void Quit();
    WindowHandle Window() const { return Window_; }

    std::int32_t PositionMs = 0; // query 2089
    std::int32_t LengthMs = 0;   // query 2088

    struct TQuery {
        std::uint32_t message;
        std::uintptr_t wParam;
        std::intptr_t lParam;
    };
    std::vector<TQuery> Queries;          // queries received, in order
    std::vector<std::uintptr_t> Commands; // WM_COMMAND numbers received, in order
    // Called after each command is recorded (a test may close the window from here).
    std::function<void()> OnCommand;

private:
    std::intptr_t Handle(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

    TFakeWindowSystem& Windows_;
    WindowHandle Window_ = kNoWindow;
};

} // namespace platform
