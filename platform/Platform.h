#pragma once
// The one door to the operating system for the core. Drivers and the session talk to these interfaces,
// never to the OS, so the same code runs against Win32, the Linux back end and the in-process fakes.
//
// Text crosses this door as UTF-8 (captions): the core converts it to and from its active code page.
// Paths are program paths: the file system's own bytes on Linux, UTF-8 on Windows.

#include <cstddef>
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
constexpr std::uint32_t WM_KEYDOWN_ = 256;
constexpr std::uint32_t WM_KEYUP_ = 257;
constexpr std::uint32_t WM_CHAR_ = 258;

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
    // The virtual key that types the character on the current keyboard layout; -1 when no key does.
    virtual std::int32_t VirtualKeyOfChar(char character) = 0;
};

class IClock {
public:
    virtual ~IClock() = default;
    // Milliseconds since some fixed point; a 32-bit counter that wraps.
    virtual std::uint32_t TickCount() = 0;
};

// A block of memory shared with other processes under a name, mapped for reading and writing. The other
// side may write it at any time: read a field by copying it out, and never read past Size().
class ISharedMemory {
public:
    virtual ~ISharedMemory() = default;
    virtual unsigned char* Data() = 0;
    virtual std::size_t Size() const = 0;
};

// A named event that other processes signal.
class INamedEvent {
public:
    virtual ~INamedEvent() = default;
    // Waits at most timeoutMs; true when the event was signalled (an auto-reset event is reset by this).
    virtual bool Wait(std::uint32_t timeoutMs) = 0;
    virtual bool Signal() = 0;
};

// Named objects shared between processes. Each opens the object when it exists and creates it otherwise;
// the object lives while any process holds it. Safe to call from any thread.
class INamedObjects {
public:
    virtual ~INamedObjects() = default;
    // The block of the name, mapped whole (size bytes); null when it cannot be created, opened or mapped (an
    // existing block smaller than size included).
    virtual std::unique_ptr<ISharedMemory> OpenSharedMemory(const std::string& name, std::size_t size) = 0;
    // An auto-reset event, not signalled when created; null when it cannot be had.
    virtual std::unique_ptr<INamedEvent> OpenAutoResetEvent(const std::string& name) = 0;
};

// The real back ends of this build (Win32 on Windows, Linux elsewhere). Process-wide and thread-safe to call.
IWindowSystem& SystemWindows();
IClock& SystemClock();
// Linux has no such objects shared with the Windows players: there every open fails.
INamedObjects& SystemNamedObjects();

// The folder of the running executable with its trailing separator.
std::string ProgramFolder();
// The user's own data folder, without a trailing separator, where the program keeps its settings when its
// own folder cannot be written: $XDG_DATA_HOME, else $HOME/.local/share on Linux; the roaming application
// data folder on Windows. Empty when there is none.
std::string UserDataFolder();
// The separator of path components ('/' on Linux, '\\' on Windows).
char PathSeparator();

// A file name as another program hands it over in the system's 8-bit code page, as a program path: from the
// ANSI code page to UTF-8 on Windows, unchanged on Linux.
std::string PathFromSystemFileName(const std::string& bytes);

// Lets a program without a console window of its own (Windows) print to the console it was started from, for
// its --help and --version. Nothing to do on Linux.
void AttachParentConsole();

// True when the file carries both the hidden and the system attribute (never on Linux, which has neither).
bool IsHiddenSystemFile(const std::string& path);

} // namespace platform
