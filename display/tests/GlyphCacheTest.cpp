// The glyph cache on its own: glyphs rendered once per size, widths as Qt measures them, texts read in the
// active code page, and memory that stays bounded.
#include "QtTestApp.h"

#include "display/scene/GlyphCache.h"
#include "toolkit/CodePage.h"

#include <QFont>
#include <QFontMetricsF>
#include <QString>

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using display::TGlyphCache;
using display::TShapedText;

namespace {

const std::string kFamily = "DejaVu Sans";

double QtAdvance(const QString& text, int pixelSize) {
    QFont font(QString::fromStdString(kFamily));
    font.setPixelSize(pixelSize);
    return QFontMetricsF(font).horizontalAdvance(text);
}

int QtLineSpacing(int pixelSize) {
    QFont font(QString::fromStdString(kFamily));
    font.setPixelSize(pixelSize);
    return int(std::lround(QFontMetricsF(font).lineSpacing()));
}

// Restores the default code page after a test that changes it.
struct TCodePage {
    explicit TCodePage(int page) { toolkit::SetActiveCodePage(page); }
    ~TCodePage() { toolkit::SetActiveCodePage(1252); }
};

} // namespace

TEST(GlyphCache, RendersAGlyphOncePerSize) {
    display::testing::TestApp();
    TCodePage utf8(toolkit::kCodePageUtf8);
    TGlyphCache cache;
    const TShapedText& first = cache.Shape(kFamily, 15, "абв абв");
    EXPECT_EQ(first.Quads.size(), 6u); // the space draws nothing
    const std::size_t rendered = cache.GlyphsRendered();
    EXPECT_LE(rendered, 4u); // а, б, в and the space
    EXPECT_EQ(cache.GlyphCount(), rendered);

    // The same text again is the same shaping; other texts of the same letters render nothing new.
    EXPECT_EQ(&cache.Shape(kFamily, 15, "абв абв"), &first);
    EXPECT_EQ(cache.TextsShaped(), 1u);
    cache.Shape(kFamily, 15, "вба");
    cache.Shape(kFamily, 15, "ба\nаб");
    EXPECT_EQ(cache.TextsShaped(), 3u);
    EXPECT_EQ(cache.GlyphsRendered(), rendered);

    // Another size is other glyphs.
    cache.Shape(kFamily, 16, "абв абв");
    EXPECT_EQ(cache.GlyphsRendered(), 2 * rendered);
}

TEST(GlyphCache, MeasuresAsQtDoes) {
    display::testing::TestApp();
    TCodePage utf8(toolkit::kCodePageUtf8);
    struct {
        const char* text; // UTF-8
        const char* asQt; // the characters Qt measures, when they differ from the text
    } cases[] = {
        {"Группа крови", nullptr},
        {"Istanbul'da ılık şarkı", nullptr},
        {"אני אוהב אותך", nullptr},
        {"mixed עברית and English", nullptr},
        {"tab\tand control\x01", "tab and control "},     // control characters stand as spaces
        {"broken \xC3 byte", "broken \xEF\xBF\xBD byte"}, // a malformed sequence is U+FFFD
        {"", nullptr},
    };
    for (const auto& c : cases)
        for (int size : {11, 17, 30}) {
            SCOPED_TRACE(std::string(c.text) + " at " + std::to_string(size));
            TGlyphCache cache;
            const double advance = QtAdvance(QString::fromUtf8(c.asQt ? c.asQt : c.text), size);
            const toolkit::TGLTextExtent extent = cache.MeasureText(kFamily, size, c.text);
            EXPECT_NEAR(extent.Width, advance, 1.0);
            EXPECT_FLOAT_EQ(extent.Height, float(QtLineSpacing(size)));

            // Two device pixels per view pixel: shaped at twice the size, measured in view pixels.
            cache.SetDevicePixelRatio(2);
            EXPECT_EQ(cache.DevicePixelSize(size), 2 * size);
            EXPECT_NEAR(cache.MeasureText(kFamily, size, c.text).Width,
                        QtAdvance(QString::fromUtf8(c.asQt ? c.asQt : c.text), 2 * size) / 2, 1.0);
        }

    // Lines are separated by line feeds; the widest line is the width.
    TGlyphCache cache;
    const toolkit::TGLTextExtent lines = cache.MeasureText(kFamily, 15, "a\r\nГруппа крови\nb");
    EXPECT_NEAR(lines.Width, QtAdvance(QString::fromUtf8("Группа крови"), 15), 1.0);
    EXPECT_FLOAT_EQ(lines.Height, float(3 * QtLineSpacing(15)));
    EXPECT_EQ(cache.Shape(kFamily, 15, "a\r\nГруппа крови\nb").Lines.size(), 3u);
}

TEST(GlyphCache, ReadsTheBytesInTheActiveCodePage) {
    display::testing::TestApp();
    TCodePage page(1251);
    TGlyphCache cache;
    // The byte C6 is Ж in 1251 and Æ in 1252.
    ASSERT_GT(std::fabs(QtAdvance(QString::fromUtf8("Ж"), 30) - QtAdvance(QString::fromUtf8("Æ"), 30)), 1.5);
    EXPECT_NEAR(cache.MeasureText(kFamily, 30, "\xC6").Width, QtAdvance(QString::fromUtf8("Ж"), 30), 1.0);
    toolkit::SetActiveCodePage(1252);
    EXPECT_NEAR(cache.MeasureText(kFamily, 30, "\xC6").Width, QtAdvance(QString::fromUtf8("Æ"), 30), 1.0);
}

TEST(GlyphCache, MemoryStaysBounded) {
    display::testing::TestApp();
    TCodePage utf8(toolkit::kCodePageUtf8);
    {
        // Shaped texts: beyond the limit they start over.
        TGlyphCache cache;
        for (std::size_t i = 0; i < TGlyphCache::kMaxTexts + 10; ++i)
            cache.Shape(kFamily, 11, "line " + std::to_string(i));
        EXPECT_LE(cache.TextCount(), TGlyphCache::kMaxTexts);
        EXPECT_EQ(cache.TextsShaped(), TGlyphCache::kMaxTexts + 10);
    }
    {
        // A glyph larger than any text's is left out rather than filling the atlas.
        TGlyphCache cache;
        EXPECT_TRUE(cache.Shape(kFamily, 1000, "W").Quads.empty());
        EXPECT_EQ(cache.PageCount(), 0);
    }
    // Glyphs: a full atlas starts over, and the text that filled it is still drawn whole.
    TGlyphCache cache(1);
    const std::string capitals = "АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ";
    const TShapedText* last = nullptr;
    int size = 150;
    for (; cache.Generation() == 0 && size <= 210; size += 20)
        last = &cache.Shape(kFamily, size, capitals);
    ASSERT_GT(cache.Generation(), 0u) << "one page held the capitals at every size up to " << size;
    EXPECT_EQ(cache.PageCount(), 1);
    EXPECT_EQ(last->Quads.size(), 32u);
    EXPECT_EQ(cache.TextCount(), 1u);
}
