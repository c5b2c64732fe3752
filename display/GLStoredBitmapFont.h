#pragma once
// The lyric font: a bitmap font whose glyph sheet and metrics come from a font file of the settings folder
// (named after the character set, ending in "14.gsf" or "22.gsf"), so that lyrics of each single-byte code
// page are drawn with glyphs of that page. Until a file is loaded, and for UTF-8 text, which has no font
// file, it draws from its system font.
//
// The file, all integers signed 32-bit little-endian, nothing between the fields:
//   a complete Windows bitmap file (its length is the file size of its own file header), the glyph sheet;
//   char width; char height; rectangle count N; N rectangles (left, top, right, bottom) for glyph indexes
//   0 to N-1; a width count (not used); 256 advance widths for the character codes 0 to 255.

#include "toolkit/GLBitmapFont.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace display {

class TGLStoredBitmapFont : public toolkit::TGLBitmapFont {
public:
    // Largest font file read; a glyph sheet is far smaller.
    static constexpr std::size_t kMaxFileSize = std::size_t(64) << 20;

    TGLStoredBitmapFont(std::string fontName, int fontSize, int rangeStart = 28, int rangeEnd = 255);

    // Loads the file if it exists; a missing file changes nothing. True when the whole file was read.
    bool LoadFromFile(const std::string& path);
    // Reads a font file's bytes. A file that is damaged or shorter than its fields leaves the font as it
    // was and answers false; otherwise the font takes the file's glyphs and metrics and counts as loaded.
    bool LoadFromBytes(const std::uint8_t* data, std::size_t size);

    // Draws from the system font at the size from now on, until a file is loaded again; the glyphs of a
    // file loaded before are kept but not used.
    void UseSystemFont(int size);

    // The font file of the font as it stands: its glyph sheet and metrics.
    std::string SaveToBytes() const;
};

} // namespace display
