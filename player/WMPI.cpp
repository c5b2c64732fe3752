#include "player/WMPI.h"

#include "toolkit/CodePage.h"

namespace player {

using platform::IWindowSystem;
using platform::WindowHandle;

const char* const kWmpWindowClass = "WMPlayerApp";

namespace {

const char* const kCaptionSuffix = " - Windows Media Player";
// The key-up parameter of a key that was down: repeat count 1, previous state down, being released.
constexpr std::intptr_t kKeyUpParam = std::intptr_t(0xC0000001u);

void PostKey(IWindowSystem& windows, std::uint32_t key) {
    const WindowHandle window = FindWmpWindow(windows);
    if (window == platform::kNoWindow)
        return;
    windows.Post(window, platform::WM_KEYDOWN_, key, 1);
    windows.Post(window, platform::WM_KEYUP_, key, kKeyUpParam);
}

} // namespace

WindowHandle FindWmpWindow(IWindowSystem& windows) {
    return windows.FindWindowOfClass(kWmpWindowClass);
}

bool WmpRunning(IWindowSystem& windows) {
    return FindWmpWindow(windows) != platform::kNoWindow;
}

std::string CleanWmpCaption(const std::string& caption) {
    const auto suffix = caption.find(kCaptionSuffix);
    return suffix == std::string::npos ? std::string() : caption.substr(0, suffix + 1);
}

std::string WmpTitle(IWindowSystem& windows) {
    const WindowHandle window = FindWmpWindow(windows);
    return window == platform::kNoWindow ? std::string()
                                         : CleanWmpCaption(toolkit::Utf8ToActive(windows.GetCaption(window)));
}

void WmpPlay(IWindowSystem& windows) {
    const WindowHandle window = FindWmpWindow(windows);
    if (window == platform::kNoWindow)
        return;
    windows.Send(window, platform::WM_KEYDOWN_, WMP_KEY_PLAY, 0);
    windows.Send(window, platform::WM_KEYUP_, WMP_KEY_PLAY, 0);
}

void WmpVolumeUp(IWindowSystem& windows) {
    PostKey(windows, WMP_KEY_VOLUME_UP);
}

void WmpVolumeDown(IWindowSystem& windows) {
    PostKey(windows, WMP_KEY_VOLUME_DOWN);
}

} // namespace player
