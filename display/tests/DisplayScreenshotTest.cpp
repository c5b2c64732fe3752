// The lyric display drawn by the OpenGL renderer under Xvfb: the current line yellow, the others grey, and
// nothing of the lines outside the lyric area; a line with word times yellow as far as it is sung.
#include "QtTestApp.h"

#include "config/TNullSettingsView.h"
#include "config/TSongList.h"
#include "config/USettings.h"
#include "display/MainScene.h"
#include "display/UDisplayTextNoTimestamp.h"
#include "display/scene/GLSceneViewer.h"
#include "lyrics/UTextLyrics.h"
#include "player/EasyAmp.h"
#include "toolkit/CodePage.h"

#include "platform/fake/FakeWinamp.h"

#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using namespace display;
namespace fs = std::filesystem;

namespace {

struct TColours {
    int Yellow = 0, Grey = 0, Lit = 0;
};

TColours Count(const QImage& image, QRect rect) {
    TColours c;
    rect = rect.intersected(image.rect());
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QColor p = image.pixelColor(x, y);
            if (std::max({p.red(), p.green(), p.blue()}) < 40)
                continue;
            ++c.Lit;
            if (std::abs(p.red() - p.green()) < 25 && p.blue() < p.red() / 3)
                ++c.Yellow;
            else if (std::abs(p.red() - p.blue()) < 25 && std::abs(p.green() - p.blue()) < 25)
                ++c.Grey;
        }
    return c;
}

QRect RectOf(const toolkit::TGLHUDText& text) {
    const toolkit::TPixelRect r = text.ScreenRect();
    return QRect(QPoint(int(r.Left), int(r.Top)), QPoint(int(r.Right) - 1, int(r.Bottom) - 1));
}

} // namespace

TEST(DisplayScreenshot, CurrentLineYellowOthersGreyOutsideNotDrawn) {
    display::testing::TestApp();
    const fs::path folder = fs::temp_directory_path() / "cantrel_display_screenshot";
    fs::remove_all(folder);
    fs::create_directories(folder / "Cantrel");
    fs::copy_file(fs::path(CANTREL_SETTINGS_DIR) / "charset_english14.gsf",
                  folder / "Cantrel" / "charset_english14.gsf");

    platform::TFakeWindowSystem windows;
    platform::TFakeClock clock;
    clock.Now = 1000000;
    player::TPlayerSession session(windows, clock);
    platform::TFakeWinamp amp(windows, "1. Artist - Song - Winamp");
    amp.LengthSeconds = 100;
    session.PollPlayer();
    session.PollPlayer();

    config::TNullSettingsView settingsView;
    config::TSongList cancelList, uploadList;
    config::TSettings settings(settingsView, cancelList, uploadList, folder.string(), "", '/');
    settings.LoadSettings();
    settings.SetFadeLyrics(false); // full colours, the current line at the middle
    settings.SetScrollSmooth(false);

    TMainScene scene(clock);
    scene.GLDummyCubeButtons->Visible = false;
    scene.GLHUDTextLoading->Visible = false;
    TGLSceneViewer viewer(clock);
    scene.SetTextMeasure(&viewer.GlyphCache());
    viewer.SetScene(&scene.GLSceneTextNoTimestamp);
    viewer.SetCamera(scene.GLCameraTextNoTimestamp);
    viewer.resize(810, 306);
    scene.GLCameraTextNoTimestamp->SceneScale = 488.0f / 810;

    lyrics::TTextLyrics lyrics;
    std::string text;
    for (int i = 0; i < 20; ++i)
        text += "[00:" + std::string(i < 5 ? "0" : "") + std::to_string(2 * i) + ".00]MMMMMMMMMM\r\n";
    lyrics.ParseText(text);
    lyrics.Found = true;
    ASSERT_TRUE(lyrics.Timestamped);

    TScrollState scroll;
    display::TNullDisplayHost host;
    TDisplayTextNoTimestamp engine(scene, viewer.View(), lyrics, settings, session, scroll, host);
    engine.RebuildLines();
    engine.LayoutWindow();
    clock.Now += 15000; // line 7 (14 s) is current
    engine.UpdateFrame(0.012, 1);
    ASSERT_EQ(engine.CurrentLine, 7);

    viewer.show();
    const QImage image = viewer.grabFramebuffer();
    ASSERT_EQ(image.width(), 810);
    ASSERT_EQ(image.height(), 306);

    auto& container = *scene.GLHUDTextNoTimestampContainer;
    auto line = [&](int i) -> toolkit::TGLHUDText& {
        return static_cast<toolkit::TGLHUDText&>(container.Child(i));
    };
    const TColours current = Count(image, RectOf(line(7)));
    EXPECT_GT(current.Yellow, 60);
    EXPECT_LT(current.Grey, current.Yellow / 5);
    for (int i : {5, 6, 8}) {
        ASSERT_TRUE(line(i).Visible) << i;
        const TColours other = Count(image, RectOf(line(i)));
        EXPECT_GT(other.Grey, 60) << i;
        EXPECT_EQ(other.Yellow, 0) << i;
    }
    // Lines 3 and 11 lie outside the area (y = -1 and y = 179 against the separator at 168): their pixels
    // stay black, as does everything below the separator's own text.
    EXPECT_FALSE(line(3).Visible);
    EXPECT_FALSE(line(11).Visible);
    EXPECT_EQ(Count(image, QRect(0, 0, 810, 12)).Lit, 0);
    EXPECT_EQ(Count(image, QRect(0, 190, 810, 116)).Lit, 0);
    EXPECT_GT(Count(image, RectOf(*scene.GLHUDTextNoTimestampSeperator)).Lit, 0);

    fs::remove_all(folder);
}

// Enhanced LRC: the current line's sung words yellow, the words still to come grey, with the stored font and
// with the system's fonts.
TEST(DisplayScreenshot, SungWordsYellowTheRestGrey) {
    display::testing::TestApp();
    const fs::path folder = fs::temp_directory_path() / "cantrel_display_screenshot_words";
    fs::remove_all(folder);
    fs::create_directories(folder / "Cantrel");
    fs::copy_file(fs::path(CANTREL_SETTINGS_DIR) / "charset_english14.gsf",
                  folder / "Cantrel" / "charset_english14.gsf");
    for (const char* charset : {"charset_english", "charset_unicode"}) {
        platform::TFakeWindowSystem windows;
        platform::TFakeClock clock;
        clock.Now = 1000000;
        player::TPlayerSession session(windows, clock);
        platform::TFakeWinamp amp(windows, "1. Artist - Song - Winamp");
        amp.LengthSeconds = 100;
        session.PollPlayer();
        session.PollPlayer();

        config::TNullSettingsView settingsView;
        config::TSongList cancelList, uploadList;
        config::TSettings settings(settingsView, cancelList, uploadList, folder.string(), "", '/');
        settings.LoadSettings();
        settings.SetCharset(charset);
        settings.SetFadeLyrics(false);
        settings.SetScrollSmooth(false);

        TMainScene scene(clock);
        scene.GLDummyCubeButtons->Visible = false;
        scene.GLHUDTextLoading->Visible = false;
        TGLSceneViewer viewer(clock);
        scene.SetTextMeasure(&viewer.GlyphCache());
        viewer.SetScene(&scene.GLSceneTextNoTimestamp);
        viewer.SetCamera(scene.GLCameraTextNoTimestamp);
        viewer.resize(810, 306);
        scene.GLCameraTextNoTimestamp->SceneScale = 488.0f / 810;

        lyrics::TTextLyrics lyrics;
        lyrics.ParseText("[00:02.00]before\r\n[00:10.00]<00:10.00>MMMMMMMM <00:20.00>MMMMMMMM\r\n"
                         "[00:30.00]after\r\n");
        lyrics.Found = true;
        TScrollState scroll;
        display::TNullDisplayHost host;
        TDisplayTextNoTimestamp engine(scene, viewer.View(), lyrics, settings, session, scroll, host);
        engine.RebuildLines();
        engine.LayoutWindow();
        clock.Now += 15000; // the first word is sung, the second not yet
        engine.UpdateFrame(0.012, 1);
        ASSERT_EQ(engine.CurrentLine, 1) << charset;

        viewer.show();
        const QImage image = viewer.grabFramebuffer();
        const auto& line =
            static_cast<const toolkit::TGLHUDText&>(scene.GLHUDTextNoTimestampContainer->Child(1));
        const QRect rect = RectOf(line);
        const QRect left(rect.topLeft(), QSize(rect.width() / 2 - 4, rect.height()));
        const QRect right(QPoint(rect.center().x() + 4, rect.top()), rect.bottomRight());
        const TColours sung = Count(image, left), toCome = Count(image, right);
        EXPECT_GT(sung.Yellow, 40) << charset;
        EXPECT_LT(sung.Grey, sung.Yellow / 5) << charset;
        EXPECT_GT(toCome.Grey, 40) << charset;
        EXPECT_LT(toCome.Yellow, toCome.Grey / 5) << charset;
        viewer.hide();
    }
    toolkit::SetActiveCodePage(1252);
    fs::remove_all(folder);
}
