#include "toolkit/FramesPerSecond.h"
#include "toolkit/GLBitmapFont.h"
#include "toolkit/GLCadencer.h"
#include "toolkit/GLCamera.h"
#include "toolkit/GLCube.h"
#include "toolkit/GLDummyCube.h"
#include "toolkit/GLHUDText.h"
#include "toolkit/GLScene.h"
#include "toolkit/GLSceneView.h"
#include "toolkit/GLTextMeasure.h"
#include "toolkit/GLTorus.h"

#include "platform/fake/FakeWindowSystem.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace toolkit;

namespace {

constexpr float kEps = 1e-3f;

void ExpectNear(TVector3 a, TVector3 b, float eps = kEps) {
    EXPECT_NEAR(a.X, b.X, eps);
    EXPECT_NEAR(a.Y, b.Y, eps);
    EXPECT_NEAR(a.Z, b.Z, eps);
}

// A scene like the lyric view's: an orthogonal camera at (0, 0, 100) aimed at an anchor at the origin.
struct TOrthoScene {
    TOrthoScene() {
        Target = &Scene.Objects.AddNewChild<TGLDummyCube>("target");
        Camera = &Scene.Objects.AddNewChild<TGLCamera>("camera");
        Camera->CameraStyle = TGLCameraStyle::Orthogonal;
        Camera->Position = {0, 0, 100};
        Camera->TargetObject = Target;
        Camera->DepthOfView = 1000;
        Camera->FocalLength = 50;
        View.Scene = &Scene;
        View.Camera = Camera;
        View.Width = 810;
        View.Height = 306;
        Camera->SceneScale = 488.0f / 810;
    }
    TGLScene Scene;
    TGLDummyCube* Target;
    TGLCamera* Camera;
    TGLSceneView View;
};

} // namespace

TEST(SceneObjects, ChildrenAreOwnedFoundAndDeleted) {
    TGLScene scene;
    auto& anchor = scene.Objects.AddNewChild<TGLDummyCube>("anchor");
    auto& ring = anchor.AddNewChild<TGLTorus>("ring");
    anchor.AddNewChild<TGLCube>("cube");
    EXPECT_EQ(ring.Parent(), &anchor);
    EXPECT_EQ(anchor.Count(), 2);
    EXPECT_EQ(scene.Objects.FindChild("cube"), &anchor.Child(1));
    EXPECT_EQ(scene.Objects.FindChild("missing"), nullptr);

    anchor.DeleteChildren();
    EXPECT_EQ(anchor.Count(), 0);
    EXPECT_EQ(scene.Objects.FindChild("ring"), nullptr);
}

TEST(SceneObjects, AbsoluteTransformsFollowParents) {
    TGLScene scene;
    auto& anchor = scene.Objects.AddNewChild<TGLDummyCube>();
    anchor.Position = {1, 2, 0};
    anchor.Scale = {0.5f, 0.5f, 0.5f};
    auto& child = anchor.AddNewChild<TGLCube>();
    child.Position = {2, 0, 0};
    ExpectNear(child.AbsolutePosition(), {2, 2, 0});

    anchor.TurnAngle = 90; // x axis turns onto -z
    ExpectNear(child.AbsolutePosition(), {1, 2, -1});

    child.SetAbsolutePosition({1, 3, 0});
    ExpectNear(child.AbsolutePosition(), {1, 3, 0});

    EXPECT_TRUE(child.ShownInScene());
    anchor.Visible = false;
    EXPECT_FALSE(child.ShownInScene());
}

TEST(SceneObjects, HudTextRectFollowsFontAlignmentAndScale) {
    TGLBitmapFont font("Mono", 10);
    font.SetCharWidth(8);
    font.SetCharHeight(12);
    font.CharWidths['W'] = 20;
    TGLHUDText text;
    text.BitmapFont = &font;
    text.Text = "WAA";
    text.Position = {100, 50, 0};
    text.Scale = {1.5f, 2, 1};

    struct {
        TAlignment alignment;
        float left;
    } cases[] = {
        {TAlignment::LeftJustify, 100}, {TAlignment::Center, 100 - 27}, {TAlignment::RightJustify, 100 - 54}};
    for (const auto& c : cases) {
        text.Alignment = c.alignment;
        const TPixelRect r = text.ScreenRect();
        EXPECT_FLOAT_EQ(r.Left, c.left);
        EXPECT_FLOAT_EQ(r.Right, c.left + 54); // (20 + 8 + 8) x 1.5
        EXPECT_FLOAT_EQ(r.Top, 50);
        EXPECT_FLOAT_EQ(r.Bottom, 74);
    }

    text.Text = "A\r\nWAA\nA";
    text.Alignment = TAlignment::LeftJustify;
    EXPECT_FLOAT_EQ(text.ScreenRect().Right, 154);
    EXPECT_FLOAT_EQ(text.ScreenRect().Bottom, 50 + 3 * 24);

    text.Text.clear();
    const TPixelRect empty = text.ScreenRect();
    EXPECT_FALSE(empty.Contains(100, 50));
}

// A text of a system font is measured through the font's text measure at its exact pixel size (not scaled
// again); a loaded font and a font without a measure use the cell metrics.
TEST(SceneObjects, SystemFontTextIsMeasuredAtItsPixelSize) {
    struct TMeasure : IGLTextMeasure {
        std::string Family, Text;
        int PixelSize = 0;
        TGLTextExtent MeasureText(const std::string& family, int pixelSize,
                                  const std::string& text) override {
            Family = family;
            PixelSize = pixelSize;
            Text = text;
            return {float(10 * pixelSize), float(2 * pixelSize)};
        }
    } measure;
    struct TFileFont : TGLBitmapFont {
        using TGLBitmapFont::TGLBitmapFont;
        void MarkLoaded() { SetLoaded(); }
    } font("Mono", 14);
    font.SetCharWidth(8);
    font.SetCharHeight(12);
    TGLHUDText text;
    text.BitmapFont = &font;
    text.Text = "\xD0\x96";
    text.Position = {100, 50, 0};
    text.Scale = {20.0f / 14, 20.0f / 14, 1};
    text.Alignment = TAlignment::Center;

    // No measure: two bytes of cells, scaled.
    EXPECT_NEAR(text.ScreenRect().Right - text.ScreenRect().Left, 2 * 8 * 20.0f / 14, 1e-3);

    font.SetTextMeasure(&measure);
    const TPixelRect r = text.ScreenRect();
    EXPECT_EQ(measure.Family, "Mono");
    EXPECT_EQ(measure.PixelSize, 20);
    EXPECT_EQ(measure.Text, text.Text);
    EXPECT_FLOAT_EQ(r.Left, 100 - 100);
    EXPECT_FLOAT_EQ(r.Right, 100 + 100);
    EXPECT_FLOAT_EQ(r.Bottom, 50 + 40);

    // Sizes round to whole pixels and are at least 1.
    struct {
        float scale;
        int pixels;
    } sizes[] = {{1, 14}, {15.0f / 14, 15}, {30.0f / 22 * 22 / 14, 30}, {0.01f, 1}, {-2, 1}};
    for (const auto& s : sizes)
        EXPECT_EQ(font.SystemPixelSize(s.scale), s.pixels) << s.scale;

    font.MarkLoaded();
    measure.PixelSize = 0;
    EXPECT_NEAR(text.ScreenRect().Right - text.ScreenRect().Left, 2 * 8 * 20.0f / 14, 1e-3);
    EXPECT_EQ(measure.PixelSize, 0);
}

TEST(SceneView, OrthogonalCameraShowsFixedPixelsPerUnit) {
    TOrthoScene s;
    // Scene scale 488 / width: 244 pixels per scene unit, the target in the middle of the view.
    ExpectNear(s.View.ScreenToWorld(405, 153), {0, 0, 0});
    ExpectNear(s.View.ScreenToWorld(405 + 244, 153 - 122), {1, 0.5f, 0});
    ExpectNear(s.View.ScreenToWorld(405, 153, 10), {0, 0, 10});

    const TVector3 p = s.View.WorldToScreen({-0.5f, -0.25f, 3});
    EXPECT_NEAR(p.X, 405 - 122, 0.01);
    EXPECT_NEAR(p.Y, 153 + 61, 0.01);

    // The same scale on a wider view keeps 244 pixels per unit.
    s.View.Width = 1620;
    s.Camera->SceneScale = 488.0f / 1620;
    ExpectNear(s.View.ScreenToWorld(810 + 244, 153), {1, 0, 0});
}

TEST(SceneView, PerspectiveScreenAndWorldAgree) {
    TOrthoScene s;
    s.Camera->CameraStyle = TGLCameraStyle::Perspective;
    s.Camera->Position = {0, 0, 4};
    s.Camera->SceneScale = 1;
    for (float depth : {0.0f, 2.0f, -3.0f}) {
        const TVector3 w = s.View.ScreenToWorld(100, 250, depth);
        EXPECT_NEAR(w.Z, depth, kEps);
        const TVector3 back = s.View.WorldToScreen(w);
        EXPECT_NEAR(back.X, 100, 0.05);
        EXPECT_NEAR(back.Y, 250, 0.05);
    }
    // Closer to the eye, the same pixel offset spans less of the scene.
    EXPECT_LT(s.View.ScreenToWorld(700, 153, 2).X, s.View.ScreenToWorld(700, 153, 0).X);
}

TEST(SceneView, PicksTextsOnTopThenNearestSolid) {
    TOrthoScene s;
    TGLBitmapFont font("Mono", 10);
    font.SetCharWidth(10);
    font.SetCharHeight(10);

    auto& back = s.Scene.Objects.AddNewChild<TGLTorus>("back");
    back.MajorRadius = 0.4f;
    back.MinorRadius = 0.1f;
    back.Position = {0, 0, -5};
    auto& front = s.Scene.Objects.AddNewChild<TGLTorus>("front");
    front.MajorRadius = 0.2f;
    front.MinorRadius = 0.05f;
    front.Position = {0, 0, 5};

    auto& container = s.Scene.Objects.AddNewChild<TGLHUDText>("container");
    auto& first = container.AddNewChild<TGLHUDText>("first");
    first.BitmapFont = &font;
    first.Text = "abcd";
    first.Position = {400, 150, 0};
    auto& over = container.AddNewChild<TGLHUDText>("over");
    over.BitmapFont = &font;
    over.Text = "ab";
    over.Position = {410, 150, 0};

    struct {
        float x, y;
        const TGLBaseSceneObject* expected;
    } cases[] = {
        {402, 155, &first},      // text over the rings
        {412, 155, &over},       // the later text is drawn on top
        {405, 153 + 30, &front}, // both rings cover it: the nearer wins
        {405 + 100, 153, &back}, // outside the small ring: 0.5 units x 244 px = 122 px radius for the big one
        {405 + 130, 153, nullptr}, {10, 10, nullptr},
    };
    for (const auto& c : cases)
        EXPECT_EQ(s.View.PickObject(c.x, c.y), c.expected) << c.x << "," << c.y;

    container.Visible = false; // a hidden parent hides its texts
    front.Visible = false;
    EXPECT_EQ(s.View.PickObject(402, 155), &back);
}

TEST(SceneView, CameraTurnsObjectsAboutTheViewAxes) {
    TOrthoScene s;
    auto& anchor = s.Scene.Objects.AddNewChild<TGLDummyCube>();
    anchor.Position = {3, 1, 0};
    anchor.PitchAngle = 40;

    // A turn about the view's up axis (scene y): a point on the anchor's x axis swings round it.
    anchor.PitchAngle = 0;
    s.Camera->RotateObject(anchor, 0, 90);
    auto& marker = anchor.AddNewChild<TGLCube>();
    marker.Position = {1, 0, 0};
    ExpectNear(marker.AbsolutePosition(), {3, 1, -1});
    ExpectNear(anchor.AbsolutePosition(), {3, 1, 0});

    // A pitch about the view's right axis (scene x) then lifts the anchor's y axis onto z.
    marker.Position = {0, 1, 0};
    s.Camera->RotateObject(anchor, 90, 0);
    ExpectNear(marker.AbsolutePosition(), {3, 1, 1});
}

TEST(Cadencer, AdvancesByClockTicksAndCallsHandlersInOrder) {
    platform::TFakeClock clock;
    clock.Now = 0xFFFFFF00u; // about to wrap
    TGLScene scene;
    TGLCadencer cadencer(clock);
    cadencer.Scene = &scene;

    std::vector<std::string> calls;
    std::vector<double> steps;
    auto& parent = scene.Objects.AddNewChild<TGLDummyCube>("parent");
    auto& child = parent.AddNewChild<TGLDummyCube>("child");
    auto record = [&](TGLBaseSceneObject& sender, double dt, double) {
        calls.push_back(sender.Name);
        steps.push_back(dt);
    };
    parent.OnProgress = record;
    child.OnProgress = record;
    cadencer.OnProgress = [&](double dt, double t) {
        calls.push_back("cadencer");
        steps.push_back(dt);
        EXPECT_DOUBLE_EQ(t, cadencer.CurrentTime());
    };

    cadencer.Progress();        // first advance: no time has passed
    clock.Advance(0x100 + 250); // across the wrap
    cadencer.Progress();
    cadencer.ProgressBy(0.5);

    EXPECT_EQ(calls, (std::vector<std::string>{"parent", "child", "cadencer", "parent", "child", "cadencer",
                                               "parent", "child", "cadencer"}));
    EXPECT_DOUBLE_EQ(steps[0], 0);
    EXPECT_DOUBLE_EQ(steps[3], 0.506);
    EXPECT_DOUBLE_EQ(steps[8], 0.5);
    EXPECT_DOUBLE_EQ(cadencer.CurrentTime(), 1.006);
}

TEST(Cadencer, HandlerMayAddObjectsWhileTheSceneAdvances) {
    platform::TFakeClock clock;
    TGLScene scene;
    TGLCadencer cadencer(clock);
    cadencer.Scene = &scene;
    auto& parent = scene.Objects.AddNewChild<TGLDummyCube>();
    int added = 0;
    parent.AddNewChild<TGLDummyCube>().OnProgress = [&](TGLBaseSceneObject&, double, double) {
        for (int i = 0; i < 100; ++i) // enough to move the parent's child list
            parent.AddNewChild<TGLDummyCube>().OnProgress = [&](TGLBaseSceneObject&, double, double) {
                ++added;
            };
    };
    cadencer.ProgressBy(0.1);
    EXPECT_EQ(parent.Count(), 101);
    EXPECT_EQ(added, 100); // the new objects run in the same advance
}

TEST(FramesPerSecond, CountsFramesSinceReset) {
    TFramesPerSecond fps;
    fps.Reset(1000);
    EXPECT_EQ(fps.FramesPerSecond(1000), 0);
    for (int i = 0; i < 30; ++i)
        fps.FrameRendered();
    EXPECT_DOUBLE_EQ(fps.FramesPerSecond(1500), 60);
    fps.Reset(1500);
    EXPECT_EQ(fps.Frames(), 0u);
}
