#pragma once
// Comparing single-byte text of the active code page without regard to case. Letters are folded to lower
// case through their Unicode values (Latin, Greek and Cyrillic letters of the four code pages), so "Ä"
// equals "ä" under 1252 and "Я" equals "я" under 1251. The order is that of the folded code points.

#include <string>

namespace toolkit {

// Negative, zero or positive as a sorts before, equal to or after b.
int CompareTextIgnoreCase(const std::string& a, const std::string& b);
inline bool SameTextIgnoreCase(const std::string& a, const std::string& b) {
    return CompareTextIgnoreCase(a, b) == 0;
}

// The lower-case form of one UTF-16 code unit of the Latin, Greek and Cyrillic blocks.
char16_t FoldCase(char16_t c);

} // namespace toolkit
