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
    };
    for (const auto& c : cases) {
        toolkit::SetActiveCodePage(c.page);
        const int r = toolkit::CompareTextIgnoreCase(c.a, c.b);
        EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.page << " " << c.a << " " << c.b;
        EXPECT_EQ(toolkit::CompareTextIgnoreCase(c.b, c.a) == 0, c.sign == 0);
    }
    toolkit::SetActiveCodePage(1252);
}

} // namespace
