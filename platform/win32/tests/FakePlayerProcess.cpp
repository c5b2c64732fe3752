#include "platform/win32/tests/FakePlayerProcess.h"

#include <windows.h>

namespace platform {
namespace {

constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kExitTimeoutMs = 10000;
constexpr DWORD kSyncTimeoutMs = 10000;

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

TFakePlayerProcess::~TFakePlayerProcess() {
    if (Running())
        Kill();
    Release();
}

bool TFakePlayerProcess::Start(const std::string& exePath, const std::string& arguments,
                               const std::string& windowClass) {
    if (Running())
        Kill();
    Release();
    std::string commandLine = "\"" + exePath + "\" --parent " + std::to_string(GetCurrentProcessId());
    if (!arguments.empty())
        commandLine += " " + arguments;
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
        if (HWND window = FindWindowOfProcess(windowClass.c_str(), ProcessId_)) {
            Window_ = reinterpret_cast<WindowHandle>(window);
            return true;
        }
        if (WaitForSingleObject(Process_, 10) != WAIT_TIMEOUT)
            break; // it ended before showing its window
    }
    Kill();
    Release();
    return false;
}

bool TFakePlayerProcess::Running() const {
    return Process_ && WaitForSingleObject(Process_, 0) == WAIT_TIMEOUT;
}

std::intptr_t TFakePlayerProcess::Control(std::uint32_t message, std::uintptr_t wParam,
                                          std::intptr_t lParam) {
    if (Window_ == kNoWindow)
        return 0;
    return SendMessageA(reinterpret_cast<HWND>(Window_), message, WPARAM(wParam), LPARAM(lParam));
}

void TFakePlayerProcess::SetCaption(const std::string& caption) {
    if (Window_ != kNoWindow)
        SetWindowTextA(reinterpret_cast<HWND>(Window_), caption.c_str());
}

void TFakePlayerProcess::Set(fake_player::TField field, std::int32_t value) {
    Control(fake_player::kSetField, std::uintptr_t(field), value);
}

std::int32_t TFakePlayerProcess::Get(fake_player::TField field) {
    return std::int32_t(Control(fake_player::kGetField, std::uintptr_t(field), 0));
}

void TFakePlayerProcess::SendData(fake_player::TData kind, const void* bytes, std::size_t size) {
    COPYDATASTRUCT copy{};
    copy.dwData = ULONG_PTR(kind);
    copy.cbData = DWORD(size);
    copy.lpData = const_cast<void*>(bytes);
    Control(WM_COPYDATA, 0, reinterpret_cast<std::intptr_t>(&copy));
}

void TFakePlayerProcess::Announce() {
    Control(fake_player::kAnnounce, 0, 0);
}

void TFakePlayerProcess::ReportPlayState(std::int32_t state) {
    Control(fake_player::kPlayState, std::uintptr_t(state), 0);
}

std::vector<TFakePlayerProcess::TRecord> TFakePlayerProcess::Records() {
    using fake_player::TPart;
    std::vector<TRecord> records;
    const auto count = Control(fake_player::kRecordCount, 0, 0);
    for (std::intptr_t i = 0; i < count; ++i) {
        const auto at = std::uintptr_t(i);
        records.push_back({std::uint32_t(Control(fake_player::kRecordAt, at, std::intptr_t(TPart::Message))),
                           std::uintptr_t(Control(fake_player::kRecordAt, at, std::intptr_t(TPart::WParam))),
                           Control(fake_player::kRecordAt, at, std::intptr_t(TPart::LParam)),
                           Control(fake_player::kRecordAt, at, std::intptr_t(TPart::Sent)) != 0});
    }
    return records;
}

void TFakePlayerProcess::ClearRecords() {
    Control(fake_player::kClearRecords, 0, 0);
}

bool TFakePlayerProcess::Sync() {
    if (Window_ == kNoWindow)
        return false;
    // Posted messages from one thread to one window arrive in order: once the token is back, everything
    // posted before it has been handled.
    const std::uintptr_t token = ++SyncToken_;
    if (!PostMessageA(reinterpret_cast<HWND>(Window_), fake_player::kSync, WPARAM(token), 0))
        return false;
    const DWORD started = GetTickCount();
    while (GetTickCount() - started < kSyncTimeoutMs) {
        if (std::uintptr_t(Get(fake_player::TField::SyncToken)) == token)
            return true;
        Sleep(5);
    }
    return false;
}

bool TFakePlayerProcess::Quit() {
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

void TFakePlayerProcess::Kill() {
    if (!Process_)
        return;
    TerminateProcess(Process_, 1);
    WaitForSingleObject(Process_, kExitTimeoutMs);
    Release();
}

void TFakePlayerProcess::Release() {
    if (Process_)
        CloseHandle(Process_);
    Process_ = nullptr;
    ProcessId_ = 0;
    Window_ = kNoWindow;
}

} // namespace platform
