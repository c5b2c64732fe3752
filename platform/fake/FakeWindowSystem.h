#pragma once
// In-process fake of the window system for tests: windows with a class, a caption and a message handler,
// created and destroyed by the test, a record of every message sent or posted, and strings placed at
// "addresses" of a window's owner process.

#include "platform/Platform.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace platform {

class TFakeWindowSystem final : public IWindowSystem {
public:
    using THandler =
        std::function<std::intptr_t(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)>;

    struct TMessage {
        WindowHandle window;
        std::uint32_t message;
        std::uintptr_t wParam;
        std::intptr_t lParam;
        bool posted;
    };

    // Creates a top-level window; windows of one class are found in creation order.
    WindowHandle AddWindow(const std::string& className, const std::string& caption, THandler handler = {});
    void RemoveWindow(WindowHandle window);
    void SetHandler(WindowHandle window, THandler handler);
    // Places a zero-terminated string at an address of the window's owner process.
    void SetProcessString(WindowHandle window, std::uintptr_t address, const std::string& text);

    std::vector<TMessage> Messages;         // every message sent or posted, in order
    std::vector<WindowHandle> BroughtToTop; // every BringToTop call, in order
    // The keyboard layout: characters listed here type on that key; other letters and digits on the key of
    // their upper-case letter (as on a US layout); everything else on none.
    std::map<char, std::int32_t> KeyboardLayout;

    WindowHandle FindWindowOfClass(const std::string& className) override;
    bool IsWindowAlive(WindowHandle window) override;
    std::string GetCaption(WindowHandle window) override;
    bool SetCaption(WindowHandle window, const std::string& caption) override;
    std::intptr_t Send(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                       std::intptr_t lParam) override;
    bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
              std::intptr_t lParam) override;
    void BringToTop(WindowHandle window) override;
    std::string ReadProcessFileName(WindowHandle window, std::uintptr_t address,
                                    std::size_t maxLength = 260) override;
    std::int32_t VirtualKeyOfChar(char character) override;

private:
    struct TWindow {
        std::string className;
        std::string caption;
        THandler handler;
        std::map<std::uintptr_t, std::string> memory;
    };
    std::map<WindowHandle, TWindow> Windows_; // handles grow, so map order is creation order
    WindowHandle NextHandle_ = 0x100;
};

// A clock the test sets and moves by hand.
class TFakeClock final : public IClock {
public:
    std::uint32_t Now = 0;
    std::uint32_t TickCount() override {
        ++Reads;
        return Now;
    }
    void Advance(std::uint32_t ms) { Now += ms; }
    int Reads = 0;
};

} // namespace platform
