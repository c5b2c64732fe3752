// Text on a screen of two device pixels per view pixel (QT_SCALE_FACTOR=2 under Xvfb): the glyphs are
// rendered for the device, so the line is Qt's drawing at twice the text size and not a drawing at the
// text size blown up. A program of its own, since the ratio is fixed when the application starts.
#include "TextPictures.h"

#include <gtest/gtest.h>

#include <QByteArray>

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
