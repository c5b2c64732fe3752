#include "platform/win32/tests/FakeWinampProcess.h"

#include "platform/win32/WideText.h"

#include <windows.h>

namespace platform {
namespace {

constexpr int kStartTimeoutMs = 30000;
constexpr int kExitTimeoutMs = 10000;

} // namespace

bool TFakeWinampProcess::Start(const std::string& exePath, bool mediaMonkey) {
    Window_ = MediaMonkeyWindow_ = kNoWindow;
    std::string commandLine = "\"" + exePath + "\" --parent " + std::to_string(GetCurrentProcessId());
    if (mediaMonkey)
        commandLine += " --mediamonkey";
    if (!Child_.Start(exePath, commandLine))
        return false;
    const bool shown = Child_.WaitUntilReady(
        [&] {
            const WindowHandle window = FindWindowOfProcess("Winamp v1.x", Child_.Id());
            const WindowHandle mainWindow =
                mediaMonkey ? FindWindowOfProcess("TFMainWindow", Child_.Id()) : kNoWindow;
            if (window == kNoWindow || (mediaMonkey && mainWindow == kNoWindow))
                return false;
            Window_ = window;
            MediaMonkeyWindow_ = mainWindow;
            return true;
        },
        kStartTimeoutMs, 10);
    if (!shown)
        Kill();
    return shown;
}

std::intptr_t TFakeWinampProcess::Control(std::uint32_t message, std::uintptr_t wParam,
                                          std::intptr_t lParam) {
    return SendToWindow(Window_, message, wParam, lParam);
}

void TFakeWinampProcess::SetCaption(const std::string& caption) {
    if (Window_ != kNoWindow)
        SetWindowTextW(reinterpret_cast<HWND>(Window_), win32::Utf8ToWide(caption).c_str());
}

void TFakeWinampProcess::Set(fake_winamp::TField field, std::int32_t value) {
    Control(fake_winamp::kSetField, std::uintptr_t(field), value);
}

void TFakeWinampProcess::SetPlaylistFile(int index, const std::string& path) {
    COPYDATASTRUCT copy{};
    copy.dwData = ULONG_PTR(index);
    copy.cbData = DWORD(path.size());
    copy.lpData = const_cast<char*>(path.data());
    Control(WM_COPYDATA, 0, reinterpret_cast<std::intptr_t>(&copy));
}

std::vector<std::uint32_t> TFakeWinampProcess::Commands() {
    std::vector<std::uint32_t> commands;
    const auto count = Control(fake_winamp::kCommandCount, 0, 0);
    for (std::intptr_t i = 0; i < count; ++i)
        commands.push_back(std::uint32_t(Control(fake_winamp::kCommandAt, std::uintptr_t(i), 0)));
    return commands;
}

std::vector<std::int32_t> TFakeWinampProcess::Seeks() {
    std::vector<std::int32_t> seeks;
    const auto count = Control(fake_winamp::kSeekCount, 0, 0);
    for (std::intptr_t i = 0; i < count; ++i)
        seeks.push_back(std::int32_t(Control(fake_winamp::kSeekAt, std::uintptr_t(i), 0)));
    return seeks;
}

void TFakeWinampProcess::ClearRecords() {
    Control(fake_winamp::kClearRecords, 0, 0);
}

bool TFakeWinampProcess::Quit() {
    const bool clean = Child_.Close(Window_, kExitTimeoutMs);
    Window_ = MediaMonkeyWindow_ = kNoWindow;
    return clean;
}

void TFakeWinampProcess::Kill() {
    Child_.Kill(kExitTimeoutMs);
    Window_ = MediaMonkeyWindow_ = kNoWindow;
}

} // namespace platform
