#include "toolkit/TextCompare.h"

#include "toolkit/CodePage.h"

namespace toolkit {

char16_t FoldCase(char16_t c) {
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? char16_t(c + 0x20) : c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) // Latin-1 capitals
        return char16_t(c + 0x20);
    if (c == 0x178) // Ÿ
        return 0xFF;
    if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return char16_t(c | 1); // Latin Extended-A pairs: capital even, small odd
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return (c & 1) ? char16_t(c + 1) : c; // pairs with the capital odd
    if (c == 0x386) // Greek capitals with tonos
        return 0x3AC;
    if (c >= 0x388 && c <= 0x38A)
        return char16_t(c + 0x25);
    if (c == 0x38C)
        return 0x3CC;
    if (c == 0x38E || c == 0x38F)
        return char16_t(c + 0x3F);
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2)
        return char16_t(c + 0x20);
    if (c >= 0x400 && c <= 0x40F) // Cyrillic Ѐ..Џ
        return char16_t(c + 0x50);
    if (c >= 0x410 && c <= 0x42F)
        return char16_t(c + 0x20);
    if (c == 0x490) // Ґ
        return 0x491;
    return c;
}

int CompareTextIgnoreCase(const std::string& a, const std::string& b) {
    const std::u16string wa = CodePageToUtf16(a, ActiveCodePage());
    const std::u16string wb = CodePageToUtf16(b, ActiveCodePage());
    const std::size_t n = wa.size() < wb.size() ? wa.size() : wb.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t ca = FoldCase(wa[i]);
        const char16_t cb = FoldCase(wb[i]);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (wa.size() == wb.size())
        return 0;
    return wa.size() < wb.size() ? -1 : 1;
}

} // namespace toolkit
