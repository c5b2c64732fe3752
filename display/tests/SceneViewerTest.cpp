// Draws small scenes with the OpenGL renderer (Mesa's software renderer under Xvfb) and reads the pixels.
#include "QtTestApp.h"

#include "display/GLStoredBitmapFont.h"
#include "display/scene/GLSceneViewer.h"
#include "platform/fake/FakeWindowSystem.h"
#include "toolkit/GLCamera.h"
#include "toolkit/GLDummyCube.h"
#include "toolkit/GLHUDText.h"
#include "toolkit/GLLightSource.h"
#include "toolkit/GLScene.h"
#include "toolkit/GLTorus.h"

#include <QImage>

#include <gtest/gtest.h>

using namespace toolkit;

// Under LeakSanitizer: the system libraries Qt loads for a display keep a few allocations to the end.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\nleak:libfontconfig.so\n";
}

namespace {

struct TPixelCount {
    int Yellow = 0, Grey = 0, Red = 0, Lit = 0;
};

// Classifies the lit pixels of a rectangle of the picture.
TPixelCount Count(const QImage& image, QRect rect) {
    TPixelCount c;
    rect = rect.intersected(image.rect());
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QColor p = image.pixelColor(x, y);
            if (std::max({p.red(), p.green(), p.blue()}) < 60)
                continue;
            ++c.Lit;
            if (p.red() > 100 && std::abs(p.red() - p.green()) < 30 && p.blue() < p.red() / 3)
                ++c.Yellow;
            else if (std::abs(p.red() - p.green()) < 20 && std::abs(p.green() - p.blue()) < 20)
                ++c.Grey;
            else if (p.red() > 2 * p.green() && p.red() > 2 * p.blue())
                ++c.Red;
        }
    return c;
}

QRect RectOf(const TGLHUDText& text) {
    const TPixelRect r = text.ScreenRect();
    return QRect(QPoint(int(r.Left), int(r.Top)), QPoint(int(r.Right) - 1, int(r.Bottom) - 1));
}

} // namespace

TEST(SceneViewer, DrawsSolidsAndColouredTexts) {
    display::testing::TestApp();
    platform::TFakeClock clock;
    TGLScene scene;
    auto& target = scene.Objects.AddNewChild<TGLDummyCube>();
    auto& camera = scene.Objects.AddNewChild<TGLCamera>();
    camera.CameraStyle = TGLCameraStyle::Orthogonal;
    camera.Position = {0, 0, 100};
    camera.TargetObject = &target;
    camera.DepthOfView = 1000;
    camera.SceneScale = 488.0f / 400;
    auto& light = scene.Objects.AddNewChild<TGLLightSource>();
    light.Position = {0, -20, 50};
    auto& ring = scene.Objects.AddNewChild<TGLTorus>();
    ring.MajorRadius = 0.1f;
    ring.MinorRadius = 0.04f; // 244 pixels per unit: 34 pixels round
    ring.Position = {0, -0.3f, 0}; // centre at pixel (200, 150 + 73)
    ring.Material.Diffuse = {1, 0, 0, 1};
    ring.Material.Ambient = {0.5f, 0, 0, 1};

    display::TGLStoredBitmapFont font("Lucida Console", 22);
    ASSERT_TRUE(font.LoadFromFile(std::string(CANTREL_SETTINGS_DIR) + "charset_english22.gsf"));
    auto addText = [&](const char* s, float y, TColorVector color) -> TGLHUDText& {
        auto& t = scene.Objects.AddNewChild<TGLHUDText>();
        t.Text = s;
        t.BitmapFont = &font;
        t.Alignment = TAlignment::Center;
        t.Position = {200, y, 0};
        t.ModulateColor = color;
        return t;
    };
    auto& yellow = addText("MMMM", 10, {0.75f, 0.75f, 0, 1});
    auto& grey = addText("MMMM", 50, {0.75f, 0.75f, 0.75f, 1});
    auto& transparent = addText("MMMM", 90, {0.75f, 0.75f, 0.75f, -0.5f});
    auto& hidden = addText("MMMM", 130, {1, 1, 1, 1});
    hidden.Visible = false;

    display::TGLSceneViewer viewer(clock);
    viewer.SetScene(&scene);
    viewer.SetCamera(&camera);
    viewer.resize(400, 300);
    viewer.show();
    const QImage image = viewer.grabFramebuffer();
    ASSERT_EQ(image.width(), 400);

    const TPixelCount y = Count(image, RectOf(yellow));
    EXPECT_GT(y.Yellow, 40);
    EXPECT_LT(y.Grey, y.Yellow / 4);
    const TPixelCount g = Count(image, RectOf(grey));
    EXPECT_GT(g.Grey, 40);
    EXPECT_EQ(g.Yellow, 0);
    EXPECT_EQ(Count(image, RectOf(transparent)).Lit, 0);
    EXPECT_EQ(Count(image, RectOf(hidden)).Lit, 0);
    EXPECT_GT(Count(image, QRect(200 - 40, 223 - 40, 80, 80)).Red, 200);
    EXPECT_EQ(Count(image, QRect(0, 290, 400, 10)).Lit, 0);
    EXPECT_GE(viewer.FramesPerSecond(), 0);
}
