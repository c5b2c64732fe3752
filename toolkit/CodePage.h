#pragma once
// The program's code pages and the conversions between them, UTF-16 and UTF-8: the single-byte Windows
// pages 1250, 1251, 1252 and 1253, and UTF-8 (65001). Text in the program is a byte string in the "active"
// code page, the one that matches the character set of the settings (set by the settings store).

#include <string>

namespace toolkit {

constexpr int kCodePageUtf8 = 65001;

// Sets and reads the process-wide active code page (default 1252). An unknown page reads as 1252.
void SetActiveCodePage(int codePage);
int ActiveCodePage();
inline bool IsUtf8CodePage(int codePage) { return codePage == kCodePageUtf8; }

// Characters a single-byte code page lacks become '?'; into UTF-8, malformed input becomes U+FFFD.
std::string Utf16ToCodePage(const std::u16string& text, int codePage);
std::u16string CodePageToUtf16(const std::string& text, int codePage);
std::string Utf8ToCodePage(const std::string& text, int codePage);
std::string CodePageToUtf8(const std::string& text, int codePage);

// The same conversions to and from the active code page.
inline std::string Utf16ToActive(const std::u16string& text) { return Utf16ToCodePage(text, ActiveCodePage()); }
inline std::string Utf8ToActive(const std::string& text) { return Utf8ToCodePage(text, ActiveCodePage()); }
inline std::string ActiveToUtf8(const std::string& text) { return CodePageToUtf8(text, ActiveCodePage()); }

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
