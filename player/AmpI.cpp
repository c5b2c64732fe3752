#include "player/AmpI.h"

namespace player {

const char* const kAmpWindowClass = "Winamp v1.x";

// Longest path the player keeps for a playlist entry.
constexpr std::size_t kMaxPathLength = 260;

WindowHandle FindAmpWindow(IWindowSystem& windows) {
    return windows.FindWindowOfClass(kAmpWindowClass);
}

bool AmpRunning(IWindowSystem& windows) {
    const WindowHandle window = FindAmpWindow(windows);
    return window != platform::kNoWindow && windows.IsWindowAlive(window);
}

std::int32_t AmpIpc(IWindowSystem& windows, WindowHandle window, std::int32_t query, std::int32_t data) {
    if (window == platform::kNoWindow)
        return 0;
    // wParam carries the data as the player sees it: a signed value widened to the register size.
    const auto answer = windows.Send(window, platform::WM_USER_, std::uintptr_t(std::intptr_t(data)), query);
    return static_cast<std::int32_t>(answer);
}

std::int32_t AmpQuery(IWindowSystem& windows, std::int32_t query, std::int32_t data) {
    return AmpIpc(windows, FindAmpWindow(windows), query, data);
}

void AmpCommand(IWindowSystem& windows, std::uint32_t command) {
    const WindowHandle window = FindAmpWindow(windows);
    if (window != platform::kNoWindow)
        windows.Send(window, platform::WM_COMMAND_, command, 0);
}

bool AmpIsPlaying(IWindowSystem& windows, WindowHandle window) {
    return AmpIpc(windows, window, IPC_ISPLAYING, 0) == 1;
}

std::int32_t AmpSongPosition(IWindowSystem& windows, WindowHandle window) {
    return AmpIpc(windows, window, IPC_GETOUTPUTTIME, 0);
}

std::int32_t AmpSongLength(IWindowSystem& windows, WindowHandle window) {
    return AmpIpc(windows, window, IPC_GETOUTPUTTIME, 1);
}

std::string AmpPlaylistFile(IWindowSystem& windows, WindowHandle window) {
    const std::int32_t index = AmpIpc(windows, window, IPC_GETLISTPOS, 0);
    if (window == platform::kNoWindow)
        return {};
    // The answer is an address in the player's process; keep all of it, a 64-bit player answers 64 bits.
    const auto address = static_cast<std::uintptr_t>(
        windows.Send(window, platform::WM_USER_, std::uintptr_t(std::intptr_t(index)), IPC_GETPLAYLISTFILE));
    if (address == 0)
        return {};
    return windows.ReadProcessFileName(window, address, kMaxPathLength);
}

} // namespace player
