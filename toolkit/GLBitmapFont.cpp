#include "toolkit/GLBitmapFont.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace toolkit {

TGLBitmapFont::TGLBitmapFont(std::string fontName, int fontSize, int rangeStart, int rangeEnd)
    : FontName_(std::move(fontName)), FontSize_(std::max(fontSize, 1)),
      RangeStart_(std::clamp(rangeStart, 0, 255)), RangeEnd_(std::clamp(rangeEnd, RangeStart_, 255)) {
    // A cell guess that lets text be measured before any glyph sheet exists.
    CharWidth_ = std::max(1, (FontSize_ * 3 + 4) / 5);
    CharHeight_ = std::max(1, FontSize_);
    ResetFont();
}

TGLBitmapFont::~TGLBitmapFont() = default;

void TGLBitmapFont::SetFontName(const std::string& name) {
    if (name == FontName_)
        return;
    FontName_ = name;
    SystemGlyphsValid_ = false;
    Changed();
}

void TGLBitmapFont::SetFontSize(int pixels) {
    pixels = std::max(pixels, 1);
    if (pixels == FontSize_)
        return;
    FontSize_ = pixels;
    SystemGlyphsValid_ = false;
    Changed();
}

int TGLBitmapFont::GlyphIndex(unsigned char code) const {
    return code >= RangeStart_ && code <= RangeEnd_ ? code - RangeStart_ : -1;
}

void TGLBitmapFont::SetCharWidth(std::int32_t width) {
    width = width < 2 ? 1 : width;
    if (width == CharWidth_)
        return;
    CharWidth_ = width;
    ResetFont();
}

void TGLBitmapFont::SetCharHeight(std::int32_t height) {
    height = height < 2 ? 1 : height;
    if (height == CharHeight_)
        return;
    CharHeight_ = height;
    ResetFont();
}

void TGLBitmapFont::ResetFont() {
    if (CharWidths.empty())
        CharWidths.resize(256);
    std::fill(CharWidths.begin(), CharWidths.end(), CharWidth_);
    CharRects.clear();
    Changed();
}

std::int32_t TGLBitmapFont::CharAdvance(unsigned char code) const {
    return code < CharWidths.size() ? CharWidths[code] : CharWidth_;
}

std::int32_t TGLBitmapFont::TextWidth(const std::string& text, std::size_t begin, std::size_t end) const {
    end = std::min(end, text.size());
    std::int32_t width = 0;
    for (std::size_t i = begin; i < end; ++i)
        width += CharAdvance(static_cast<unsigned char>(text[i]));
    return width;
}

int TGLBitmapFont::SystemPixelSize(float scale) const {
    const float size = float(FontSize_) * scale;
    if (!(size >= 1)) // also NaN
        return 1;
    return size >= 4096 ? 4096 : int(std::lround(size));
}

bool TGLBitmapFont::NeedsSystemGlyphs(int activeCodePage) const {
    return !Loaded_ && (!SystemGlyphsValid_ || SystemGlyphsCodePage_ != activeCodePage);
}

void TGLBitmapFont::SetSystemGlyphs(TBitmapImage sheet, std::int32_t charWidth, std::int32_t charHeight,
                                    std::vector<TGLCharRect> rects, std::vector<std::int32_t> widths,
                                    int codePage) {
    if (Loaded_)
        return;
    Glyphs = std::move(sheet);
    CharWidth_ = charWidth < 2 ? 1 : charWidth;
    CharHeight_ = charHeight < 2 ? 1 : charHeight;
    CharRects = std::move(rects);
    CharWidths = std::move(widths);
    CharWidths.resize(256, CharWidth_);
    SystemGlyphsValid_ = true;
    SystemGlyphsCodePage_ = codePage;
    Changed();
}

} // namespace toolkit
