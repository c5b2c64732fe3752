// addremove_listener: runs a command line (under Wine: regsvr32 on the plugin) while a top-level window
// listens for the registered "WMPlayer_PluginAddRemove" message, then prints how many arrived (with both
// parameters 0) and the command's exit code: "broadcasts=N exit=E". Exits with 2 when it cannot run.

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

UINT AddRemoveMessage = 0;
int Broadcasts = 0;
int Others = 0;

LRESULT CALLBACK ListenerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == AddRemoveMessage && AddRemoveMessage != 0) {
        if (wParam == 0 && lParam == 0)
            ++Broadcasts;
        else
            ++Others;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace

int main() {
    // Everything after the program's own name is the command to run.
    std::wstring command = GetCommandLineW();
    const bool quoted = !command.empty() && command[0] == L'"';
    std::size_t at = quoted ? command.find(L'"', 1) : command.find(L' ');
    if (at == std::wstring::npos)
        return 2;
    command = command.substr(at + 1);
    command.erase(0, command.find_first_not_of(L' '));
    if (command.empty())
        return 2;

    AddRemoveMessage = RegisterWindowMessageW(L"WMPlayer_PluginAddRemove");
    WNDCLASSW c = {};
    c.lpfnWndProc = ListenerProc;
    c.hInstance = GetModuleHandleW(nullptr);
    c.lpszClassName = L"AddRemoveListener";
    RegisterClassW(&c);
    // A hidden, unowned top-level window: broadcasts reach those too.
    HWND window = CreateWindowExW(0, c.lpszClassName, L"listener", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                  nullptr, nullptr, c.hInstance, nullptr);
    if (!window)
        return 2;

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return 2;
    const DWORD deadline = GetTickCount() + 60000;
    while (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0) {
        Pump();
        if (GetTickCount() > deadline) {
            TerminateProcess(process.hProcess, 3);
            break;
        }
    }
    // The broadcast was posted before the command ended; give the queue a moment and empty it.
    for (int i = 0; i < 10; ++i) {
        Pump();
        Sleep(20);
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    DestroyWindow(window);
    std::printf("broadcasts=%d exit=%lu\n", Broadcasts, static_cast<unsigned long>(exitCode));
    return Others == 0 ? 0 : 1;
}
