#include "wmp_plugin/AnsiEncoder.h"

namespace wmp_plugin {

namespace {

// Bytes 0x80 to 0x9F of Windows-1252; 0 marks the five bytes the page leaves undefined. The other bytes
// stand for the code points of the same value.
const char16_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

char ToWindows1252(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return char(c);
    for (int i = 0; i < 32; ++i) {
        if (kWindows1252High[i] != 0 && kWindows1252High[i] == c)
            return char(0x80 + i);
    }
    return '?';
}

} // namespace

std::string TWindows1252Encoder::Encode(const std::u16string& text) const {
    std::string bytes;
    bytes.reserve(text.size());
    for (char16_t c : text)
        bytes.push_back(ToWindows1252(c));
    return bytes;
}

} // namespace wmp_plugin
