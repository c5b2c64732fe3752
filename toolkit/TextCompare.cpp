#include "toolkit/TextCompare.h"

#include "platform/TextCase.h"
#include "toolkit/CodePage.h"

#include <algorithm>

namespace toolkit {
namespace {

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// ASCII text folds letter for letter, exactly as the Unicode folding does; most names are ASCII, and this
// keeps a search over many files from calling the Unicode library for each of them.
std::u32string FoldAscii(std::string_view text) {
    std::u32string out(text.size(), U'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        out[i] = char32_t(c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
    return out;
}

std::u32string FoldWide(const std::u16string& wide) {
    return Utf16ToCodePoints(platform::FoldCase(wide));
}

} // namespace

std::u32string FoldedCodePoints(std::string_view text, int codePage) {
    if (IsAscii(text))
        return FoldAscii(text);
    return FoldWide(CodePageToUtf16(std::string(text), codePage));
}

std::u32string FoldedFileName(std::string_view name) {
    if (IsAscii(name))
        return FoldAscii(name);
    const std::string bytes(name);
    if (IsMultiByteUtf8(bytes))
        return FoldWide(Utf8ToUtf16(bytes));
    const int page = ActiveCodePage();
    return FoldWide(CodePageToUtf16(bytes, IsUtf8CodePage(page) ? 1252 : page));
}

int CompareTextIgnoreCase(std::string_view a, std::string_view b) {
    const int page = ActiveCodePage();
    const std::u32string fa = FoldedCodePoints(a, page);
    const std::u32string fb = FoldedCodePoints(b, page);
    const int r = fa.compare(fb);
    return (r > 0) - (r < 0);
}

std::string LowerCaseText(std::string_view text) {
    const int page = ActiveCodePage();
    const std::string bytes(text);
    return Utf16ToCodePage(platform::ToLowerCase(CodePageToUtf16(bytes, page)), page);
}

} // namespace toolkit
