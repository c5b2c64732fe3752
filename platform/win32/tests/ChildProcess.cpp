#include "platform/win32/tests/ChildProcess.h"

#include <windows.h>

namespace platform {

TChildProcess::~TChildProcess() {
    if (Running())
        Kill();
    Release();
}

bool TChildProcess::Start(const std::string& exePath, std::string commandLine, const std::string& folder) {
    if (Running())
        Kill();
    Release();
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info))
        return false;
    CloseHandle(info.hThread);
    Process_ = info.hProcess;
    Id_ = info.dwProcessId;
    return true;
}

bool TChildProcess::Running() const {
    return Process_ && WaitForSingleObject(Process_, 0) == WAIT_TIMEOUT;
}

bool TChildProcess::WaitUntilReady(const std::function<bool()>& ready, int timeoutMs, int pollMs) {
    if (!Process_)
        return false;
    const DWORD started = GetTickCount();
    while (GetTickCount() - started < DWORD(timeoutMs)) {
        if (ready())
            return true;
        if (WaitForSingleObject(Process_, DWORD(pollMs)) != WAIT_TIMEOUT)
            return false; // it ended before it was ready
    }
    return false;
}

bool TChildProcess::Close(WindowHandle window, int timeoutMs) {
    if (!Process_)
        return false;
    if (window != kNoWindow)
        PostMessageA(reinterpret_cast<HWND>(window), WM_CLOSE, 0, 0);
    bool clean = WaitForSingleObject(Process_, DWORD(timeoutMs)) == WAIT_OBJECT_0;
    DWORD exitCode = 1;
    if (clean)
        clean = GetExitCodeProcess(Process_, &exitCode) && exitCode == 0;
    else
        Kill();
    Release();
    return clean;
}

void TChildProcess::Kill(int waitMs) {
    if (!Process_)
        return;
    TerminateProcess(Process_, 1);
    WaitForSingleObject(Process_, DWORD(waitMs));
    Release();
}

void TChildProcess::Release() {
    if (Process_)
        CloseHandle(Process_);
    Process_ = nullptr;
    Id_ = 0;
}

std::intptr_t SendToWindow(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) {
    if (window == kNoWindow)
        return 0;
    return SendMessageA(reinterpret_cast<HWND>(window), message, WPARAM(wParam), LPARAM(lParam));
}

WindowHandle FindWindowOfProcess(const std::string& className, std::uint32_t processId) {
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, className.c_str(), nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId)
            return reinterpret_cast<WindowHandle>(window);
    }
    return kNoWindow;
}

} // namespace platform
