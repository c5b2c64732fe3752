#pragma once
// Small text helpers shared by the lyric units: trimming and reading decimal numbers as the lyric formats
// and song names need them.

#include <cstdint>
#include <string>
#include <string_view>

namespace lyrics {

// Without the characters of code 32 and below at both ends.
inline std::string_view TrimView(std::string_view s) {
    std::size_t begin = 0, end = s.size();
    while (begin < end && static_cast<unsigned char>(s[begin]) <= 32)
        ++begin;
    while (end > begin && static_cast<unsigned char>(s[end - 1]) <= 32)
        --end;
    return s.substr(begin, end - begin);
}

inline std::string Trim(std::string_view s) { return std::string(TrimView(s)); }

// A decimal integer: an optional sign and at least one digit, nothing else, within 32 bits. value is left
// unchanged when the text does not read.
inline bool ReadInteger(std::string_view s, std::int32_t& value) {
    bool negative = false;
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    if (s.empty() || s.size() > 10)
        return false;
    std::int64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    v = negative ? -v : v;
    if (v > INT32_MAX || v < INT32_MIN)
        return false;
    value = static_cast<std::int32_t>(v);
    return true;
}

} // namespace lyrics
