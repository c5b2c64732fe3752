#pragma once
// A screen-aligned text: drawn over the 3D scene at a pixel position of the view (x from the left, y from
// the top of the view down to the top of the text), whatever its parent is. The glyphs of its bitmap font
// are multiplied by ModulateColor, alpha included, so alpha 0 draws nothing and alpha 1 the full glyph.
// Lines are separated by line feeds; each line is aligned on its own. A text whose font draws from the system
// font is drawn at the pixel size FontSize x Scale.Y, never stretched (see TGLBitmapFont).
//
// The font is not owned; it must outlive the text.

#include "toolkit/GLBaseSceneObject.h"

#include <string>

namespace toolkit {

class TGLBitmapFont;

enum class TAlignment { LeftJustify, RightJustify, Center };

struct TPixelRect {
    float Left = 0, Top = 0, Right = 0, Bottom = 0; // right and bottom excluded
    bool Contains(float x, float y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
};

class TGLHUDText : public TGLBaseSceneObject {
public:
    using TGLBaseSceneObject::TGLBaseSceneObject;
    TGLObjectKind Kind() const override { return TGLObjectKind::HUDText; }

    std::string Text;
    TGLBitmapFont* BitmapFont = nullptr;
    TAlignment Alignment = TAlignment::LeftJustify;
    TColorVector ModulateColor{1, 1, 1, 1};
    // The first HighlightEnd bytes of the text are drawn in HighlightColor instead (its alpha is
    // ModulateColor's): the words of a lyric line sung so far. 0 draws the whole text in ModulateColor.
    std::size_t HighlightEnd = 0;
    TColorVector HighlightColor{1, 1, 0, 1};

    // Left edge in pixels of a line of the given width, by the alignment.
    float LineLeft(float lineWidth) const;
    // The pixels the text covers: the widest line by the number of lines; empty without font or text.
    // System-font text is measured through the font's text measure when it has one.
    TPixelRect ScreenRect() const;
};

} // namespace toolkit
