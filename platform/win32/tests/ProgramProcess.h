#pragma once
// Test fixture of the Windows build: runs a real GUI program as a process of its own and reaches it the way a
// user does, through its top-level window: the caption, posted key presses, a close request, and pictures of
// the window as the X server shows it. The fixture owns the process and ends it when destroyed, whatever
// happened in the test.
//
// Pictures come from screenshot-service.sh, which runs the test and takes X screenshots for it on the build
// machine's side (ImageMagick's `import`): the test drops a request naming the screen rectangle into the
// service's folder ($CANTREL_SHOT_DIR) and the picture appears beside it. (Started from inside Wine,
// `import` leaves Wine's OpenGL windows black for good, hence the service outside.)

#include "platform/Platform.h"
#include "platform/win32/tests/ChildProcess.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// An RGB picture, 3 bytes a pixel, rows top to bottom.
struct TRgbImage {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Pixels;

    const std::uint8_t* At(int x, int y) const { return &Pixels[(std::size_t(y) * Width + x) * 3]; }
};

class TProgramProcess {
public:
    TProgramProcess() = default;
    ~TProgramProcess() = default;
    TProgramProcess(const TProgramProcess&) = delete;
    TProgramProcess& operator=(const TProgramProcess&) = delete;

    // Starts the program with no arguments in the given folder and waits until it shows a top-level window.
    // False, with nothing left running, when it does not within the time-out.
    bool Start(const std::string& exePath, const std::string& folder, int timeoutMs = 60000);
    bool Running() const { return Child_.Running(); }
    std::uint32_t ProcessId() const { return Child_.Id(); }
    // The program's shown top-level window.
    WindowHandle Window() const { return Window_; }
    std::string Caption() const;

    // A key press and release of a virtual key, posted to the window as the keyboard would deliver it.
    void PressKey(std::uint32_t virtualKey);
    // A shown top-level window of the program with exactly this caption (a dialog it opened), or kNoWindow.
    WindowHandle FindWindowByCaption(const std::string& caption) const;
    // Keys typed on the keyboard into the window, which is brought to the front first: all pressed in
    // order (the first ones held, as Ctrl or Alt are), then released in reverse order. Unlike a posted key,
    // the program sees the modifiers held. False when the window cannot be brought to the front.
    bool TypeKeys(WindowHandle window, const std::vector<std::uint32_t>& virtualKeys);
    // A click of the left mouse button at a point of the window's client area, with the real mouse (the
    // window is brought to the front first). False when the window cannot be brought to the front.
    bool ClickAt(WindowHandle window, int x, int y);
    // The size of the window's client area.
    void ClientSize(WindowHandle window, int& width, int& height) const;
    // Asks the window to close and waits for the process to end; true when it ended by itself with code 0.
    bool Close(int timeoutMs = 30000);
    void Kill();

    // The window's client area as the X server shows it now. Empty on failure, and when the test does not
    // run under screenshot-service.sh.
    TRgbImage Screenshot() const;

private:
    TChildProcess Child_;
    WindowHandle Window_ = kNoWindow;
};

// Ends the process that owns the top-level window of the class, if there is one (a program the tested
// program started, left behind by a failed test).
void EndProcessOfWindowClass(const std::string& className);

// Sets (or, with an empty value, removes) an environment variable of this process; programs it starts
// afterwards inherit it.
void SetEnvironment(const std::string& name, const std::string& value);

// The Windows form of a path of the build machine: Wine's drive Z: is its root folder.
std::string WindowsPathOf(const std::string& unixPath);

} // namespace platform
