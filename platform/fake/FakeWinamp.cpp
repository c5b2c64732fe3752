#include "platform/fake/FakeWinamp.h"

namespace platform {
namespace {
// Fake addresses of playlist entries' file names inside the player's process.
constexpr std::uintptr_t kPlaylistBase = 0x400000;
constexpr std::uintptr_t kPlaylistStride = 0x1000;
} // namespace

TFakeWinamp::TFakeWinamp(TFakeWindowSystem& windows, const std::string& caption, bool withMediaMonkey)
    : Windows_(windows) {
    if (withMediaMonkey)
        MainWindow_ = Windows_.AddWindow("TFMainWindow", "MediaMonkey");
    Window_ = Windows_.AddWindow(
        "Winamp v1.x", caption,
        [this](std::uint32_t m, std::uintptr_t w, std::intptr_t l) { return Handle(m, w, l); });
}

TFakeWinamp::~TFakeWinamp() {
    Quit();
}

void TFakeWinamp::SetCaption(const std::string& caption) {
    Windows_.SetCaption(Window_, caption);
}

void TFakeWinamp::Quit() {
    if (Window_ != kNoWindow)
        Windows_.RemoveWindow(Window_);
    if (MainWindow_ != kNoWindow)
        Windows_.RemoveWindow(MainWindow_);
    Window_ = MainWindow_ = kNoWindow;
}

void TFakeWinamp::SetPlaylistFile(int index, const std::string& path) {
    Windows_.SetProcessString(Window_, kPlaylistBase + std::uintptr_t(index) * kPlaylistStride, path);
}

std::intptr_t TFakeWinamp::Handle(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (message == WM_COMMAND_) {
        Commands.push_back(wParam);
        return 0;
    }
    if (message != WM_USER_)
        return 0;
    ++Queries;
    switch (lParam) {
    case 0:
        return Version;
    case 104:
        return IsPlaying;
    case 105:
        if (wParam != 0)
            return LengthSeconds;
        return PositionSource ? PositionSource() : PositionMs;
    case 106:
        Seeks.push_back(std::int32_t(wParam));
        PositionMs = std::int32_t(wParam);
        return 0;
    case 124:
        return PlaylistLength;
    case 125:
        return PlaylistPos;
    case 211:
        return std::intptr_t(kPlaylistBase + wParam * kPlaylistStride);
    default:
        return 0;
    }
}

} // namespace platform
