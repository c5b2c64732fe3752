// Text on a screen of two device pixels per view pixel (QT_SCALE_FACTOR=2 under Xvfb): the glyphs are
// rendered for the device, so the line is Qt's drawing at twice the text size and not a drawing at the
// text size blown up. A program of its own, since the ratio is fixed when the application starts.
#include "QtTestApp.h"
#include "TextPictures.h"
#include "display/USkinImage.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QPainter>
#include <QWidget>

using namespace display;
using namespace display::testing;

TEST(HiDpiScreenshot, TextIsRenderedAtTheDevicePixelSize) {
    qputenv("QT_SCALE_FACTOR", "2");
    const std::string line = "Жизнь Hamburgefonts 東京";
    TLyricView view({line});
    const QString text = QString::fromUtf8(line.c_str());
    if (!FontsCover(text, view.Family()))
        GTEST_SKIP()
            << "no installed font has CJK characters (scripts/install-deps installs fonts-wqy-microhei)";

    double margins = 0;
    for (int size : {11, 15, 22, 30}) {
        SCOPED_TRACE(size);
        const QImage frame = view.Draw(size);
        ASSERT_DOUBLE_EQ(frame.devicePixelRatio(), 2.0);
        ASSERT_EQ(frame.width(), 2 * 810);
        TGlyphCache& cache = view.Viewer.GlyphCache();
        ASSERT_EQ(cache.DevicePixelSize(size), 2 * size);

        const TLinePicture p = LinePicture(frame, view.Line(line), 2.0, view.Family(), 2 * size);
        const QRect whole(QPoint(0, 0), p.Rect.size());
        const TGrey qt =
            GreyOf(QtDrawn(text, view.Family(), 2 * size, p.Rect.size(), p.PenX, p.Baseline), whole);
        const double likeQt = Likeness(p.Drawn, qt);
        // Drawn at the view size and doubled: soft edges two device pixels wide.
        const QSize half((p.Rect.width() + 1) / 2, (p.Rect.height() + 1) / 2);
        const QImage blownUp =
            QtDrawn(text, view.Family(), size, half, p.PenX / 2, p.PenX / 2 + Ascent(view.Family(), size))
                .scaled(p.Rect.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const TGrey soft = GreyOf(blownUp, whole);
        const double likeBlownUp = Likeness(p.Drawn, soft);
        EXPECT_GT(likeQt, 0.9);
        EXPECT_GT(likeQt, likeBlownUp);
        EXPECT_NEAR(Sharpness(p.Drawn) / Sharpness(qt), 1.0, 0.05); // edges as sharp as Qt's own
        EXPECT_GT(Sharpness(p.Drawn), Sharpness(soft));
        margins += likeQt - likeBlownUp;
    }
    EXPECT_GT(margins / 4, 0.04);
}

// The frame's canvases hold device pixels: what is painted on them in view pixels is drawn at the screen's
// resolution, not enlarged.
TEST(HiDpiScreenshot, FrameCanvasesHoldDevicePixels) {
    qputenv("QT_SCALE_FACTOR", "2");
    TestApp();
    QWidget window;
    auto* strip = new TSkinImage(&window, "StatusStrip");
    strip->SetBounds(0, 0, 120, 17);
    QImage& canvas = strip->Canvas();
    EXPECT_DOUBLE_EQ(canvas.devicePixelRatio(), 2.0);
    EXPECT_EQ(canvas.size(), QSize(240, 34));
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    painter.fillRect(QRect(10, 5, 1, 1), Qt::white); // one view pixel
    painter.end();
    for (const QPoint device : {QPoint(20, 10), QPoint(21, 11)})
        EXPECT_EQ(canvas.pixelColor(device), QColor(Qt::white)) << device.x() << "," << device.y();
    EXPECT_EQ(canvas.pixelColor(22, 10), QColor(Qt::black));

    // Growing keeps the painting and the ratio.
    strip->SetBounds(0, 0, 300, 17);
    EXPECT_EQ(strip->Canvas().size(), QSize(600, 34));
    EXPECT_EQ(strip->Canvas().pixelColor(21, 11), QColor(Qt::white));
}
