#pragma once
// The glyph cache of the texts drawn from system fonts. It shapes a text with Qt's text layout (font
// fallback through the system's font configuration, so every script shows for which a font is installed;
// right-to-left runs in visual order; ligatures and joining) at the exact pixel size it is drawn at, and
// renders each glyph once per font and size into the alpha pages of a texture atlas. A shaped text is the
// list of its glyph quads, built on first use and kept: drawing a text drawn before allocates nothing, and
// the quads can be handed to the graphics card once and reused.
//
// Sizes here are device pixels: a view pixel is DevicePixelRatio device pixels, and glyphs are rendered for
// the device so that text stays sharp on high-density screens. The toolkit's text measure is answered in
// view pixels.
//
// Text is bytes of the active code page (UTF-8 or a single-byte page); a change of the page or of the
// pixel ratio starts the shaped texts over. Memory stays bounded: beyond kMaxTexts shaped texts they are
// all dropped, and when the pages are full the atlas starts over (Generation changes); whatever is needed
// again is rebuilt on demand.
//
// Plain CPU data and Qt's font machinery, no OpenGL: the renderer uploads the pages as textures. A
// QGuiApplication must exist. A reference to a shaped text stays valid until the next call that shapes.

#include "toolkit/GLTextMeasure.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QRawFont;

namespace display {

// One glyph to draw: a rectangle of an atlas page placed relative to its text.
struct TGlyphQuad {
    std::int32_t X = 0, Y = 0; // top left in device pixels, from the line's left edge and the text's top
    std::int32_t Width = 0, Height = 0; // device pixels, one texel each
    std::int32_t U = 0, V = 0;          // top left on the page, in texels
    std::int32_t Page = 0;
};

struct TShapedLine {
    float Width = 0;         // advance of the whole line in device pixels (what centring uses)
    std::uint32_t First = 0; // its quads: Quads[First, First + Count), ordered by page
    std::uint32_t Count = 0;
};

struct TShapedText {
    std::vector<TShapedLine> Lines;
    std::vector<TGlyphQuad> Quads;
    float Width = 0;     // the widest line, device pixels
    int LineSpacing = 1; // device pixels from one line's top to the next
};

// A page of the atlas: coverage values row by row, and the rows changed since the renderer took them.
struct TGlyphPage {
    std::vector<std::uint8_t> Alpha;
    int DirtyTop = 0, DirtyBottom = 0; // rows [DirtyTop, DirtyBottom) changed
    void MarkDirty(int top, int bottom);
    void ClearDirty() { DirtyTop = DirtyBottom = 0; }
};

class TGlyphCache : public toolkit::IGLTextMeasure {
public:
    static constexpr int kPageSize = 1024;
    static constexpr int kDefaultMaxPages = 4;
    static constexpr std::size_t kMaxTexts = 4096;
    // Glyphs whose rendering is larger than this on a side are left out (sizes far beyond any text's).
    static constexpr int kMaxGlyphSide = 256;

    explicit TGlyphCache(int maxPages = kDefaultMaxPages);
    ~TGlyphCache() override;
    TGlyphCache(const TGlyphCache&) = delete;
    TGlyphCache& operator=(const TGlyphCache&) = delete;

    double DevicePixelRatio() const { return Ratio_; }
    void SetDevicePixelRatio(double ratio);
    // Device pixels of a size in view pixels.
    int DevicePixelSize(int pixelSize) const;

    // The text shaped with the family at the device pixel size; shaped and its glyphs rendered on first use.
    const TShapedText& Shape(const std::string& family, int devicePixelSize, const std::string& text);

    toolkit::TGLTextExtent MeasureText(const std::string& family, int pixelSize,
                                       const std::string& text) override;

    int PageCount() const { return int(Pages_.size()); }
    TGlyphPage& Page(int index) { return Pages_[std::size_t(index)]; }
    const TGlyphPage& Page(int index) const { return Pages_[std::size_t(index)]; }
    // Changes whenever the atlas starts over.
    unsigned Generation() const { return Generation_; }

    // Counters: glyph renderings and text shapings since creation, the glyphs and texts held now.
    std::size_t GlyphsRendered() const { return GlyphsRendered_; }
    std::size_t TextsShaped() const { return TextsShaped_; }
    std::size_t GlyphCount() const;
    std::size_t TextCount() const { return TextCount_; }

private:
    struct TFace;
    struct TGlyph;
    struct TFonts;

    TFace& FaceFor(const std::string& family, int devicePixelSize);
    // Shapes into `out`; false when the atlas ran full on the way.
    bool ShapeInto(TFace& face, const std::string& text, TShapedText& out);
    // Renders a glyph into the atlas; false when the atlas is full.
    bool RenderGlyph(const QRawFont& raw, std::uint32_t index, TGlyph& glyph);
    void DropTexts();
    void StartOver();
    // A free rectangle of w x h texels on a page; false when the atlas is full.
    bool Allocate(int w, int h, int& page, int& x, int& y);

    struct TShelf {
        int Page, Y, Height, X;
    };

    int MaxPages_;
    double Ratio_ = 1;
    int CodePage_ = 0;
    unsigned Generation_ = 0;
    std::size_t GlyphsRendered_ = 0;
    std::size_t TextsShaped_ = 0;
    std::size_t TextCount_ = 0;
    std::vector<TGlyphPage> Pages_;
    std::vector<TShelf> Shelves_;
    int NextShelfY_ = 0; // on the last page
    std::vector<std::unique_ptr<TFace>> Faces_;
    std::unique_ptr<TFonts> Fonts_; // Qt's raw fonts and the glyphs rendered from them
};

} // namespace display
