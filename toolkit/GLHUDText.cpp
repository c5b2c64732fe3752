#include "toolkit/GLHUDText.h"

#include "toolkit/GLBitmapFont.h"
#include "toolkit/GLTextMeasure.h"

#include <algorithm>

namespace toolkit {

float TGLHUDText::LineLeft(float lineWidth) const {
    switch (Alignment) {
    case TAlignment::Center:
        return Position.X - lineWidth / 2;
    case TAlignment::RightJustify:
        return Position.X - lineWidth;
    case TAlignment::LeftJustify:
        break;
    }
    return Position.X;
}

TPixelRect TGLHUDText::ScreenRect() const {
    TPixelRect r{Position.X, Position.Y, Position.X, Position.Y};
    if (!BitmapFont || Text.empty())
        return r;
    if (BitmapFont->DrawsSystemFont() && BitmapFont->TextMeasure()) {
        // Shaped at the exact pixel size it is drawn at: the measure is in view pixels, not scaled again.
        const TGLTextExtent extent = BitmapFont->TextMeasure()->MeasureText(
            BitmapFont->FontName(), BitmapFont->SystemPixelSize(Scale.Y), Text);
        r.Left = LineLeft(extent.Width);
        r.Right = r.Left + extent.Width;
        r.Bottom = r.Top + extent.Height;
        return r;
    }
    std::int32_t widest = 0;
    int lines = 0;
    std::size_t begin = 0;
    while (begin <= Text.size()) {
        std::size_t end = Text.find('\n', begin);
        if (end == std::string::npos)
            end = Text.size();
        std::size_t lineEnd = end;
        if (lineEnd > begin && Text[lineEnd - 1] == '\r')
            --lineEnd;
        widest = std::max(widest, BitmapFont->TextWidth(Text, begin, lineEnd));
        ++lines;
        begin = end + 1;
    }
    const float width = float(widest) * Scale.X;
    const float height = float(lines) * float(BitmapFont->CharHeight()) * Scale.Y;
    r.Left = LineLeft(width);
    r.Right = r.Left + width;
    r.Bottom = r.Top + height;
    return r;
}

} // namespace toolkit
