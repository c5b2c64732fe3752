#include "toolkit/BitmapImage.h"
#include "toolkit/GLBitmapFont.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

using namespace toolkit;

namespace {

const std::uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }

void PutU32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(char((v >> (8 * i)) & 0xFF));
}

// A 3 x 2, 8-bit palettized, top-down bitmap with two palette entries and a trailing byte after it.
std::string PalettizedBmp() {
    std::string info;
    PutU32(info, 40);
    PutU32(info, 3);
    PutU32(info, std::uint32_t(-2)); // top-down
    info += std::string("\x01\x00\x08\x00", 4);
    PutU32(info, 0); // uncompressed
    PutU32(info, 8);
    PutU32(info, 0);
    PutU32(info, 0);
    PutU32(info, 2); // colours used
    PutU32(info, 0);
    const std::string palette("\x00\x00\x00\x00\xff\x80\x10\x00", 8); // black; B=ff G=80 R=10
    const std::string rows("\x01\x00\x01\x00" "\x00\x01\x05\x00", 8); // index 5 is outside the palette
    const std::uint32_t off = 14 + 40 + 8;
    std::string file = "BM";
    PutU32(file, off + 8);
    PutU32(file, 0);
    PutU32(file, off);
    return file + info + palette + rows;
}

} // namespace

TEST(BitmapImage, WritesAndReadsBackA24BitPicture) {
    TBitmapImage image;
    image.SetSize(5, 3); // rows need padding
    image.Pixel(0, 0)[0] = 200;
    image.Pixel(4, 2)[1] = 100;
    image.Pixel(2, 1)[2] = 50;
    const std::string file = image.WriteBmp() + "tail";

    TBitmapImage read;
    std::size_t consumed = 0;
    ASSERT_TRUE(read.ReadBmp(Bytes(file), file.size(), consumed));
    EXPECT_EQ(consumed, file.size() - 4); // the length its own header gives
    ASSERT_EQ(read.Width(), 5);
    ASSERT_EQ(read.Height(), 3);
    EXPECT_EQ(read.Pixel(0, 0)[0], 200);
    EXPECT_EQ(read.Pixel(4, 2)[1], 100);
    EXPECT_EQ(read.Pixel(2, 1)[2], 50);
    EXPECT_EQ(read.Pixel(1, 1)[0], 0);
    EXPECT_EQ(read.Pixel(1, 1)[3], 255);
}

TEST(BitmapImage, ReadsPalettizedTopDownRows) {
    const std::string file = PalettizedBmp() + "x";
    TBitmapImage read;
    std::size_t consumed = 0;
    ASSERT_TRUE(read.ReadBmp(Bytes(file), file.size(), consumed));
    EXPECT_EQ(consumed, file.size() - 1);
    const std::uint8_t* p = read.Pixel(0, 0);
    EXPECT_EQ(p[0], 0x10);
    EXPECT_EQ(p[1], 0x80);
    EXPECT_EQ(p[2], 0xff);
    EXPECT_EQ(read.Pixel(1, 0)[0], 0);
    EXPECT_EQ(read.Pixel(1, 1)[0], 0x10);
    EXPECT_EQ(read.Pixel(2, 1)[2], 0); // index outside the palette reads black
}

TEST(BitmapImage, RejectsDamagedFilesWithoutReadingPastThem) {
    const std::string good = PalettizedBmp();
    auto withU32 = [&](std::size_t at, std::uint32_t v) {
        std::string s = good;
        for (int i = 0; i < 4; ++i)
            s[at + std::size_t(i)] = char((v >> (8 * i)) & 0xFF);
        return s;
    };
    struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"not BM", "XY" + good.substr(2)},
        {"cut short", good.substr(0, good.size() - 1)},
        {"file size beyond the bytes", withU32(2, std::uint32_t(good.size() + 1))},
        {"file size too small for the rows", withU32(2, std::uint32_t(good.size() - 4))},
        {"pixel offset beyond the file", withU32(10, 0x7FFFFFF0)},
        {"info header larger than the file", withU32(14, 0x10000)},
        {"zero width", withU32(18, 0)},
        {"huge picture", withU32(18, 0x7FFFFFFF)},
        {"compressed", withU32(30, 1)},
        {"too many palette entries", withU32(46, 100000)},
    };
    for (const auto& c : cases) {
        TBitmapImage image;
        image.SetSize(1, 1);
        std::size_t consumed = 7;
        EXPECT_FALSE(image.ReadBmp(Bytes(c.bytes), c.bytes.size(), consumed)) << c.what;
        EXPECT_EQ(image.Width(), 1) << c.what;
        EXPECT_EQ(consumed, 7u) << c.what;
    }
}

TEST(BitmapFont, CellSizeBelowTwoIsOneAndAChangeResetsTheFont) {
    TGLBitmapFont font("Mono", 14);
    font.SetCharWidth(9);
    font.CharRects.resize(10);
    font.CharWidths['A'] = 30;
    const unsigned before = font.Version();

    font.SetCharWidth(0);
    EXPECT_EQ(font.CharWidth(), 1);
    EXPECT_TRUE(font.CharRects.empty());
    ASSERT_EQ(font.CharWidths.size(), 256u);
    EXPECT_EQ(font.CharWidths['A'], 1);
    EXPECT_GT(font.Version(), before);

    font.CharRects.resize(3);
    font.SetCharWidth(-5); // still 1: no change, no reset
    EXPECT_EQ(font.CharRects.size(), 3u);
    font.SetCharHeight(1);
    EXPECT_EQ(font.CharHeight(), 1);
}

TEST(BitmapFont, MeasuresTextByAdvanceWidths) {
    TGLBitmapFont font("Mono", 14, 28, 255);
    font.SetCharWidth(8);
    font.CharWidths[0xE9] = 11;
    EXPECT_EQ(font.TextWidth("ab\xe9"), 27);
    EXPECT_EQ(font.TextWidth("ab\xe9", 1, 2), 8);
    EXPECT_EQ(font.GlyphIndex(28), 0);
    EXPECT_EQ(font.GlyphIndex(255), 227);
    EXPECT_EQ(font.GlyphIndex(27), -1);
}

TEST(BitmapFont, SystemGlyphsFollowNameSizeAndCodePage) {
    struct TFileFont : TGLBitmapFont {
        using TGLBitmapFont::TGLBitmapFont;
        void MarkLoaded() { SetLoaded(); }
    } font("Mono", 14);
    EXPECT_TRUE(font.NeedsSystemGlyphs(1252));
    TBitmapImage sheet;
    sheet.SetSize(4, 4);
    font.SetSystemGlyphs(sheet, 7, 13, std::vector<TGLCharRect>(96), {}, 1252);
    EXPECT_FALSE(font.NeedsSystemGlyphs(1252));
    EXPECT_TRUE(font.NeedsSystemGlyphs(1251));
    EXPECT_EQ(font.CharHeight(), 13);
    EXPECT_EQ(font.CharWidths.size(), 256u);
    EXPECT_EQ(font.CharAdvance('x'), 7);

    font.SetFontSize(22);
    EXPECT_TRUE(font.NeedsSystemGlyphs(1252));

    font.MarkLoaded(); // glyphs from a file: the system font is no longer drawn or installed
    EXPECT_FALSE(font.NeedsSystemGlyphs(1252));
    font.SetSystemGlyphs(TBitmapImage{}, 3, 3, {}, {}, 1252);
    EXPECT_EQ(font.Glyphs.Width(), 4);
}
