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
        {1250, "\xc5\x81\xc3\xb3" "d\xc5\xba", "\xa3\xf3" "d\x9f"},            // Łódź
        {1251, "\xd0\x9f\xd1\x80\xd0\xb8", "\xcf\xf0\xe8"},                    // При
        {1253, "\xce\x91\xce\xb8\xce\xae\xce\xbd\xce\xb1", "\xc1\xe8\xde\xed\xe1"}, // Αθήνα
        {1252, "\xe6\x97\xa5 \xf0\x9f\x8e\xb5", "? ?"},                        // missing characters
        {1252, "bad \xff\xfe end \xe2\x82", "bad ?? end ??"},                 // malformed UTF-8
        {65001, "\xe6\x97\xa5 \xf0\x9f\x8e\xb5 \xd0\x9a", "\xe6\x97\xa5 \xf0\x9f\x8e\xb5 \xd0\x9a"}, // kept whole
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
        {"plain ascii", false},          {"caf\xc3\xa9", true},   {"caf\xe9", false},
        {"\xc3\xa9 then \xe9", false},   {"", false},             {"\xe2\x82", false},
        {"\xed\xa0\x80", false},         {"\xc0\xaf", false},     {"\xf0\x9f\x8e\xb5", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsMultiByteUtf8(c.bytes), c.utf8) << c.bytes;
}
