#include "platform/win32/tests/FakeWinampProcess.h"

#include "platform/win32/WideText.h"

#include <windows.h>

namespace platform {
namespace {

constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kExitTimeoutMs = 10000;

// The first top-level window of the class that belongs to the process.
HWND FindWindowOfProcess(const char* className, DWORD processId) {
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, className, nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId)
            return window;
    }
    return nullptr;
}

} // namespace

TFakeWinampProcess::~TFakeWinampProcess() {
    if (Running())
        Kill();
    Release();
}

bool TFakeWinampProcess::Start(const std::string& exePath, bool mediaMonkey) {
    if (Running())
        Kill();
    Release();
    std::string commandLine = "\"" + exePath + "\" --parent " + std::to_string(GetCurrentProcessId());
    if (mediaMonkey)
        commandLine += " --mediamonkey";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return false;
    CloseHandle(info.hThread);
    Process_ = info.hProcess;
    ProcessId_ = info.dwProcessId;

    const DWORD started = GetTickCount();
    while (GetTickCount() - started < kStartTimeoutMs) {
        HWND window = FindWindowOfProcess("Winamp v1.x", ProcessId_);
        HWND mainWindow = mediaMonkey ? FindWindowOfProcess("TFMainWindow", ProcessId_) : nullptr;
        if (window && (!mediaMonkey || mainWindow)) {
            Window_ = reinterpret_cast<WindowHandle>(window);
            MediaMonkeyWindow_ = reinterpret_cast<WindowHandle>(mainWindow);
            return true;
        }
        if (WaitForSingleObject(Process_, 10) != WAIT_TIMEOUT)
            break; // it ended before showing its windows
    }
    Kill();
    Release();
    return false;
}

bool TFakeWinampProcess::Running() const {
    return Process_ && WaitForSingleObject(Process_, 0) == WAIT_TIMEOUT;
}

std::intptr_t TFakeWinampProcess::Control(std::uint32_t message, std::uintptr_t wParam,
                                          std::intptr_t lParam) {
    if (Window_ == kNoWindow)
        return 0;
    return SendMessageA(reinterpret_cast<HWND>(Window_), message, WPARAM(wParam), LPARAM(lParam));
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
    if (!Process_)
        return false;
    if (Window_ != kNoWindow)
        PostMessageA(reinterpret_cast<HWND>(Window_), WM_CLOSE, 0, 0);
    bool clean = WaitForSingleObject(Process_, kExitTimeoutMs) == WAIT_OBJECT_0;
    DWORD exitCode = 1;
    if (clean)
        clean = GetExitCodeProcess(Process_, &exitCode) && exitCode == 0;
    else
        Kill();
    Release();
    return clean;
}

void TFakeWinampProcess::Kill() {
    if (!Process_)
        return;
    TerminateProcess(Process_, 1);
    WaitForSingleObject(Process_, kExitTimeoutMs);
    Release();
}

void TFakeWinampProcess::Release() {
    if (Process_)
        CloseHandle(Process_);
    Process_ = nullptr;
    ProcessId_ = 0;
    Window_ = MediaMonkeyWindow_ = kNoWindow;
}

} // namespace platform
