#include "platform/fake/FakeQcd.h"

namespace platform {
namespace {
constexpr std::uint32_t kGetLength = 2088;
constexpr std::uint32_t kGetPosition = 2089;
constexpr std::uintptr_t kForward5s = 41024;
constexpr std::uintptr_t kBack5s = 41025;
} // namespace

TFakeQcd::TFakeQcd(TFakeWindowSystem& windows, const std::string& caption) : Windows_(windows) {
    Window_ = Windows_.AddWindow(
        "PlayerCanvas", caption,
        [this](std::uint32_t m, std::uintptr_t w, std::intptr_t l) { return Handle(m, w, l); });
}

TFakeQcd::~TFakeQcd() {
    Quit();
}

void TFakeQcd::SetCaption(const std::string& caption) {
    Windows_.SetCaption(Window_, caption);
}

void TFakeQcd::Quit() {
    if (Window_ != kNoWindow)
        Windows_.RemoveWindow(Window_);
    Window_ = kNoWindow;
}

std::intptr_t TFakeQcd::Handle(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (message == WM_COMMAND_) {
        Commands.push_back(wParam);
        if (wParam == kForward5s)
            PositionMs += 5000;
        else if (wParam == kBack5s)
            PositionMs = PositionMs > 5000 ? PositionMs - 5000 : 0;
        if (OnCommand)
            OnCommand();
        return 0;
    }
    if (message == kGetLength || message == kGetPosition) {
        Queries.push_back({message, wParam, lParam});
        return message == kGetLength ? LengthMs : PositionMs;
    }
    return 0;
}

} // namespace platform
