#pragma once
// Test fixture of the Windows build: starts fake_winamp.exe as a process of its own, sets the answers of its
// "Winamp v1.x" window and reads back the commands and seeks it received. The fixture owns the process and
// ends it when destroyed, whatever happened in the test; the program also ends itself when the process that
// started it has gone.

#include "platform/Platform.h"
#include "platform/win32/tests/ChildProcess.h"
#include "platform/win32/tests/FakeWinampControl.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

class TFakeWinampProcess {
public:
    TFakeWinampProcess() = default;
    ~TFakeWinampProcess() = default;
    TFakeWinampProcess(const TFakeWinampProcess&) = delete;
    TFakeWinampProcess& operator=(const TFakeWinampProcess&) = delete;

    // Starts the program and waits until its windows exist. False, with nothing left running, when it cannot.
    bool Start(const std::string& exePath, bool mediaMonkey = false);
    bool Running() const { return Child_.Running(); }

    WindowHandle Window() const { return Window_; }
    WindowHandle MediaMonkeyWindow() const { return MediaMonkeyWindow_; }

    void SetCaption(const std::string& caption);
    void Set(fake_winamp::TField field, std::int32_t value);
    // The path of a playlist entry; where query 211 points is chosen with TField::FileLayout.
    void SetPlaylistFile(int index, const std::string& path);

    std::vector<std::uint32_t> Commands();
    std::vector<std::int32_t> Seeks();
    void ClearRecords();

    // Asks the player to close and waits until the process has ended; true when it ended by itself.
    bool Quit();
    // Ends the process at once, as a crash would.
    void Kill();

private:
    std::intptr_t Control(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

    TChildProcess Child_;
    WindowHandle Window_ = kNoWindow;
    WindowHandle MediaMonkeyWindow_ = kNoWindow;
};

} // namespace platform
