#include "toolkit/WheelAccumulator.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

struct TWheelCase {
    const char* name;
    std::vector<int> deltas;
    std::vector<int> steps; // after each delta
};

TEST(WheelAccumulator, StepsPerFullNotch) {
    const TWheelCase cases[] = {
        {"a classic notch", {120}, {1}},
        {"a notch down", {-120}, {-1}},
        {"three parts of 40", {40, 40, 40}, {0, 0, 1}},
        {"fifteen parts of 8",
         {8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8},
         {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}},
        {"two notches at once", {240}, {2}},
        {"the rest carries over", {100, 100, 40}, {0, 1, 1}},
        {"turning back drops the rest", {100, -30, -90}, {0, 0, -1}},
        {"a wobble never steps", {60, -60, 60, -60}, {0, 0, 0, 0}},
        {"back and forth by notches", {120, -120, 120}, {1, -1, 1}},
        {"down in parts, then up", {-50, -50, -50, 30}, {0, 0, -1, 0}},
        {"nothing", {0, 0}, {0, 0}},
    };
    for (const TWheelCase& c : cases) {
        SCOPED_TRACE(c.name);
        toolkit::TWheelAccumulator wheel;
        ASSERT_EQ(c.deltas.size(), c.steps.size());
        for (std::size_t i = 0; i < c.deltas.size(); ++i)
            EXPECT_EQ(wheel.Add(c.deltas[i]), c.steps[i]) << "after delta #" << i;
    }
}

TEST(WheelAccumulator, ExtremeDeltasNeitherOverflowNorLoseTheRest) {
    toolkit::TWheelAccumulator wheel;
    EXPECT_EQ(wheel.Add(119), 0);
    EXPECT_EQ(wheel.Add(INT_MAX), (119LL + INT_MAX) / 120);
    EXPECT_GE(wheel.Rest(), 0);
    EXPECT_LT(wheel.Rest(), 120);
    wheel.Reset();
    EXPECT_EQ(wheel.Add(INT_MIN), INT_MIN / 120);
    EXPECT_GT(wheel.Rest(), -120);
    wheel.Reset();
    EXPECT_EQ(wheel.Add(60), 0);
    wheel.Reset();
    EXPECT_EQ(wheel.Add(60), 0); // the part before the reset is gone
}

} // namespace
