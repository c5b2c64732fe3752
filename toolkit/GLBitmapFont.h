#pragma once
// A font of screen texts. With glyphs loaded from a file (see the stored font of the display layer) it is a
// bitmap font: a glyph sheet, the cell size, one rectangle per glyph and one advance width per character
// code; text drawn with it is single-byte text in the active code page, the font covers one range of
// character codes, and the glyph index of a code is the code minus the range's start.
//
// While no file is loaded the font draws from the system font FontName: the display's glyph cache shapes
// each text (any code page, UTF-8 included) and renders its glyphs at the exact pixel size the text is drawn
// at, FontSize times the text's scale. Such text is measured through a text measure the display layer
// provides; without one the cell metrics below stand in. SetSystemGlyphs installs a glyph sheet drawn from a
// system font, which is how the font file tool makes the files.
//
// Every change bumps Version, which is how the renderer and the objects drawing with the font learn that it
// changed.

#include "toolkit/BitmapImage.h"

#include <cstdint>
#include <string>
#include <vector>

namespace toolkit {

class IGLTextMeasure;

struct TGLCharRect {
    std::int32_t Left = 0, Top = 0, Right = 0,
                 Bottom = 0; // pixels of the glyph sheet, right and bottom excluded
};

class TGLBitmapFont {
public:
    TGLBitmapFont(std::string fontName, int fontSize, int rangeStart = 32, int rangeEnd = 127);
    virtual ~TGLBitmapFont();
    TGLBitmapFont(const TGLBitmapFont&) = delete;
    TGLBitmapFont& operator=(const TGLBitmapFont&) = delete;

    // System font used while nothing is loaded; the size is in pixels.
    const std::string& FontName() const { return FontName_; }
    void SetFontName(const std::string& name);
    int FontSize() const { return FontSize_; }
    void SetFontSize(int pixels);

    int RangeStart() const { return RangeStart_; }
    int RangeEnd() const { return RangeEnd_; }
    // The glyph index of a character code, or -1 outside the range.
    int GlyphIndex(unsigned char code) const;

    // Cell size. A value below 2 is stored as 1; a new value resets the font.
    std::int32_t CharWidth() const { return CharWidth_; }
    std::int32_t CharHeight() const { return CharHeight_; }
    void SetCharWidth(std::int32_t width);
    void SetCharHeight(std::int32_t height);
    // Every entry of CharWidths becomes CharWidth (256 entries are made when it is empty) and CharRects is
    // emptied.
    void ResetFont();

    TBitmapImage Glyphs;
    std::vector<TGLCharRect> CharRects;   // by glyph index
    std::vector<std::int32_t> CharWidths; // by character code, 0 to 255

    // Advance width of a code in pixels; codes without an entry use CharWidth.
    std::int32_t CharAdvance(unsigned char code) const;
    // Width in pixels of text[begin, end).
    std::int32_t TextWidth(const std::string& text, std::size_t begin = 0,
                           std::size_t end = std::string::npos) const;

    // True once glyphs came from a file; then the system font is no longer used.
    bool Loaded() const { return Loaded_; }
    // Text is drawn from the system font (no file loaded).
    bool DrawsSystemFont() const { return !Loaded_; }
    // The pixel size of system-font text drawn at a scale: FontSize times the scale, rounded, at least 1.
    int SystemPixelSize(float scale) const;
    // Measures system-font text; not owned, may be null (then the cell metrics are used).
    IGLTextMeasure* TextMeasure() const { return TextMeasure_; }
    void SetTextMeasure(IGLTextMeasure* measure) { TextMeasure_ = measure; }
    // The system glyph sheet is missing or was drawn for another name, size or code page.
    bool NeedsSystemGlyphs(int activeCodePage) const;
    // Installs a glyph sheet drawn from the system font; ignored once glyphs were loaded from a file.
    void SetSystemGlyphs(TBitmapImage sheet, std::int32_t charWidth, std::int32_t charHeight,
                         std::vector<TGLCharRect> rects, std::vector<std::int32_t> widths, int codePage);

    unsigned Version() const { return Version_; }
    void Changed() { ++Version_; }

protected:
    void SetLoaded(bool loaded = true) { Loaded_ = loaded; }

private:
    std::string FontName_;
    int FontSize_ = 0;
    int RangeStart_ = 32;
    int RangeEnd_ = 127;
    std::int32_t CharWidth_ = 1;
    std::int32_t CharHeight_ = 1;
    bool Loaded_ = false;
    bool SystemGlyphsValid_ = false;
    int SystemGlyphsCodePage_ = 0;
    unsigned Version_ = 0;
    IGLTextMeasure* TextMeasure_ = nullptr;
};

} // namespace toolkit
