#include "toolkit/TextCompare.h"

#include "toolkit/CodePage.h"

#include <gtest/gtest.h>

namespace {

TEST(TextCompare, IgnoresCaseInEachCodePage) {
    struct {
        int page;
        std::string a;
        std::string b;
        int sign;
    } cases[] = {
        {1252, "U2 - One", "u2 - ONE", 0},
        {1252, "\xc4rzte", "\xe4RZTE", 0}, // Ärzte
        {1252,
         "\x8a"
         "a",
         "\x9a"
         "A",
         0},                       // Ša / šA
        {1252, "\x9f", "\xff", 0}, // Ÿ / ÿ
        {1250,
         "\xa3\xf3"
         "d\x8f",
         "\xb3\xd3"
         "D\x9f",
         0},                                                       // Łódź in mixed case
        {1251, "\xdf", "\xff", 0},                                 // Я / я
        {1251, "\xa8", "\xb8", 0},                                 // Ё / ё
        {1253, "\xc1\xe8\xde\xed\xe1", "\xe1\xc8\xde\xcd\xc1", 0}, // Αθήνα
        {1253, "\xa2", "\xdc", 0},                                 // Ά / ά
        {1252, "abc", "ABD", -1},
        {1252, "ab", "AB ", -1},
        {1252, "b", "A", 1},
        {1252, "", "", 0},
        // UTF-8: every script with letter case folds, whatever its byte lengths.
        {65001, "\xd0\x9a\xd0\xb8\xd0\xbd\xd0\xbe", "\xd0\xba\xd0\x98\xd0\x9d\xd0\x9e", 0}, // Кино / кИНО
        {65001, "\xc3\x87\xc4\x9e\xc3\x96\xc5\x9e", "\xc3\xa7\xc4\x9f\xc3\xb6\xc5\x9f", 0}, // ÇĞÖŞ / çğöş
        {65001, "\xd4\xb1\xd6\x80", "\xd5\xa1\xd6\x80", 0},                 // Armenian Ար / ար
        {65001, "\xe6\x97\xa5\xe6\x9c\xac", "\xe6\x97\xa5\xe6\x9c\xac", 0}, // 日本: no case
        {65001, "\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d", "\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9e", -1}, // Hebrew ם < מ
        {65001, "Zebra", "\xc3\x84rzte", -1},            // by folded code point: z (7A) before ä (E4)
        {65001, "\xe6\x97\xa5", "\xf0\x9f\x8e\xb5", -1}, // beyond the BMP sorts after it
    };
    for (const auto& c : cases) {
        toolkit::SetActiveCodePage(c.page);
        const int r = toolkit::CompareTextIgnoreCase(c.a, c.b);
        EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.page << " " << c.a << " " << c.b;
        EXPECT_EQ(toolkit::CompareTextIgnoreCase(c.b, c.a) == 0, c.sign == 0);
    }
    toolkit::SetActiveCodePage(1252);
}

TEST(TextCompare, LowerCaseInEachCodePage) {
    struct {
        int page;
        std::string text;
        std::string lower;
    } cases[] = {
        {1252, "ABBA \xc4rzte", "abba \xe4rzte"},
        {1251, "\xca\xc8\xcd\xce", "\xea\xe8\xed\xee"}, // КИНО
        {65001, "\xd0\x9a\xd0\x98\xd0\x9d\xd0\x9e - \xc3\x9c", "\xd0\xba\xd0\xb8\xd0\xbd\xd0\xbe - \xc3\xbc"},
        {65001, "\xe6\x97\xa5 A", "\xe6\x97\xa5 a"},
    };
    for (const auto& c : cases) {
        toolkit::SetActiveCodePage(c.page);
        EXPECT_EQ(toolkit::LowerCaseText(c.text), c.lower) << c.page << " " << c.text;
    }
    toolkit::SetActiveCodePage(1252);
}

} // namespace
