#pragma once
// The one door to the operating system for the core. Drivers and the session talk to these interfaces,
// never to the OS, so the same code runs against Win32, the Linux back end and the in-process fakes.
//
// Text crosses this door as UTF-8 (captions): the core converts it to and from its active code page.
// Paths are program paths: the file system's own bytes on Linux, UTF-8 on Windows.

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// A top-level window of another program. 0 means "no window".
using WindowHandle = std::uintptr_t;
constexpr WindowHandle kNoWindow = 0;

// Message numbers of the Windows message interface that the players answer.
constexpr std::uint32_t WM_COMMAND_ = 273;
constexpr std::uint32_t WM_USER_ = 1024;

class IWindowSystem {
public:
    virtual ~IWindowSystem() = default;

    // The first top-level window of the class (no caption filter), or kNoWindow.
    virtual WindowHandle FindWindowOfClass(const std::string& className) = 0;
    virtual bool IsWindowAlive(WindowHandle window) = 0;
    // The caption in UTF-8, empty when the window is gone.
    virtual std::string GetCaption(WindowHandle window) = 0;
    virtual bool SetCaption(WindowHandle window, const std::string& utf8Caption) = 0;
    // Synchronous message; the answer is the message's return value, 0 when the window is gone.
    virtual std::intptr_t Send(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                               std::intptr_t lParam) = 0;
    // Posted message; false when the window is gone.
    virtual bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                      std::intptr_t lParam) = 0;
    virtual void BringToTop(WindowHandle window) = 0;
    // A file name that the process owning the window holds at an address, as a zero-terminated string in the
    // system's 8-bit code page; returned as a program path. Its zero must lie within the first maxLength
    // bytes. Empty on any failure, a string without a zero there included.
    virtual std::string ReadProcessFileName(WindowHandle window, std::uintptr_t address,
                                            std::size_t maxLength = 260) = 0;
};

class IClock {
public:
    virtual ~IClock() = default;
    // Milliseconds since some fixed point; a 32-bit counter that wraps.
    virtual std::uint32_t TickCount() = 0;
};

// The real back ends of this build (Win32 on Windows, Linux elsewhere). Process-wide and thread-safe to call.
IWindowSystem& SystemWindows();
IClock& SystemClock();

// The folder of the running executable with its trailing separator.
std::string ProgramFolder();
// The separator of path components ('/' on Linux, '\\' on Windows).
char PathSeparator();

// True when the file carries both the hidden and the system attribute (never on Linux, which has neither).
bool IsHiddenSystemFile(const std::string& path);

} // namespace platform
