#pragma once
// Measuring text drawn from a system font. Text of any script is shaped (font fallback, right-to-left runs
// in visual order, ligatures), so its width is not a sum of per-byte advances: the toolkit measures such
// text through this interface, and the display layer implements it with the same shaping its renderer
// draws with. Layout, centring and picking so see the widths that are drawn.

#include <string>

namespace toolkit {

struct TGLTextExtent {
    float Width = 0;  // the widest line, in view pixels
    float Height = 0; // all lines, in view pixels
};

class IGLTextMeasure {
public:
    virtual ~IGLTextMeasure() = default;
    // The extent of a text drawn from the system font `family` at `pixelSize` view pixels. The text is bytes
    // of the active code page; lines are separated by line feeds (a carriage return before one is dropped).
    virtual TGLTextExtent MeasureText(const std::string& family, int pixelSize, const std::string& text) = 0;
};

} // namespace toolkit
