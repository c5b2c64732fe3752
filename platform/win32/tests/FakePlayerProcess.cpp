#include "platform/win32/tests/FakePlayerProcess.h"

#include "platform/win32/tests/WaitUntil.h"

#include <windows.h>

namespace platform {
namespace {

constexpr int kStartTimeoutMs = 30000;
constexpr int kExitTimeoutMs = 10000;
constexpr int kSyncTimeoutMs = 10000;

} // namespace

bool TFakePlayerProcess::Start(const std::string& exePath, const std::string& arguments,
                               const std::string& windowClass) {
    Window_ = kNoWindow;
    std::string commandLine = "\"" + exePath + "\" --parent " + std::to_string(GetCurrentProcessId());
    if (!arguments.empty())
        commandLine += " " + arguments;
    if (!Child_.Start(exePath, commandLine))
        return false;
    const bool shown = Child_.WaitUntilReady(
        [&] { return (Window_ = FindWindowOfProcess(windowClass, Child_.Id())) != kNoWindow; },
        kStartTimeoutMs, 10);
    if (!shown)
        Kill();
    return shown;
}

std::intptr_t TFakePlayerProcess::Control(std::uint32_t message, std::uintptr_t wParam,
                                          std::intptr_t lParam) {
    return SendToWindow(Window_, message, wParam, lParam);
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
    return testing_support::WaitUntil(
        [&] { return std::uintptr_t(Get(fake_player::TField::SyncToken)) == token; }, kSyncTimeoutMs, 5);
}

bool TFakePlayerProcess::Quit() {
    const bool clean = Child_.Close(Window_, kExitTimeoutMs);
    Window_ = kNoWindow;
    return clean;
}

void TFakePlayerProcess::Kill() {
    Child_.Kill(kExitTimeoutMs);
    Window_ = kNoWindow;
}

} // namespace platform
