#include "platform/fake/FakeWindowSystem.h"

#include <algorithm>
#include <cstring>

namespace platform {

WindowHandle TFakeWindowSystem::AddWindow(const std::string& className, const std::string& caption,
                                          THandler handler) {
    const WindowHandle handle = NextHandle_;
    NextHandle_ += 4;
    Windows_[handle] = TWindow{className, caption, std::move(handler), {}};
    return handle;
}

void TFakeWindowSystem::RemoveWindow(WindowHandle window) {
    Windows_.erase(window);
}

void TFakeWindowSystem::SetHandler(WindowHandle window, THandler handler) {
    auto it = Windows_.find(window);
    if (it != Windows_.end())
        it->second.handler = std::move(handler);
}

void TFakeWindowSystem::SetProcessString(WindowHandle window, std::uintptr_t address,
                                         const std::string& text) {
    auto it = Windows_.find(window);
    if (it != Windows_.end())
        it->second.memory[address] = text;
}

WindowHandle TFakeWindowSystem::FindWindowOfClass(const std::string& className) {
    for (const auto& [handle, window] : Windows_)
        if (window.className == className)
            return handle;
    return kNoWindow;
}

bool TFakeWindowSystem::IsWindowAlive(WindowHandle window) {
    return Windows_.count(window) != 0;
}

std::string TFakeWindowSystem::GetCaption(WindowHandle window) {
    auto it = Windows_.find(window);
    return it == Windows_.end() ? std::string() : it->second.caption;
}

bool TFakeWindowSystem::SetCaption(WindowHandle window, const std::string& caption) {
    auto it = Windows_.find(window);
    if (it == Windows_.end())
        return false;
    it->second.caption = caption;
    return true;
}

std::intptr_t TFakeWindowSystem::Send(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                      std::intptr_t lParam) {
    Messages.push_back({window, message, wParam, lParam, false});
    auto it = Windows_.find(window);
    if (it == Windows_.end() || !it->second.handler)
        return 0;
    // Copy the handler: it may destroy its own window.
    THandler handler = it->second.handler;
    return handler(message, wParam, lParam);
}

bool TFakeWindowSystem::Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                             std::intptr_t lParam) {
    Messages.push_back({window, message, wParam, lParam, true});
    auto it = Windows_.find(window);
    if (it == Windows_.end())
        return false;
    if (it->second.handler) {
        THandler handler = it->second.handler;
        handler(message, wParam, lParam);
    }
    return true;
}

void TFakeWindowSystem::BringToTop(WindowHandle window) {
    BroughtToTop.push_back(window);
}

std::string TFakeWindowSystem::ReadProcessFileName(WindowHandle window, std::uintptr_t address,
                                                   std::size_t maxLength) {
    auto it = Windows_.find(window);
    if (it == Windows_.end())
        return {};
    auto mem = it->second.memory.find(address);
    if (mem == it->second.memory.end())
        return {};
    const std::string& text = mem->second;
    // The string ends at its first zero or, stored without one, at its end; that zero must lie within the
    // bound.
    const std::size_t zero = std::min(text.find('\0'), text.size());
    return zero < maxLength ? text.substr(0, zero) : std::string();
}

std::int32_t TFakeWindowSystem::VirtualKeyOfChar(char character) {
    const auto it = KeyboardLayout.find(character);
    if (it != KeyboardLayout.end())
        return it->second;
    if (character >= 'a' && character <= 'z')
        return character - 'a' + 'A';
    if ((character >= 'A' && character <= 'Z') || (character >= '0' && character <= '9'))
        return character;
    return -1;
}

} // namespace platform
