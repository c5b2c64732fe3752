// Text of any script drawn through the glyph cache: the cache itself (a glyph rendered once per size, the
// bounds of its memory, measuring as Qt measures), and screenshots of UTF-8 lyric lines under Xvfb compared
// with Qt's own drawing of the same strings.
#include "TextPictures.h"

#include <gtest/gtest.h>

using namespace display;
using namespace display::testing;

namespace {

struct TScriptLine {
    const char* Script;
    const char* Text; // UTF-8
    bool RightToLeft;
};

const TScriptLine kScriptLines[] = {
    {"Cyrillic", "Группа крови на рукаве", false},
    {"CJK", "月亮代表我的心 夜空ノムコウ 사랑해", false},
    {"Hebrew", "אני אוהב אותך", true},
    {"Turkish", "Gözlerin ılık, şarkı çağır İstanbul", false},
};

} // namespace

// Each line is compared with Qt's drawing of the same string in the same font and size (alike), with a
// row of "?" as long (unlike), and, right to left, with the letters drawn in the order of the text (unlike).
TEST(UnicodeScreenshot, LyricLinesOfEveryScriptShowAsTheirCharacters) {
    std::vector<std::string> lines;
    for (const auto& l : kScriptLines)
        lines.push_back(l.Text);
    TLyricView view(lines);
    for (const auto& l : kScriptLines)
        if (!FontsCover(QString::fromUtf8(l.Text), view.Family()))
            GTEST_SKIP() << "no installed font has the " << l.Script
                         << " characters (scripts/install-deps installs fonts-wqy-microhei and DejaVu)";

    const int size = 22;
    const QImage frame = view.Draw(size);
    const double ratio = frame.devicePixelRatio();
    const int device = view.Viewer.GlyphCache().DevicePixelSize(size);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(kScriptLines[i].Script);
        const QString text = QString::fromUtf8(lines[i].c_str());
        const TLinePicture p = LinePicture(frame, view.Line(lines[i]), ratio, view.Family(), device);
        const QRect whole(QPoint(0, 0), p.Rect.size());
        const TGrey qt =
            GreyOf(QtDrawn(text, view.Family(), device, p.Rect.size(), p.PenX, p.Baseline), whole);
        const TGrey questions = GreyOf(
            QtDrawn(QString(text.size(), '?'), view.Family(), device, p.Rect.size(), p.PenX, p.Baseline),
            whole);
        const TGrey logical = GreyOf(
            QtDrawnInLogicalOrder(text, view.Family(), device, p.Rect.size(), p.PenX, p.Baseline), whole);
        const double likeQt = Likeness(p.Drawn, qt);
        const double likeQuestions = Likeness(p.Drawn, questions);
        const double likeLogical = Likeness(p.Drawn, logical);
        EXPECT_GT(likeQt, 0.9);
        EXPECT_LT(likeQuestions, likeQt - 0.3); // not rows of "?"
        if (kScriptLines[i].RightToLeft) {
            EXPECT_LT(likeLogical, likeQt - 0.3); // in visual order: the first letter at the right
        }
    }
}

// Every text size is drawn from glyphs of exactly that size, not from the glyphs of a size class scaled:
// the renderer shaped the line at the size, and the line is Qt's drawing at that size, more so than Qt's
// drawing at the size class (14 or 22 pixels) stretched to it.
TEST(UnicodeScreenshot, SizesElevenToThirtyAreDrawnAtTheirExactPixelSize) {
    const std::string line = "Жизнь Hamburgefonts 東京";
    TLyricView view({line});
    const QString text = QString::fromUtf8(line.c_str());
    if (!FontsCover(text, view.Family()))
        GTEST_SKIP()
            << "no installed font has CJK characters (scripts/install-deps installs fonts-wqy-microhei)";
    TGlyphCache& cache = view.Viewer.GlyphCache();
    double margins = 0;
    int stretchedSizes = 0;
    for (int size = 11; size <= 30; ++size) {
        SCOPED_TRACE(size);
        const QImage frame = view.Draw(size);
        const int device = cache.DevicePixelSize(size);
        const std::size_t shaped = cache.TextsShaped();
        cache.Shape(view.Family().toStdString(), device, line);
        EXPECT_EQ(cache.TextsShaped(), shaped); // drawn from the shaping at this size

        const TLinePicture p =
            LinePicture(frame, view.Line(line), frame.devicePixelRatio(), view.Family(), device);
        const QRect whole(QPoint(0, 0), p.Rect.size());
        const double likeQt = Likeness(
            p.Drawn, GreyOf(QtDrawn(text, view.Family(), device, p.Rect.size(), p.PenX, p.Baseline), whole));
        EXPECT_GT(likeQt, 0.9);
        const int sizeClass = size < 16 ? 14 : 22;
        if (size == sizeClass)
            continue;
        const double stretch = double(size) / sizeClass;
        const int classDevice = cache.DevicePixelSize(sizeClass);
        const QSize classSize(int(std::ceil(p.Rect.width() / stretch)),
                              int(std::ceil(p.Rect.height() / stretch)));
        const QImage small = QtDrawn(text, view.Family(), classDevice, classSize, p.PenX / stretch,
                                     p.PenX / stretch + Ascent(view.Family(), classDevice));
        const QImage stretched = small.scaled(p.Rect.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const double likeStretched = Likeness(p.Drawn, GreyOf(stretched, whole));
        EXPECT_GT(likeQt, likeStretched - 0.01);
        margins += likeQt - likeStretched;
        ++stretchedSizes;
    }
    EXPECT_GT(margins / stretchedSizes, 0.02);
}

// The notices and labels of the scene draw from the same cache: a search notice in Cyrillic and Japanese.
TEST(UnicodeScreenshot, NoticesShowEveryScriptToo) {
    const std::string notice = "Не найдено 見つかりません";
    TLyricView view({"a", "b"});
    const QString text = QString::fromUtf8(notice.c_str());
    toolkit::TGLHUDText& label = *view.Scene.GLHUDTextNoTimestampDownloading;
    const QString family = QString::fromStdString(label.BitmapFont->FontName());
    if (!FontsCover(text, family))
        GTEST_SKIP()
            << "no installed font has CJK characters (scripts/install-deps installs fonts-wqy-microhei)";
    label.Text = notice;
    label.Visible = true;
    const QImage frame = view.Draw(15);
    const int device = view.Viewer.GlyphCache().DevicePixelSize(label.BitmapFont->FontSize());
    const TLinePicture p = LinePicture(frame, label, frame.devicePixelRatio(), family, device);
    // Measured as it is shaped (38 bytes would be far wider than 14 characters).
    QFont font(family);
    font.setPixelSize(device);
    EXPECT_NEAR((label.ScreenRect().Right - label.ScreenRect().Left) * frame.devicePixelRatio(),
                QFontMetricsF(font).horizontalAdvance(text), 1.0);
    const QRect whole(QPoint(0, 0), p.Rect.size());
    const double likeQt =
        Likeness(p.Drawn, GreyOf(QtDrawn(text, family, device, p.Rect.size(), p.PenX, p.Baseline), whole));
    EXPECT_GT(likeQt, 0.9);
}
