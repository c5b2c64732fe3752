#pragma once
// Test fixture of the Windows build: the process of a program a fixture started. It asks the program to close
// the way a user does (a close request to its window), waits, and ends it at once when it does not go.

#include "platform/Platform.h"

#include <cstdint>
#include <functional>
#include <string>

namespace platform {

class TChildProcess {
public:
    TChildProcess() = default;
    // Ends the process if it still runs.
    ~TChildProcess();
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;

    // Starts the program with the command line (the program's own path included) in the folder (empty: this
    // process's). A process still held is ended first. False when the program cannot be started.
    bool Start(const std::string& exePath, std::string commandLine, const std::string& folder = {});
    bool Running() const;
    bool Started() const { return Process_ != nullptr; }
    std::uint32_t Id() const { return Id_; }

    // Checks ready every pollMs until it holds; false when the time-out passes or the process ends first.
    bool WaitUntilReady(const std::function<bool()>& ready, int timeoutMs, int pollMs);
    // Asks the window to close and waits for the process to end, then lets the process go; true when it
    // ended by itself with code 0. A process that does not end in time is ended at once.
    bool Close(WindowHandle window, int timeoutMs);
    // Ends the process at once, as a crash would, waits up to waitMs for it to go, then lets it go.
    void Kill(int waitMs = 10000);

private:
    void Release();

    void* Process_ = nullptr; // process handle
    std::uint32_t Id_ = 0;
};

// Sends the message to the window and returns its answer; 0 when there is no window.
std::intptr_t SendToWindow(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam);

// The first top-level window of the class that belongs to the process, or kNoWindow.
WindowHandle FindWindowOfProcess(const std::string& className, std::uint32_t processId);

} // namespace platform
