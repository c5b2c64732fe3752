#pragma once
// What the fake player programs share: they end themselves when the test that started them has gone (the
// test passes its process id with --parent), and they run their window's messages until it closes.

#include <windows.h>

namespace fake_program {

// Watches the process with the id (as given on the command line). False when it has already ended.
bool WatchParent(const char* processId);
// The window procedure's answer to WM_TIMER: when the timer is the parent check and the watched process has
// gone, asks the window to close.
void OnTimer(HWND window, WPARAM timer);
// Checks the watched process now and then, and runs the messages of the thread until the window closes;
// key presses are translated into characters only with translateKeys (a posted key-down must otherwise not
// bring a character message of its own). Messages are read as the window takes them, ANSI or Unicode.
void RunMessageLoop(HWND window, bool translateKeys);

} // namespace fake_program
