#include "wmp_plugin/win32/SystemAnsiEncoder.h"

#include <windows.h>

namespace wmp_plugin {

std::string TSystemAnsiEncoder::Encode(const std::u16string& text) const {
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t");
    if (text.empty())
        return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int length = int(text.size());
    // Code pages such as UTF-8 refuse the no-best-fit flag; they have every character anyway.
    DWORD flags = WC_NO_BEST_FIT_CHARS;
    int size = WideCharToMultiByte(CP_ACP, flags, wide, length, nullptr, 0, nullptr, nullptr);
    if (size == 0 && GetLastError() == ERROR_INVALID_FLAGS) {
        flags = 0;
        size = WideCharToMultiByte(CP_ACP, flags, wide, length, nullptr, 0, nullptr, nullptr);
    }
    if (size <= 0)
        return {};
    std::string bytes(size_t(size), '\0');
    size = WideCharToMultiByte(CP_ACP, flags, wide, length, bytes.data(), size, nullptr, nullptr);
    bytes.resize(size_t(size > 0 ? size : 0));
    return bytes;
}

} // namespace wmp_plugin
