// The form-placement store: round trip, missing and bad values, limits, other lines kept.
#include "toolkit/FormPlacement.h"
#include "toolkit/TProfileFile.h"

#include <gtest/gtest.h>

using namespace toolkit;

namespace {

TEST(FormPlacement, RoundTripKeepsOtherLines) {
    TProfileFile profile("[Other]\r\nKey=1\r\n");
    WriteFormPlacement(profile, "TFormCantrel", {120, -40, 825, 326, true});
    const auto placement = ReadFormPlacement(TProfileFile(profile.Bytes()), "TFormCantrel", 200, 50);
    ASSERT_TRUE(placement.has_value());
    EXPECT_EQ(placement->Left, 120);
    EXPECT_EQ(placement->Top, -40);
    EXPECT_EQ(placement->Width, 825);
    EXPECT_EQ(placement->Height, 326);
    EXPECT_TRUE(placement->Maximized);
    EXPECT_EQ(TProfileFile(profile.Bytes()).ReadString("Other", "Key", ""), "1");
}

TEST(FormPlacement, MissingOrBadValuesGiveNothingAndSizesAreLimited) {
    struct TCase {
        const char* text;
        bool found;
        int width, height;
        bool maximized;
    };
    const TCase cases[] = {
        {"", false, 0, 0, false},
        {"[TFormCantrel]\nLeft=1\nTop=2\nWidth=300\n", false, 0, 0, false},
        {"[TFormCantrel]\nLeft=x\nTop=2\nWidth=300\nHeight=100\n", false, 0, 0, false},
        {"[TFormCantrel]\nLeft=1\nTop=2\nWidth=300\nHeight=100\n", true, 300, 100, false},
        {"[TFormCantrel]\nLeft=1\nTop=2\nWidth=5\nHeight=-7\nState=1\n", true, 200, 50, false},
        {"[TFormCantrel]\nLeft=1\nTop=2\nWidth=999999\nHeight=2147483647\nState=2\n", true, 32767, 32767,
         true},
    };
    for (const auto& c : cases) {
        const auto placement = ReadFormPlacement(TProfileFile(c.text), "TFormCantrel", 200, 50);
        ASSERT_EQ(placement.has_value(), c.found) << c.text;
        if (!placement)
            continue;
        EXPECT_EQ(placement->Width, c.width) << c.text;
        EXPECT_EQ(placement->Height, c.height) << c.text;
        EXPECT_EQ(placement->Maximized, c.maximized) << c.text;
    }
}

} // namespace
