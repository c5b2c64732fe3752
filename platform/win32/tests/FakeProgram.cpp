#include "platform/win32/tests/FakeProgram.h"

#include <cstdlib>

namespace fake_program {
namespace {

constexpr UINT_PTR kParentTimer = 1;
constexpr UINT kParentCheckMs = 200;

HANDLE Parent = nullptr;

} // namespace

bool WatchParent(const char* processId) {
    if (Parent)
        CloseHandle(Parent);
    Parent = OpenProcess(SYNCHRONIZE, FALSE, DWORD(std::strtoul(processId, nullptr, 10)));
    return Parent != nullptr;
}

void OnTimer(HWND window, WPARAM timer) {
    if (timer == kParentTimer && Parent && WaitForSingleObject(Parent, 0) != WAIT_TIMEOUT)
        PostMessageW(window, WM_CLOSE, 0, 0); // the test is gone: do not outlive it
}

void RunMessageLoop(HWND window, bool translateKeys) {
    if (Parent)
        SetTimer(window, kParentTimer, kParentCheckMs, nullptr);
    const bool unicode = IsWindowUnicode(window);
    MSG msg;
    while ((unicode ? GetMessageW(&msg, nullptr, 0, 0) : GetMessageA(&msg, nullptr, 0, 0)) > 0) {
        if (translateKeys)
            TranslateMessage(&msg);
        if (unicode)
            DispatchMessageW(&msg);
        else
            DispatchMessageA(&msg);
    }
    if (Parent)
        CloseHandle(Parent);
    Parent = nullptr;
}

} // namespace fake_program
