#pragma once
// Test fixture of the Windows build: starts one of the fake player programs (fake_player.exe as
// Quintessential Player or Sonique, fake_wmp.exe as a Windows Media Player host) as a process of its own,
// sets what it answers and reads back the messages it received. The fixture owns the process and ends it when
// destroyed, whatever happened in the test; the programs also end themselves when the process that started
// them has gone.

#include "platform/Platform.h"
#include "platform/win32/tests/ChildProcess.h"
#include "platform/win32/tests/FakePlayerControl.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

class TFakePlayerProcess {
public:
    struct TRecord {
        std::uint32_t message;
        std::uintptr_t wParam;
        std::intptr_t lParam;
        bool sent; // false: posted
        bool operator==(const TRecord& o) const {
            return message == o.message && wParam == o.wParam && lParam == o.lParam && sent == o.sent;
        }
    };

    TFakePlayerProcess() = default;
    ~TFakePlayerProcess() = default;
    TFakePlayerProcess(const TFakePlayerProcess&) = delete;
    TFakePlayerProcess& operator=(const TFakePlayerProcess&) = delete;

    // Starts the program with the arguments (the parent's id is added) and waits until its window of the
    // class exists. False, with nothing left running, when it cannot.
    bool Start(const std::string& exePath, const std::string& arguments, const std::string& windowClass);
    bool Running() const { return Child_.Running(); }
    WindowHandle Window() const { return Window_; }

    void SetCaption(const std::string& caption);
    void Set(fake_player::TField field, std::int32_t value);
    std::int32_t Get(fake_player::TField field);
    // WM_COPYDATA of the kind with the bytes.
    void SendData(fake_player::TData kind, const void* bytes, std::size_t size);
    // Sonique: signals the change event. WMP: reports a play state to the plugin.
    void Announce();
    void ReportPlayState(std::int32_t state);

    // The messages received so far. Sync first to see everything posted to the program before the call.
    std::vector<TRecord> Records();
    void ClearRecords();
    // Waits until the program has handled every message posted to its window before this call.
    bool Sync();

    // Asks the program to close and waits until the process has ended; true when it ended by itself.
    bool Quit();
    // Ends the process at once, as a crash would.
    void Kill();

private:
    std::intptr_t Control(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

    TChildProcess Child_;
    WindowHandle Window_ = kNoWindow;
    std::uintptr_t SyncToken_ = 0;
};

} // namespace platform
