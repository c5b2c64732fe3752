#pragma once
// Comparing text without regard to letter case, for every character set: letters are folded by the
// system's Unicode case folding (platform/TextCase.h), never by tables of our own. Text is in the active
// code page (UTF-8 under charset_unicode). The order is that of the folded code points, so it is the same
// on every machine and in every locale.

#include <string>
#include <string_view>

namespace toolkit {

// The case-folded code points of text in a code page.
std::u32string FoldedCodePoints(std::string_view text, int codePage);
// The case-folded code points of a file name as the file system gives it: UTF-8 when it is well-formed
// UTF-8, otherwise bytes of the active single-byte code page (1252 while that page is UTF-8).
std::u32string FoldedFileName(std::string_view name);

// Negative, zero or positive as a sorts before, equal to or after b (active code page).
int CompareTextIgnoreCase(std::string_view a, std::string_view b);
inline bool SameTextIgnoreCase(std::string_view a, std::string_view b) {
    return CompareTextIgnoreCase(a, b) == 0;
}

// The lower-case form of text in the active code page.
std::string LowerCaseText(std::string_view text);

} // namespace toolkit
