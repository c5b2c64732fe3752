#pragma once
// Draws the glyphs of a bitmap font's character range from a system font into a glyph sheet: white glyphs
// on black, one cell per character in rows of 16, the character codes read in a single-byte code page.
// The renderer uses it for fonts that have no file loaded; the font file tool uses it to make the files.

class QFont;

namespace toolkit {
class TGLBitmapFont;
}

namespace display {

// Installs the sheet, cell size, rectangles and advance widths into the font (see SetSystemGlyphs).
void RenderSystemGlyphs(toolkit::TGLBitmapFont& font, const QFont& systemFont, int codePage);
// The same from the font's own FontName at FontSize pixels.
void RenderSystemGlyphs(toolkit::TGLBitmapFont& font, int codePage);

} // namespace display
