#include "toolkit/CodePage.h"

#include <atomic>

namespace toolkit {
namespace {

std::atomic<int> gActiveCodePage{1252};

const char16_t* UpperHalf(int codePage) {
    switch (codePage) {
    case 1250:
        return detail::kUpperHalf1250;
    case 1251:
        return detail::kUpperHalf1251;
    case 1253:
        return detail::kUpperHalf1253;
    default:
        return detail::kUpperHalf1252;
    }
}

// Decodes one code point from UTF-16 at i (advancing i); lone surrogates give U+FFFD.
char32_t NextUtf16(const std::u16string& s, std::size_t& i) {
    const char16_t u = s[i++];
    if (u >= 0xD800 && u <= 0xDBFF && i < s.size() && s[i] >= 0xDC00 && s[i] <= 0xDFFF)
        return 0x10000 + ((char32_t(u) - 0xD800) << 10) + (s[i++] - 0xDC00);
    if (u >= 0xD800 && u <= 0xDFFF)
        return 0xFFFD;
    return u;
}

// Decodes one code point from UTF-8 at i (advancing i); a malformed sequence gives U+FFFD and skips one byte.
char32_t NextUtf8(std::string_view s, std::size_t& i, bool& valid) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    valid = true;
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int extra;
    char32_t cp;
    char32_t min;
    if ((b0 & 0xE0) == 0xC0) {
        extra = 1, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3, cp = b0 & 0x07, min = 0x10000;
    } else {
        valid = false;
        ++i;
        return 0xFFFD;
    }
    if (i + std::size_t(extra) >= s.size()) { // truncated sequence
        valid = false;
        ++i;
        return 0xFFFD;
    }
    for (int k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(s[i + std::size_t(k)]);
        if ((b & 0xC0) != 0x80) {
            valid = false;
            ++i;
            return 0xFFFD;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        valid = false;
        ++i;
        return 0xFFFD;
    }
    i += std::size_t(extra) + 1;
    return cp;
}

char CodePointToByte(char32_t cp, const char16_t* upper) {
    if (cp < 0x80)
        return char(cp);
    for (int k = 0; k < 128; ++k)
        if (upper[k] == cp)
            return char(0x80 + k);
    return '?';
}

void AppendUtf16(std::u16string& out, char32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(char16_t(0xD800 + (cp >> 10)));
        out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(char16_t(cp));
    }
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(char(cp));
    } else if (cp < 0x800) {
        out.push_back(char(0xC0 | (cp >> 6)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(char(0xE0 | (cp >> 12)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (cp >> 18)));
        out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    }
}

} // namespace

void SetActiveCodePage(int codePage) {
    const bool known = codePage == 1250 || codePage == 1251 || codePage == 1252 || codePage == 1253 ||
                       codePage == kCodePageUtf8;
    gActiveCodePage = known ? codePage : 1252;
}

int ActiveCodePage() {
    return gActiveCodePage;
}

std::string Utf16ToCodePage(const std::u16string& text, int codePage) {
    if (IsUtf8CodePage(codePage))
        return Utf16ToUtf8(text);
    const char16_t* upper = UpperHalf(codePage);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();)
        out.push_back(CodePointToByte(NextUtf16(text, i), upper));
    return out;
}

std::u16string CodePageToUtf16(const std::string& text, int codePage) {
    if (IsUtf8CodePage(codePage))
        return Utf8ToUtf16(text);
    const char16_t* upper = UpperHalf(codePage);
    std::u16string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        out.push_back(b < 0x80 ? char16_t(b) : upper[b - 0x80]);
    }
    return out;
}

std::string Utf8ToCodePage(const std::string& text, int codePage) {
    std::string out;
    out.reserve(text.size());
    bool valid;
    if (IsUtf8CodePage(codePage)) {
        for (std::size_t i = 0; i < text.size();)
            AppendUtf8(out, NextUtf8(text, i, valid));
        return out;
    }
    const char16_t* upper = UpperHalf(codePage);
    for (std::size_t i = 0; i < text.size();)
        out.push_back(CodePointToByte(NextUtf8(text, i, valid), upper));
    return out;
}

std::string CodePageToUtf8(const std::string& text, int codePage) {
    if (IsUtf8CodePage(codePage))
        return Utf8ToCodePage(text, codePage);
    return Utf16ToUtf8(CodePageToUtf16(text, codePage));
}

std::u16string Utf8ToUtf16(const std::string& text) {
    std::u16string out;
    out.reserve(text.size());
    bool valid;
    for (std::size_t i = 0; i < text.size();)
        AppendUtf16(out, NextUtf8(text, i, valid));
    return out;
}

std::string Utf16ToUtf8(const std::u16string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();)
        AppendUtf8(out, NextUtf16(text, i));
    return out;
}

std::u32string CodePageToCodePoints(std::string_view text, int codePage) {
    std::u32string out;
    out.reserve(text.size());
    if (IsUtf8CodePage(codePage)) {
        bool valid;
        for (std::size_t i = 0; i < text.size();)
            out.push_back(NextUtf8(text, i, valid));
        return out;
    }
    const char16_t* upper = UpperHalf(codePage);
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        out.push_back(b < 0x80 ? char32_t(b) : char32_t(upper[b - 0x80]));
    }
    return out;
}

std::u32string Utf16ToCodePoints(const std::u16string& text) {
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();)
        out.push_back(NextUtf16(text, i));
    return out;
}

std::size_t FirstCharLength(std::string_view text, int codePage) {
    if (text.empty() || !IsUtf8CodePage(codePage))
        return text.empty() ? 0 : 1;
    std::size_t i = 0;
    bool valid;
    NextUtf8(text, i, valid);
    return i;
}

std::string CodePointToText(char32_t codePoint, int codePage) {
    if (IsUtf8CodePage(codePage)) {
        std::string out;
        AppendUtf8(out, codePoint > 0x10FFFF ? 0xFFFD : codePoint);
        return out;
    }
    return std::string(1, CodePointToByte(codePoint, UpperHalf(codePage)));
}

std::size_t CharBoundaryLength(std::string_view text, std::size_t maxBytes, int codePage) {
    if (text.size() <= maxBytes)
        return text.size();
    if (!IsUtf8CodePage(codePage))
        return maxBytes;
    // Step back over continuation bytes to the lead byte of the sequence that the cut would split; a
    // sequence that ends exactly at the cut stays.
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    std::size_t lead = maxBytes;
    while (lead > 0 && maxBytes - lead < 3 && (at(lead) & 0xC0) == 0x80)
        --lead;
    if (lead == maxBytes || (at(lead) & 0xC0) != 0xC0) // a clean cut, or stray bytes that start no sequence
        return maxBytes;
    return lead;
}

std::size_t Utf16BoundaryLength(const std::u16string& text, std::size_t maxUnits) {
    if (text.size() <= maxUnits)
        return text.size();
    const char16_t next = text[maxUnits];
    const bool splitsPair = maxUnits > 0 && next >= 0xDC00 && next <= 0xDFFF &&
                            text[maxUnits - 1] >= 0xD800 && text[maxUnits - 1] <= 0xDBFF;
    return splitsPair ? maxUnits - 1 : maxUnits;
}

std::string EightBitToActive(const std::string& bytes) {
    if (!IsUtf8CodePage(ActiveCodePage()) || IsMultiByteUtf8(bytes))
        return bytes;
    return CodePageToUtf8(bytes, 1252);
}

bool IsMultiByteUtf8(const std::string& text) {
    bool multiByte = false;
    bool valid;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t start = i;
        NextUtf8(text, i, valid);
        if (!valid)
            return false;
        multiByte |= i - start > 1;
    }
    return multiByte;
}

} // namespace toolkit
