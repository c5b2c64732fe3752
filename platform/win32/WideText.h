#pragma once
// Conversions at the Win32 boundary: the system speaks UTF-16; the platform layer hands the program UTF-8
// (captions) and program paths (UTF-8 on Windows). Malformed input never fails a conversion: the system
// puts U+FFFD in its place.

#include <windows.h>

#include <string>

namespace platform::win32 {

inline std::wstring Utf8ToWide(const std::string& text) {
    if (text.empty())
        return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring out(std::size_t(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), out.data(), n);
    return out;
}

inline std::string WideToUtf8(const wchar_t* text, std::size_t length) {
    if (length == 0)
        return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, int(length), nullptr, 0, nullptr, nullptr);
    std::string out(std::size_t(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text, int(length), out.data(), n, nullptr, nullptr);
    return out;
}

inline std::string WideToUtf8(const std::wstring& text) {
    return WideToUtf8(text.data(), text.size());
}

// Bytes in the system's ANSI code page (what players that speak 8-bit text hand out) as UTF-8.
inline std::string AnsiToUtf8(const std::string& bytes) {
    if (bytes.empty())
        return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    std::wstring wide(std::size_t(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), wide.data(), n);
    return WideToUtf8(wide);
}

} // namespace platform::win32
