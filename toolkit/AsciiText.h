#pragma once
// Small helpers for protocol and file-format text, where only ASCII letters count as letters
// (names in INI files, URL schemes, percent escapes). Text shown to the user uses TextCompare.h instead.

#include <string>
#include <string_view>

namespace toolkit {

inline char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c; }

inline std::string LowerAscii(std::string text) {
    for (char& c : text)
        c = LowerAscii(c);
    return text;
}

inline bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

// The value of a hexadecimal digit, or -1 when c is none.
inline int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace toolkit
