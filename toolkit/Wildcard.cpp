#include "toolkit/Wildcard.h"

#include "toolkit/CodePage.h"

namespace toolkit {
namespace {

// The lower-case letter of an upper-case letter in the scripts the code pages hold; others stay.
char16_t LowerLetter(char16_t c) {
    if (c >= u'A' && c <= u'Z')
        return char16_t(c + 32);
    if (c < 0xC0)
        return c;
    if (c <= 0xDE)
        return c == 0xD7 ? c : char16_t(c + 32);
    if (c >= 0x100 && c <= 0x17F) { // Latin Extended-A: upper/lower pairs, shifted by one in two runs
        if (c == 0x178)
            return 0xFF;
        const bool upperIsOdd = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F)
            return c;
        return (c % 2 == 1) == upperIsOdd ? char16_t(c + 1) : c;
    }
    if (c == 0x386)
        return 0x3AC;
    if (c >= 0x388 && c <= 0x38A)
        return char16_t(c + 37);
    if (c == 0x38C)
        return 0x3CC;
    if (c == 0x38E || c == 0x38F)
        return char16_t(c + 63);
    if ((c >= 0x391 && c <= 0x3A1) || (c >= 0x3A3 && c <= 0x3AB))
        return char16_t(c + 32);
    if (c >= 0x400 && c <= 0x40F)
        return char16_t(c + 80);
    if (c >= 0x410 && c <= 0x42F)
        return char16_t(c + 32);
    if (c == 0x490)
        return 0x491;
    return c;
}

} // namespace

TCaseTable LowerCaseTable(int codePage) {
    TCaseTable table{};
    for (int b = 0; b < 256; ++b) {
        table[b] = static_cast<unsigned char>(b);
        const std::u16string wide = CodePageToUtf16(std::string(1, char(b)), codePage);
        const char16_t lower = LowerLetter(wide[0]);
        if (lower == wide[0])
            continue;
        const std::string back = Utf16ToCodePage(std::u16string(1, lower), codePage);
        if (back.size() == 1 && back[0] != '?')
            table[b] = static_cast<unsigned char>(back[0]);
    }
    return table;
}

TWildcardPattern::TWildcardPattern(std::string_view pattern, const TCaseTable& lower)
    : Pattern_(pattern), Lower_(lower) {
    for (char& c : Pattern_)
        c = char(Lower_[static_cast<unsigned char>(c)]);
}

// Greedy match with one backtrack point (the last "*"): linear for names without "*" runs, at worst
// name length times pattern length.
bool TWildcardPattern::Matches(std::string_view name) const {
    std::size_t n = 0, p = 0;
    std::size_t starP = std::string::npos, starN = 0;
    while (n < name.size()) {
        const char c = char(Lower_[static_cast<unsigned char>(name[n])]);
        if (p < Pattern_.size() && Pattern_[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < Pattern_.size() && (Pattern_[p] == '?' || Pattern_[p] == c)) {
            ++p;
            ++n;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < Pattern_.size() && Pattern_[p] == '*')
        ++p;
    return p == Pattern_.size();
}

bool WildcardMatch(std::string_view name, std::string_view pattern) {
    return TWildcardPattern(pattern, LowerCaseTable(ActiveCodePage())).Matches(name);
}

} // namespace toolkit
