#include "display/GLStoredBitmapFont.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using display::TGLStoredBitmapFont;
namespace fs = std::filesystem;

namespace {

void PutI32(std::string& out, std::int32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(char((std::uint32_t(v) >> (8 * i)) & 0xFF));
}

// A font file laid out field by field: a 3 x 2 glyph sheet, the cell size, n rectangles (glyph i at
// (i, 2i, i + 5, 2i + 7)), a width count of 256 and the widths 100 + code.
struct TCraftedFile {
    std::int32_t CharWidth = 9;
    std::int32_t CharHeight = 15;
    std::int32_t Count = 10;
    std::int32_t DeclaredCount = -1; // written instead of Count when not -1

    std::string Bytes() const {
        toolkit::TBitmapImage sheet;
        sheet.SetSize(3, 2);
        sheet.Pixel(1, 1)[0] = 255;
        std::string out = sheet.WriteBmp();
        PutI32(out, CharWidth);
        PutI32(out, CharHeight);
        PutI32(out, DeclaredCount != -1 ? DeclaredCount : Count);
        for (std::int32_t i = 0; i < Count; ++i) {
            PutI32(out, i);
            PutI32(out, 2 * i);
            PutI32(out, i + 5);
            PutI32(out, 2 * i + 7);
        }
        PutI32(out, 256);
        for (std::int32_t code = 0; code < 256; ++code)
            PutI32(out, 100 + code);
        return out;
    }
    static std::size_t SheetSize() { return 14 + 40 + 2 * 12; }
};

bool Load(TGLStoredBitmapFont& font, const std::string& bytes) {
    return font.LoadFromBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

class StoredFontFiles : public ::testing::Test {
protected:
    StoredFontFiles() {
        Dir = fs::temp_directory_path() /
              ("cantrel_font_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(Dir);
        fs::create_directories(Dir);
    }
    ~StoredFontFiles() override { fs::remove_all(Dir); }
    std::string Write(const std::string& name, const std::string& bytes) {
        const fs::path p = Dir / name;
        std::ofstream(p, std::ios::binary) << bytes;
        return p.string();
    }
    fs::path Dir;
};

} // namespace

TEST(StoredBitmapFont, ReadsEveryFieldAndGrowsRectanglesTo256) {
    TGLStoredBitmapFont font("Lucida Console", 21);
    EXPECT_FALSE(font.Loaded());
    ASSERT_TRUE(Load(font, TCraftedFile{}.Bytes()));
    EXPECT_TRUE(font.Loaded());
    EXPECT_EQ(font.Glyphs.Width(), 3);
    EXPECT_EQ(font.Glyphs.Pixel(1, 1)[0], 255);
    EXPECT_EQ(font.CharWidth(), 9);
    EXPECT_EQ(font.CharHeight(), 15);
    ASSERT_EQ(font.CharRects.size(), 256u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(font.CharRects[std::size_t(i)].Left, i);
        EXPECT_EQ(font.CharRects[std::size_t(i)].Bottom, 2 * i + 7);
    }
    EXPECT_EQ(font.CharRects[10].Right, 0);
    EXPECT_EQ(font.CharRects[255].Bottom, 0);
    ASSERT_EQ(font.CharWidths.size(), 256u);
    EXPECT_EQ(font.CharWidths[0], 100);
    EXPECT_EQ(font.CharWidths[255], 355);
    EXPECT_FALSE(font.NeedsSystemGlyphs(1252)); // the file's glyphs are used unchanged
}

TEST(StoredBitmapFont, RectangleCountsAndCellSizes) {
    struct {
        const char* what;
        TCraftedFile file;
        std::size_t rects;
        std::int32_t width, height;
    } cases[] = {
        {"N = 0 leaves no rectangles", {9, 15, 0}, 0, 9, 15},
        {"N = 300 keeps 300", {9, 15, 300}, 300, 9, 15},
        {"char width 0 is 1", {0, 15, 10}, 256, 1, 15},
        {"char width 1 is 1, height -3 is 1", {1, -3, 10}, 256, 1, 1},
        {"char width 2 stays 2", {2, 2, 10}, 256, 2, 2},
    };
    for (const auto& c : cases) {
        TGLStoredBitmapFont font("Lucida Console", 21);
        ASSERT_TRUE(Load(font, c.file.Bytes())) << c.what;
        EXPECT_EQ(font.CharRects.size(), c.rects) << c.what;
        EXPECT_EQ(font.CharWidth(), c.width) << c.what;
        EXPECT_EQ(font.CharHeight(), c.height) << c.what;
        EXPECT_EQ(font.CharWidths[65], 165) << c.what; // the file's widths, not the reset's
    }
}

TEST(StoredBitmapFont, ShortOrDamagedFileLeavesTheFontAsItWas) {
    const std::string good = TCraftedFile{}.Bytes();
    const std::size_t sheet = TCraftedFile::SheetSize();
    TCraftedFile lying;
    lying.DeclaredCount = 0x7FFFFFFF;
    TCraftedFile negative;
    negative.DeclaredCount = -2;
    struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"inside the bitmap", good.substr(0, sheet - 1)},
        {"bitmap only", good.substr(0, sheet)},
        {"before char height", good.substr(0, sheet + 4)},
        {"before the count", good.substr(0, sheet + 8)},
        {"inside the rectangles", good.substr(0, sheet + 12 + 16 * 5 + 3)},
        {"before the width count", good.substr(0, sheet + 12 + 16 * 10)},
        {"one width missing", good.substr(0, good.size() - 4)},
        {"rectangle count beyond the file", lying.Bytes()},
        {"negative rectangle count", negative.Bytes()},
        {"garbage", std::string(5000, '\x42')},
    };
    for (const auto& c : cases) {
        TGLStoredBitmapFont fresh("Lucida Console", 21);
        const std::int32_t widthBefore = fresh.CharWidth();
        EXPECT_FALSE(Load(fresh, c.bytes)) << c.what;
        EXPECT_FALSE(fresh.Loaded()) << c.what;
        EXPECT_TRUE(fresh.Glyphs.Empty()) << c.what;
        EXPECT_EQ(fresh.CharWidth(), widthBefore) << c.what;

        TGLStoredBitmapFont loaded("Lucida Console", 21);
        ASSERT_TRUE(Load(loaded, good));
        EXPECT_FALSE(Load(loaded, c.bytes)) << c.what;
        EXPECT_TRUE(loaded.Loaded()) << c.what;
        EXPECT_EQ(loaded.CharWidth(), 9) << c.what;
        EXPECT_EQ(loaded.CharRects.size(), 256u) << c.what;
        EXPECT_EQ(loaded.CharWidths[1], 101) << c.what;
    }
}

TEST_F(StoredFontFiles, MissingPathAfterALoadKeepsTheGlyphs) {
    TGLStoredBitmapFont font("Lucida Console", 21);
    ASSERT_TRUE(font.LoadFromFile(Write("charset_english14.gsf", TCraftedFile{}.Bytes())));
    const unsigned version = font.Version();
    EXPECT_FALSE(font.LoadFromFile((Dir / "charset_greek14.gsf").string()));
    EXPECT_FALSE(font.LoadFromFile(Dir.string())); // a folder is no font file
    EXPECT_TRUE(font.Loaded());
    EXPECT_EQ(font.Glyphs.Width(), 3);
    EXPECT_EQ(font.CharWidth(), 9);
    EXPECT_EQ(font.Version(), version);

    EXPECT_FALSE(font.LoadFromFile(Write("short.gsf", TCraftedFile{}.Bytes().substr(0, 100))));
    EXPECT_EQ(font.CharWidth(), 9);
}

TEST_F(StoredFontFiles, UsingTheSystemFontUntilTheNextLoad) {
    TGLStoredBitmapFont font("Lucida Console", 21);
    ASSERT_TRUE(font.LoadFromFile(Write("charset_english14.gsf", TCraftedFile{}.Bytes())));
    const unsigned version = font.Version();
    font.UseSystemFont(22);
    EXPECT_FALSE(font.Loaded());
    EXPECT_TRUE(font.DrawsSystemFont());
    EXPECT_EQ(font.FontSize(), 22);
    EXPECT_GT(font.Version(), version); // the objects drawing with it see the change
    EXPECT_EQ(font.Glyphs.Width(), 3);  // the file's glyphs are kept

    // A missing file changes nothing; a file draws from its glyphs again.
    EXPECT_FALSE(font.LoadFromFile((Dir / "charset_unicode22.gsf").string()));
    EXPECT_TRUE(font.DrawsSystemFont());
    ASSERT_TRUE(font.LoadFromFile((Dir / "charset_english14.gsf").string()));
    EXPECT_FALSE(font.DrawsSystemFont());
}

TEST(StoredBitmapFont, WritesWhatItReads) {
    TGLStoredBitmapFont font("Lucida Console", 21);
    ASSERT_TRUE(Load(font, TCraftedFile{3, 4, 2}.Bytes()));
    TGLStoredBitmapFont copy("x", 14);
    ASSERT_TRUE(Load(copy, font.SaveToBytes()));
    EXPECT_EQ(copy.CharWidth(), 3);
    EXPECT_EQ(copy.CharHeight(), 4);
    EXPECT_EQ(copy.CharRects.size(), 256u);
    EXPECT_EQ(copy.CharRects[1].Top, 2);
    EXPECT_EQ(copy.CharWidths, font.CharWidths);
    EXPECT_EQ(copy.Glyphs.Pixels(), font.Glyphs.Pixels());
}

// The files the build draws for the program's settings folder.
TEST(StoredBitmapFont, BuiltFontFilesLoad) {
    for (const char* charset :
         {"charset_english", "charset_centraleurope", "charset_russian", "charset_greek"}) {
        for (int size : {14, 22}) {
            const std::string path =
                std::string(CANTREL_SETTINGS_DIR) + charset + std::to_string(size) + ".gsf";
            TGLStoredBitmapFont font("Lucida Console", 21);
            ASSERT_TRUE(font.LoadFromFile(path)) << path;
            EXPECT_EQ(font.CharRects.size(), 256u) << path; // 228 glyphs, grown to 256
            EXPECT_GE(font.CharHeight(), size) << path;
            EXPECT_GT(font.CharWidth(), size / 3) << path;
            EXPECT_EQ(font.CharWidths['W'], font.CharWidths['i']) << path; // monospaced
            // The glyph of 'M' (code 77, index 49) holds lit pixels; the one of the space does not.
            auto lit = [&](int index) {
                const toolkit::TGLCharRect r = font.CharRects[std::size_t(index)];
                int count = 0;
                for (int y = r.Top; y < r.Bottom; ++y)
                    for (int x = r.Left; x < r.Right; ++x)
                        count += font.Glyphs.Pixel(x, y)[0] > 128;
                return count;
            };
            EXPECT_GT(lit('M' - 28), 10) << path;
            EXPECT_GT(lit('_' - 28), 3) << path;   // the underscore sits low: the cell holds it whole
            EXPECT_GT(lit(0xC9 - 28), 10) << path; // an accented capital
            EXPECT_EQ(lit(' ' - 28), 0) << path;
        }
    }
}
