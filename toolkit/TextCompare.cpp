#include "toolkit/TextCompare.h"

#include "toolkit/CodePage.h"

#include <array>

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
    if (c == 0x386)                           // Greek capitals with tonos
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

namespace {

// Each byte of a code page mapped to its folded UTF-16 value, built once per code page.
using TFoldTable = std::array<char16_t, 256>;

TFoldTable MakeFoldTable(int codePage) {
    TFoldTable table{};
    std::string all(256, '\0');
    for (int b = 0; b < 256; ++b)
        all[std::size_t(b)] = char(b);
    const std::u16string wide = CodePageToUtf16(all, codePage);
    for (std::size_t b = 0; b < 256; ++b)
        table[b] = FoldCase(wide[b]);
    return table;
}

const TFoldTable& FoldTable(int codePage) {
    static const TFoldTable t1250 = MakeFoldTable(1250);
    static const TFoldTable t1251 = MakeFoldTable(1251);
    static const TFoldTable t1252 = MakeFoldTable(1252);
    static const TFoldTable t1253 = MakeFoldTable(1253);
    switch (codePage) {
    case 1250:
        return t1250;
    case 1251:
        return t1251;
    case 1253:
        return t1253;
    default:
        return t1252;
    }
}

} // namespace

int CompareTextIgnoreCase(const std::string& a, const std::string& b) {
    const TFoldTable& fold = FoldTable(ActiveCodePage());
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t ca = fold[static_cast<unsigned char>(a[i])];
        const char16_t cb = fold[static_cast<unsigned char>(b[i])];
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

} // namespace toolkit
