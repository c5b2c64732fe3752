// The cube visualization without a display: the grid it builds for a radius, the timing of its updates on a
// hand-moved clock, the levels from the spectrum and the gain, and the colours and depths of the cubes.
#include "display/UVisualization.h"

#include "config/TNullSettingsView.h"
#include "config/TSongList.h"
#include "config/USettings.h"
#include "platform/fake/FakeWindowSystem.h"
#include "toolkit/GLCadencer.h"
#include "toolkit/GLCube.h"
#include "toolkit/GLDummyCube.h"
#include "toolkit/GLScene.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace display;
using toolkit::TColorVector;

namespace {

void ExpectColour(const TColorVector& c, float r, float g, float b) {
    EXPECT_NEAR(c.R, r, 1e-5f);
    EXPECT_NEAR(c.G, g, 1e-5f);
    EXPECT_NEAR(c.B, b, 1e-5f);
}

class VisualizationTest : public ::testing::Test {
public:
    VisualizationTest() {
        Settings.SetUpdateTimeMs(40);
        Settings.SetVisEnableBeatDetection(true);
    }
    TCubeVisualization& Make(int radius) {
        Anchor.DeleteChildren();
        Vis.reset();
        Vis = std::make_unique<TCubeVisualization>(radius, Anchor, Clock, Settings);
        // Well past the last row shift of any instance: the next update shifts.
        Clock.Now = TVisualization::LastRowShift() + 100000;
        return *Vis;
    }
    const toolkit::TGLCube& Cube(int index) { return *Vis->Cubes()[std::size_t(index)]; }

    config::TNullSettingsView View;
    config::TSongList Cancel, Upload;
    config::TSettings Settings{View, Cancel, Upload, "/nonexistent", "", '/'};
    platform::TFakeClock Clock;
    toolkit::TGLDummyCube Anchor;
    std::unique_ptr<TCubeVisualization> Vis;
};

// The grid for radius R: (2R + 1)^2 cubes, f = 70 / (2R + 1) apart in steps of f / 50, edges f x 0.4 / 30,
// coloured from the middle outwards by (d^2 + e^2) / (3 R^2). Radius 0 is one brown cube; radii above 18
// are 18.
TEST_F(VisualizationTest, ConstructionGeometryAndColours) {
    struct {
        int radius;
        int r; // as built
    } cases[] = {{0, 0}, {3, 3}, {18, 18}, {19, 18}, {-4, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.radius);
        TCubeVisualization& v = Make(c.radius);
        const int n = 2 * c.r + 1;
        const float f = 70.0f / float(n);
        EXPECT_EQ(v.Radius(), c.r);
        ASSERT_EQ(int(v.Cubes().size()), n * n);
        ASSERT_EQ(Anchor.Count(), n * n);
        EXPECT_FLOAT_EQ(v.Gain(), 1.0f);
        for (int i = 0; i < n * n; ++i) {
            const int d = i / n - c.r, e = i % n - c.r; // d outer, e inner
            const toolkit::TGLCube& cube = Cube(i);
            EXPECT_EQ(&Anchor.Child(i), &cube);
            EXPECT_NEAR(cube.Position.X, float(d) * f / 50, 1e-6f);
            EXPECT_NEAR(cube.Position.Y, float(e) * f / 50, 1e-6f);
            EXPECT_FLOAT_EQ(cube.Position.Z, 0);
            EXPECT_FLOAT_EQ(cube.CubeWidth, f * 0.4f / 30);
            EXPECT_FLOAT_EQ(cube.CubeHeight, cube.CubeWidth);
            EXPECT_FLOAT_EQ(cube.CubeDepth, cube.CubeWidth);
            EXPECT_FALSE(std::isnan(cube.Material.Diffuse.R));
        }
        // The middle has the base colour; the corners are two thirds of the way to the outer colour, the
        // middles of the edges one third.
        ExpectColour(Cube(n * n / 2).Material.Diffuse, 0.36f, 0.25f, 0.20f);
        if (c.r > 0) {
            ExpectColour(Cube(0).Material.Diffuse, 0.36f + 0.16f * 2 / 3, 0.25f + 0.12f * 2 / 3,
                         0.20f + 0.06f * 2 / 3);
            ExpectColour(Cube(c.r).Material.Diffuse, 0.36f + 0.16f / 3, 0.25f + 0.12f / 3, 0.20f + 0.06f / 3);
        }
    }
    // Radius 3 in numbers: 7 x 7 cubes 0.2 apart, edge 0.1333.
    Make(3);
    EXPECT_NEAR(Cube(0).Position.X, -0.6f, 1e-6f);
    EXPECT_NEAR(Cube(48).Position.Y, 0.6f, 1e-6f);
    EXPECT_NEAR(Cube(0).CubeWidth, 10 * 0.4f / 30, 1e-6f);
}

// An update acts only when more than UpdateTimeMs have passed since the last row shift, and shifts the rows
// only when more than 30 ms have passed; the tick count may wrap in between.
TEST_F(VisualizationTest, UpdateTiming) {
    struct {
        const char* what;
        int updateTimeMs;
        std::uint32_t after; // ms after a shift
        bool acts, shifts;
    } cases[] = {
        {"at the interval", 40, 40, false, false},      {"past the interval", 40, 41, true, true},
        {"short interval, 30 ms", 10, 30, true, false}, {"short interval, 31 ms", 10, 31, true, true},
        {"long interval", 100, 90, false, false},       {"interval 0", 0, 1, true, false},
    };
    TVisualization::TSpectrum spectrum{};
    spectrum.fill(7);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Settings.SetUpdateTimeMs(c.updateTimeMs);
        TCubeVisualization& v = Make(1);
        v.Spectrum = &spectrum;
        v.Update(); // a shift now; row 0 holds 7s
        ASSERT_EQ(TVisualization::LastRowShift(), Clock.Now);
        ASSERT_EQ(v.Level(0, 0), 7);
        ASSERT_EQ(v.Level(1, 0), 1);
        spectrum.fill(9);
        const std::uint32_t shiftedAt = Clock.Now;
        Clock.Advance(c.after);
        v.Update();
        EXPECT_EQ(v.Level(0, 0), c.acts ? 9 : 7);
        EXPECT_EQ(v.Level(1, 0), c.shifts ? 7 : 1);
        EXPECT_EQ(TVisualization::LastRowShift(), c.shifts ? Clock.Now : shiftedAt);
        spectrum.fill(7);
    }
    // Across the wrap of the tick count.
    Settings.SetUpdateTimeMs(40);
    TCubeVisualization& v = Make(1);
    Clock.Now = 0xFFFFFFF0u;
    v.Update();
    Clock.Now = 30; // 46 ms later
    v.Update();
    EXPECT_EQ(TVisualization::LastRowShift(), 30u);
}

// Rows move back one place per shift; row 0 takes rnd(sample x gain) limited to 1 ... 255; the K and L keys
// multiply the gain by 0.9 and 1.1; each cube's depth is its level / 30 and its colour goes towards red by
// level / 250, the cube at c x (2R + 1) + r showing row r, column c.
TEST_F(VisualizationTest, LevelsGainDepthsAndColours) {
    TCubeVisualization& v = Make(2);
    TVisualization::TSpectrum spectrum{};
    for (std::size_t i = 0; i < spectrum.size(); ++i)
        spectrum[i] = std::uint8_t(10 * i + 5);
    // Without a spectrum every sample reads 1.
    v.Update();
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(v.Level(0, c), 1);
    v.Spectrum = &spectrum;
    Clock.Advance(41);
    v.Update();
    EXPECT_EQ(v.Level(0, 3), 35);
    EXPECT_EQ(v.Level(1, 3), 1);
    Clock.Advance(41);
    v.MultiplyGain(1.1f); // the L key
    v.Update();
    EXPECT_FLOAT_EQ(v.Gain(), 1.1f);
    EXPECT_EQ(v.Level(0, 0), 6);  // 5.5: ties round to even
    EXPECT_EQ(v.Level(0, 3), 38); // 38.5
    EXPECT_EQ(v.Level(1, 3), 35);
    EXPECT_EQ(v.Level(2, 3), 1);
    // Depth and colour of the cube at column 3, row 1.
    const toolkit::TGLCube& cube = Cube(3 * 5 + 1);
    EXPECT_FLOAT_EQ(cube.Scale.Z, 35.0f / 30);
    ExpectColour(cube.Material.Diffuse, 0.36f + 0.64f * 35 / 250, 0.25f - 0.25f * 35 / 250,
                 0.20f - 0.20f * 35 / 250);

    // The gain goes down by 0.9 (K) and the levels stay within 1 ... 255 however far it goes.
    for (int i = 0; i < 500; ++i)
        v.MultiplyGain(1.1f);
    EXPECT_TRUE(std::isfinite(v.Gain()));
    Clock.Advance(41);
    v.Update();
    EXPECT_EQ(v.Level(0, 0), 255);
    for (int i = 0; i < 1000; ++i)
        v.MultiplyGain(0.9f);
    EXPECT_GT(v.Gain(), 0.0f);
    Clock.Advance(41);
    v.Update();
    EXPECT_EQ(v.Level(0, 4), 1);
    // Turned back up, it acts again.
    for (int i = 0; i < 73; ++i) // 1/1024 x 1.1^73 is about 1.04
        v.MultiplyGain(1.1f);
    Clock.Advance(41);
    v.Update();
    EXPECT_NEAR(v.Level(0, 4), 45 * v.Gain(), 0.5f);
}

// With beat detection every cube's ambient colour goes from brown towards blue by (sum / 2R) / 150; without,
// it stays. A radius of 0 (one column) counts as 1 there instead of dividing by 0.
TEST_F(VisualizationTest, BeatColour) {
    struct {
        int radius;
        bool beat;
        int sample;
        float t; // expected blend
    } cases[] = {{3, true, 1, 7.0f / 6 / 150},
                 {3, true, 100, 700.0f / 6 / 150},
                 {3, false, 100, -1},
                 {0, true, 30, 30.0f / 150},
                 {18, true, 255, 255.0f * 37 / 36 / 150}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.radius) + (c.beat ? " beat" : "") + " " + std::to_string(c.sample));
        Settings.SetVisEnableBeatDetection(c.beat);
        TCubeVisualization& v = Make(c.radius);
        TVisualization::TSpectrum spectrum{};
        spectrum.fill(std::uint8_t(c.sample));
        v.Spectrum = &spectrum;
        v.Update();
        for (const toolkit::TGLCube* cube : v.Cubes()) {
            const TColorVector& a = cube->Material.Ambient;
            if (c.t < 0)
                ExpectColour(a, 0.2f, 0.2f, 0.2f); // the material's own
            else
                ExpectColour(a, 0.36f - 0.36f * c.t, 0.25f - 0.25f * c.t, 0.20f + 0.80f * c.t);
        }
    }
}

// The anchor's cubes have no frame handlers: the scene clock does not walk them.
TEST_F(VisualizationTest, SceneClockDoesNotWalkTheCubes) {
    toolkit::TGLScene scene;
    auto& anchor = scene.Objects.AddNewChild<toolkit::TGLDummyCube>("anchor");
    anchor.ProgressChildren = false;
    TCubeVisualization v(6, anchor, Clock, Settings);
    int calls = 0, anchorCalls = 0;
    v.Cubes().front()->OnProgress = [&](toolkit::TGLBaseSceneObject&, double, double) { ++calls; };
    anchor.OnProgress = [&](toolkit::TGLBaseSceneObject&, double, double) { ++anchorCalls; };
    toolkit::TGLCadencer cadencer(Clock);
    cadencer.Scene = &scene;
    cadencer.ProgressBy(0.012);
    EXPECT_EQ(anchorCalls, 1);
    EXPECT_EQ(calls, 0);
}

} // namespace
