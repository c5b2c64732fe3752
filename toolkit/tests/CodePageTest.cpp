#include "toolkit/CodePage.h"

#include <gtest/gtest.h>

using namespace toolkit;

TEST(CodePage, Utf8ToEachPage) {
    struct {
        int page;
        std::string utf8;
        std::string bytes;
    } cases[] = {
        {1252, "Bj\xc3\xb6rk \xe2\x82\xac", "Bj\xf6rk \x80"},
        {1250,
         "\xc5\x81\xc3\xb3"
         "d\xc5\xba",
         "\xa3\xf3"
         "d\x9f"},                                                                  // Łódź
        {1251, "\xd0\x9f\xd1\x80\xd0\xb8", "\xcf\xf0\xe8"},                         // При
        {1253, "\xce\x91\xce\xb8\xce\xae\xce\xbd\xce\xb1", "\xc1\xe8\xde\xed\xe1"}, // Αθήνα
        {1252, "\xe6\x97\xa5 \xf0\x9f\x8e\xb5", "? ?"},                             // missing characters
        {1252, "bad \xff\xfe end \xe2\x82", "bad ?? end ??"},                       // malformed UTF-8
        {65001, "\xe6\x97\xa5 \xf0\x9f\x8e\xb5 \xd0\x9a",
         "\xe6\x97\xa5 \xf0\x9f\x8e\xb5 \xd0\x9a"},                                        // kept whole
        {65001, "bad \xff end \xe2\x82", "bad \xef\xbf\xbd end \xef\xbf\xbd\xef\xbf\xbd"}, // U+FFFD each
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8ToCodePage(c.utf8, c.page), c.bytes) << c.page;
    }
}

TEST(CodePage, RoundTripsEveryByte) {
    for (int page : {1250, 1251, 1252, 1253}) {
        std::string all;
        for (int b = 1; b < 256; ++b)
            all.push_back(char(b));
        EXPECT_EQ(Utf16ToCodePage(CodePageToUtf16(all, page), page), all) << page;
        EXPECT_EQ(Utf8ToCodePage(CodePageToUtf8(all, page), page), all) << page;
    }
}

TEST(CodePage, Utf16SurrogatesAndActivePage) {
    EXPECT_EQ(Utf16ToUtf8(u"\U0001F3B5"), "\xf0\x9f\x8e\xb5");
    EXPECT_EQ(Utf8ToUtf16("\xf0\x9f\x8e\xb5"), u"\U0001F3B5");
    EXPECT_EQ(Utf16ToCodePage(std::u16string(1, char16_t(0xD800)), 1252), "?");
    SetActiveCodePage(1251);
    EXPECT_EQ(Utf8ToActive("\xd0\x9f"), "\xcf");
    SetActiveCodePage(kCodePageUtf8);
    EXPECT_EQ(Utf16ToActive(u"\u041a\U0001F3B5"), "\xd0\x9a\xf0\x9f\x8e\xb5");
    EXPECT_EQ(ActiveToUtf8("\xd0\x9a"), "\xd0\x9a");
    SetActiveCodePage(437); // unknown pages fall back to 1252
    EXPECT_EQ(ActiveCodePage(), 1252);
}

TEST(CodePage, MultiByteUtf8Detection) {
    struct {
        std::string bytes;
        bool utf8;
    } cases[] = {
        {"plain ascii", false},        {"caf\xc3\xa9", true}, {"caf\xe9", false},
        {"\xc3\xa9 then \xe9", false}, {"", false},           {"\xe2\x82", false},
        {"\xed\xa0\x80", false},       {"\xc0\xaf", false},   {"\xf0\x9f\x8e\xb5", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsMultiByteUtf8(c.bytes), c.utf8) << c.bytes;
}

TEST(CodePage, CutsEndOnAWholeCharacter) {
    const std::string kino = "\xd0\x9a\xd0\xb8\xd0\xbd\xd0\xbe"; // Кино, 2 bytes a letter
    const std::string note = "a\xf0\x9f\x8e\xb5";                // a + a 4-byte character
    struct {
        std::string text;
        std::size_t max;
        int page;
        std::size_t length;
    } cases[] = {
        {kino, 8, 65001, 8},
        {kino, 100, 65001, 8},
        {kino, 7, 65001, 6},
        {kino, 6, 65001, 6},
        {kino, 1, 65001, 0},
        {kino, 0, 65001, 0},
        {note, 4, 65001, 1},
        {note, 2, 65001, 1},
        {note, 5, 65001, 5},
        {kino, 7, 1251, 7}, // single-byte: every byte is a character
        {"ab\x80\x80\x80\x80"
         "cd",
         4, 65001, 4}, // stray continuation bytes start nothing to keep whole
    };
    for (const auto& c : cases)
        EXPECT_EQ(CharBoundaryLength(c.text, c.max, c.page), c.length) << c.max << " " << c.page;

    // 255 bytes of a two-byte script cut to 254, not to half a letter.
    std::string many;
    for (int i = 0; i < 200; ++i)
        many += "\xd0\x96";
    const std::string cut = CutAtCharBoundary(many, 255, kCodePageUtf8);
    EXPECT_EQ(cut.size(), 254u);
    EXPECT_EQ(Utf8ToCodePage(cut, kCodePageUtf8), cut); // well-formed

    const std::u16string pair = u"ab\U0001F3B5";
    EXPECT_EQ(Utf16BoundaryLength(pair, 3), 2u);
    EXPECT_EQ(Utf16BoundaryLength(pair, 4), 4u);
    EXPECT_EQ(Utf16BoundaryLength(pair, 2), 2u);
}

TEST(CodePage, FirstCharacterAndCodePointText) {
    EXPECT_EQ(FirstCharLength("\xe6\x97\xa5x", kCodePageUtf8), 3u);
    EXPECT_EQ(FirstCharLength("\xe6\x97\xa5x", 1252), 1u);
    EXPECT_EQ(FirstCharLength("\xff rest", kCodePageUtf8), 1u);
    EXPECT_EQ(FirstCharLength("", kCodePageUtf8), 0u);
    EXPECT_EQ(CodePointToText(0x436, kCodePageUtf8), "\xd0\xb6");
    EXPECT_EQ(CodePointToText(0x436, 1251), "\xe6");
    EXPECT_EQ(CodePointToText(0x436, 1252), "?");
    EXPECT_EQ(CodePageToCodePoints("\xe6", 1251), U"\u0436");
}
