#pragma once
// The program's code pages and the conversions between them, UTF-16 and UTF-8: the single-byte Windows
// pages 1250, 1251, 1252 and 1253, and UTF-8 (65001). Text in the program is a byte string in the "active"
// code page, the one that matches the character set of the settings (set by the settings store).

#include <string>
#include <string_view>

namespace toolkit {

constexpr int kCodePageUtf8 = 65001;

// Sets and reads the process-wide active code page (default 1252). An unknown page reads as 1252.
void SetActiveCodePage(int codePage);
int ActiveCodePage();
inline bool IsUtf8CodePage(int codePage) {
    return codePage == kCodePageUtf8;
}

// Characters a single-byte code page lacks become '?'; into UTF-8, malformed input becomes U+FFFD.
std::string Utf16ToCodePage(const std::u16string& text, int codePage);
std::u16string CodePageToUtf16(const std::string& text, int codePage);
std::string Utf8ToCodePage(const std::string& text, int codePage);
std::string CodePageToUtf8(const std::string& text, int codePage);

// The same conversions to and from the active code page.
inline std::string Utf16ToActive(const std::u16string& text) {
    return Utf16ToCodePage(text, ActiveCodePage());
}
inline std::string Utf8ToActive(const std::string& text) {
    return Utf8ToCodePage(text, ActiveCodePage());
}
inline std::string ActiveToUtf8(const std::string& text) {
    return CodePageToUtf8(text, ActiveCodePage());
}

// The code points of text in a code page; malformed UTF-8 gives U+FFFD.
std::u32string CodePageToCodePoints(std::string_view text, int codePage);
// UTF-16 to code points and back; a lone surrogate gives U+FFFD.
std::u32string Utf16ToCodePoints(const std::u16string& text);

// The length in bytes of the text's first character (0 for empty text; a malformed UTF-8 byte counts as
// one character).
std::size_t FirstCharLength(std::string_view text, int codePage);
// One code point as text of the code page ('?' where a single-byte page lacks it).
std::string CodePointToText(char32_t codePoint, int codePage);

// The longest start of the text of at most maxBytes bytes that ends on a whole character: in UTF-8 a
// multi-byte sequence is never cut in half; in a single-byte page every byte is a character.
std::size_t CharBoundaryLength(std::string_view text, std::size_t maxBytes, int codePage);
inline std::string CutAtCharBoundary(std::string_view text, std::size_t maxBytes, int codePage) {
    return std::string(text.substr(0, CharBoundaryLength(text, maxBytes, codePage)));
}
inline std::string CutActiveText(std::string_view text, std::size_t maxBytes) {
    return CutAtCharBoundary(text, maxBytes, ActiveCodePage());
}
// The same for UTF-16 code units: a surrogate pair is never cut in half.
std::size_t Utf16BoundaryLength(const std::u16string& text, std::size_t maxUnits);

// 8-bit text of unknown origin (ID3v1 fields, Lyrics3 blocks, Latin-1 tag frames) as text of the active
// code page: in a single-byte page byte for byte, as Windows taggers write it; under UTF-8, well-formed
// UTF-8 stays and anything else is read as Windows-1252.
std::string EightBitToActive(const std::string& bytes);

// UTF-8 decoding: invalid sequences become U+FFFD (and so '?' in a code page).
std::u16string Utf8ToUtf16(const std::string& text);
std::string Utf16ToUtf8(const std::u16string& text);
// True when the bytes are well-formed UTF-8 and hold at least one multi-byte sequence.
bool IsMultiByteUtf8(const std::string& text);

namespace detail {
extern const char16_t kUpperHalf1250[128];
extern const char16_t kUpperHalf1251[128];
extern const char16_t kUpperHalf1252[128];
extern const char16_t kUpperHalf1253[128];
} // namespace detail

} // namespace toolkit
