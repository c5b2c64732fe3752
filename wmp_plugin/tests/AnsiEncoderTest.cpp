#include "wmp_plugin/AnsiEncoder.h"

#include <gtest/gtest.h>

using namespace wmp_plugin;

TEST(AnsiEncoder, MissingCharactersBecomeTheDefaultCharacter) {
    const TWindows1252Encoder encoder;
    struct {
        std::u16string text;
        std::string bytes;
    } cases[] = {
        {u"Bj\u00f6rk \u20ac \u2019", "Bj\xf6rk \x80 \x92"},
        {u"\u4e2d \u0100", "? ?"}, // not in the page; no best-fit 'A' for 'Ā'
        {u"\U0001F3B5", "??"},     // one per UTF-16 code unit, as the system converts
        {u"\u0081", "?"},          // a byte the page leaves undefined
        {u"a\r\n", "a\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(encoder.Encode(c.text), c.bytes);
    EXPECT_EQ(encoder.Encode(u""), "");
}
