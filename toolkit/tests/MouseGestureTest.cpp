// Direction codes from cursor trails, and the trail parameters (grid, interval, limit, delay).
#include "toolkit/MouseGesture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

using toolkit::TMouseGesture;

namespace {

struct TPoint {
    int x, y;
};

// Moves the cursor along straight segments in steps of about 3 pixels, 10 ms apart, and returns the gesture.
// With the default interval every second step counts, so a reference point is set every 18 pixels.
std::string Draw(TMouseGesture& gesture, TPoint start, const std::vector<TPoint>& corners,
                 std::uint32_t tick = 1000) {
    gesture.Start(start.x, start.y, tick);
    TPoint from = start;
    for (const TPoint& corner : corners) {
        const int steps = std::max(std::abs(corner.x - from.x), std::abs(corner.y - from.y)) / 3;
        for (int i = 1; i <= steps; ++i) {
            tick += 10;
            gesture.Trail(from.x + (corner.x - from.x) * i / steps, from.y + (corner.y - from.y) * i / steps,
                          tick);
        }
        from = corner;
    }
    return gesture.End();
}

TEST(MouseGesture, DirectionCodes) {
    struct TCase {
        std::vector<TPoint> corners;
        const char* code;
    };
    const TCase cases[] = {
        {{{300, 200}}, "R"},
        {{{100, 200}}, "L"},
        {{{200, 100}}, "U"},
        {{{200, 300}}, "D"},
        {{{290, 290}}, "3"},
        {{{110, 290}}, "1"},
        {{{110, 110}}, "7"},
        {{{290, 110}}, "9"},
        {{{300, 230}}, "R"},                           // mostly right: still right
        {{{180, 300}}, "D"},                           // mostly down
        {{{200, 308}, {308, 308}}, "DR"},              // the close gesture, turning at a reference point
        {{{200, 300}, {300, 300}}, "D3R"},             // turning between reference points adds the diagonal
        {{{200, 280}, {240, 320}, {330, 320}}, "D3R"}, // a rounded corner
        {{{260, 260}, {360, 260}}, "3R"},
        {{{260, 260}, {260, 160}}, "3U"},
        {{{300, 200}, {200, 200}}, "RL"},
        {{{210, 205}}, ""}, // less than a grid step: no gesture
        {{}, ""},           // a click without movement
    };
    for (const auto& c : cases) {
        TMouseGesture gesture;
        gesture.Active = true;
        EXPECT_EQ(Draw(gesture, {200, 200}, c.corners), c.code) << c.code;
    }
}

TEST(MouseGesture, InactiveOrNotStartedRecognisesNothing) {
    TMouseGesture gesture;
    EXPECT_EQ(Draw(gesture, {0, 0}, {{100, 0}}), "");
    gesture.Active = true;
    gesture.Trail(50, 0, 10);
    EXPECT_FALSE(gesture.Tracking());
    EXPECT_EQ(gesture.End(), "");
}

TEST(MouseGesture, OnlyEveryIntervalthPointCounts) {
    TMouseGesture gesture;
    gesture.Active = true;
    gesture.Start(0, 0, 0);
    gesture.Trail(40, 0, 10); // first report skipped with an interval of 2
    EXPECT_EQ(gesture.Gesture(), "");
    gesture.Trail(40, 0, 20);
    EXPECT_EQ(gesture.End(), "R");
}

TEST(MouseGesture, TrailStopsAtItsLimit) {
    TMouseGesture gesture;
    gesture.Active = true;
    gesture.TrailLimit = 10; // the start and 9 more points
    gesture.TrailInterval = 1;
    gesture.Start(0, 0, 0);
    for (int i = 1; i <= 9; ++i)
        gesture.Trail(0, 5 * i, std::uint32_t(i));
    gesture.Trail(100, 45, 20); // beyond the limit: ignored
    EXPECT_EQ(gesture.End(), "D");
}

TEST(MouseGesture, APauseLongerThanTheDelayStartsAfresh) {
    TMouseGesture gesture;
    gesture.Active = true;
    gesture.TrailInterval = 1;
    gesture.Start(0, 0, 4294967000u); // across the wrap of the tick count
    gesture.Trail(0, 40, 4294967100u);
    EXPECT_EQ(gesture.Gesture(), "D");
    gesture.Trail(0, 41, 4294967100u + 501); // rested too long
    gesture.Trail(40, 41, 4294967100u + 520);
    EXPECT_EQ(gesture.End(), "R");

    gesture.Start(0, 0, 0);
    gesture.Trail(0, 40, 500); // exactly the delay still counts
    EXPECT_EQ(gesture.End(), "D");
}

} // namespace
