#include "display/scene/GlyphCache.h"

#include "toolkit/CodePage.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <QString>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <utility>

namespace display {

namespace {

// Sizes beyond this are drawn at it; faces beyond kMaxFaces start the faces over.
constexpr int kMaxPixelSize = 4096;
constexpr std::size_t kMaxFaces = 64;
// Room around a glyph's outline box for hinting, which may move its pixels a little.
constexpr int kGlyphPad = 3;

// One line of text as characters: the bytes decoded from the code page, control characters as spaces.
QString Decode(const std::string& text, std::size_t begin, std::size_t end, int codePage) {
    std::u16string u = toolkit::CodePageToUtf16(text.substr(begin, end - begin), codePage);
    for (char16_t& c : u)
        if (c < 0x20 || c == 0x7F)
            c = u' ';
    return QString::fromUtf16(u.data(), qsizetype(u.size()));
}

} // namespace

void TGlyphPage::MarkDirty(int top, int bottom) {
    if (DirtyTop >= DirtyBottom) {
        DirtyTop = top;
        DirtyBottom = bottom;
        return;
    }
    DirtyTop = std::min(DirtyTop, top);
    DirtyBottom = std::max(DirtyBottom, bottom);
}

struct TGlyphCache::TFace {
    std::string Family;
    int Size = 0;
    QFont Font;
    int Ascent = 0;
    int LineSpacing = 1;
    std::unordered_map<std::string, TShapedText> Texts;
};

// A rendered glyph: its rectangle on a page and its top left relative to the pen on the baseline.
struct TGlyphCache::TGlyph {
    std::int32_t BearingX = 0, BearingY = 0;
    std::int32_t Width = 0, Height = 0; // 0: nothing to draw (a space)
    std::int32_t U = 0, V = 0, Page = 0;
};

struct TGlyphCache::TFonts {
    QHash<QRawFont, std::uint32_t> Ids; // each font and size Qt shaped with, the fallback fonts included
    std::unordered_map<std::uint64_t, TGlyph> Glyphs; // by font id and glyph index
    QImage Scratch;
};

TGlyphCache::TGlyphCache(int maxPages)
    : MaxPages_(std::max(maxPages, 1)), Fonts_(std::make_unique<TFonts>()) {}

TGlyphCache::~TGlyphCache() = default;

void TGlyphCache::SetDevicePixelRatio(double ratio) {
    // Shaped texts are kept per device size, so they stay valid.
    Ratio_ = std::isfinite(ratio) && ratio > 0 ? std::clamp(ratio, 0.25, 8.0) : 1.0;
}

int TGlyphCache::DevicePixelSize(int pixelSize) const {
    return std::clamp(int(std::lround(double(pixelSize) * Ratio_)), 1, kMaxPixelSize);
}

std::size_t TGlyphCache::GlyphCount() const {
    return Fonts_->Glyphs.size();
}

TGlyphCache::TFace& TGlyphCache::FaceFor(const std::string& family, int size) {
    for (const auto& face : Faces_)
        if (face->Size == size && face->Family == family)
            return *face;
    if (Faces_.size() >= kMaxFaces) {
        DropTexts();
        Faces_.clear();
    }
    auto face = std::make_unique<TFace>();
    face->Family = family;
    face->Size = size;
    face->Font = QFont(QString::fromStdString(family));
    face->Font.setPixelSize(size);
    const QFontMetricsF metrics(face->Font);
    face->Ascent = int(std::lround(metrics.ascent()));
    face->LineSpacing = std::max(1, int(std::lround(metrics.lineSpacing())));
    Faces_.push_back(std::move(face));
    return *Faces_.back();
}

const TShapedText& TGlyphCache::Shape(const std::string& family, int devicePixelSize,
                                      const std::string& text) {
    const int codePage = toolkit::ActiveCodePage();
    if (codePage != CodePage_) {
        // The same bytes are other characters now.
        DropTexts();
        CodePage_ = codePage;
    }
    TFace& face = FaceFor(family, std::clamp(devicePixelSize, 1, kMaxPixelSize));
    const auto found = face.Texts.find(text);
    if (found != face.Texts.end())
        return found->second;

    if (TextCount_ >= kMaxTexts)
        DropTexts();
    TShapedText shaped;
    if (!ShapeInto(face, text, shaped)) {
        // The atlas is full: start it over with this text's glyphs (what does not fit then is left out).
        StartOver();
        shaped = TShapedText();
        ShapeInto(face, text, shaped);
    }
    ++TextsShaped_;
    ++TextCount_;
    return face.Texts.emplace(text, std::move(shaped)).first->second;
}

toolkit::TGLTextExtent TGlyphCache::MeasureText(const std::string& family, int pixelSize,
                                                const std::string& text) {
    const TShapedText& shaped = Shape(family, DevicePixelSize(pixelSize), text);
    const float ratio = float(Ratio_);
    return {shaped.Width / ratio, float(shaped.Lines.size()) * float(shaped.LineSpacing) / ratio};
}

bool TGlyphCache::ShapeInto(TFace& face, const std::string& text, TShapedText& out) {
    bool complete = true;
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute); // right-to-left lines start at 0 too
    int top = 0;
    std::size_t begin = 0;
    while (begin <= text.size()) {
        std::size_t end = text.find('\n', begin);
        if (end == std::string::npos)
            end = text.size();
        std::size_t lineEnd = end;
        if (lineEnd > begin && text[lineEnd - 1] == '\r')
            --lineEnd;

        TShapedLine line;
        line.First = std::uint32_t(out.Quads.size());
        const QString characters = Decode(text, begin, lineEnd, CodePage_);
        if (!characters.isEmpty()) {
            QTextLayout layout(characters, face.Font);
            layout.setTextOption(option);
            layout.beginLayout();
            QTextLine shapedLine = layout.createLine();
            if (shapedLine.isValid()) {
                shapedLine.setLineWidth(1e6);
                shapedLine.setPosition(QPointF(0, 0));
            }
            layout.endLayout();
            if (shapedLine.isValid()) {
                line.Width = float(shapedLine.horizontalAdvance());
                // Glyph positions are on the line's baseline; every line puts it at the face's own ascent, so
                // lines of different scripts stand alike.
                const qreal baseline = shapedLine.ascent();
                const QList<QGlyphRun> runs = layout.glyphRuns();
                for (const QGlyphRun& run : runs) {
                    const QRawFont raw = run.rawFont();
                    const QList<quint32> indexes = run.glyphIndexes();
                    const QList<QPointF> positions = run.positions();
                    std::uint32_t fontId = 0;
                    const auto known = Fonts_->Ids.constFind(raw);
                    if (known != Fonts_->Ids.constEnd()) {
                        fontId = *known;
                    } else {
                        fontId = std::uint32_t(Fonts_->Ids.size());
                        Fonts_->Ids.insert(raw, fontId);
                    }
                    for (qsizetype i = 0; i < indexes.size() && i < positions.size(); ++i) {
                        const std::uint64_t key = std::uint64_t(fontId) << 32 | indexes[i];
                        auto glyph = Fonts_->Glyphs.find(key);
                        if (glyph == Fonts_->Glyphs.end()) {
                            TGlyph rendered;
                            if (!RenderGlyph(raw, indexes[i], rendered)) {
                                complete = false;
                                continue;
                            }
                            glyph = Fonts_->Glyphs.emplace(key, rendered).first;
                        }
                        const TGlyph& g = glyph->second;
                        if (g.Width == 0)
                            continue;
                        TGlyphQuad quad;
                        quad.X = std::int32_t(std::lround(positions[i].x())) + g.BearingX;
                        quad.Y = top + face.Ascent + std::int32_t(std::lround(positions[i].y() - baseline)) +
                                 g.BearingY;
                        quad.Width = g.Width;
                        quad.Height = g.Height;
                        quad.U = g.U;
                        quad.V = g.V;
                        quad.Page = g.Page;
                        out.Quads.push_back(quad);
                    }
                }
            }
        }
        line.Count = std::uint32_t(out.Quads.size()) - line.First;
        std::stable_sort(out.Quads.begin() + std::ptrdiff_t(line.First), out.Quads.end(),
                         [](const TGlyphQuad& a, const TGlyphQuad& b) { return a.Page < b.Page; });
        out.Width = std::max(out.Width, line.Width);
        out.Lines.push_back(line);
        top += face.LineSpacing;
        begin = end + 1;
    }
    out.LineSpacing = face.LineSpacing;
    return complete;
}

bool TGlyphCache::RenderGlyph(const QRawFont& raw, std::uint32_t index, TGlyph& glyph) {
    glyph = TGlyph();
    ++GlyphsRendered_;
    const QRectF outline = raw.boundingRect(index); // relative to the pen on the baseline, y down
    if (!(outline.width() > 0 && outline.height() > 0))
        return true;
    const int left = int(std::floor(outline.left())) - kGlyphPad;
    const int top = int(std::floor(outline.top())) - kGlyphPad;
    const int width = int(std::ceil(outline.right())) + kGlyphPad - left;
    const int height = int(std::ceil(outline.bottom())) + kGlyphPad - top;
    if (width > kMaxGlyphSide + 2 * kGlyphPad || height > kMaxGlyphSide + 2 * kGlyphPad)
        return true;

    QImage& scratch = Fonts_->Scratch;
    if (scratch.width() < width || scratch.height() < height)
        scratch = QImage(std::max(width, scratch.width()), std::max(height, scratch.height()),
                         QImage::Format_ARGB32_Premultiplied);
    scratch.fill(Qt::transparent);
    {
        QGlyphRun one;
        one.setRawFont(raw);
        one.setGlyphIndexes({index});
        one.setPositions({QPointF(0, 0)});
        QPainter painter(&scratch);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        painter.setPen(Qt::white);
        painter.drawGlyphRun(QPointF(-left, -top), one); // the pen on whole pixels
    }

    // Only the inked pixels go into the atlas.
    int inkLeft = width, inkTop = height, inkRight = -1, inkBottom = -1;
    for (int y = 0; y < height; ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(scratch.constScanLine(y));
        for (int x = 0; x < width; ++x)
            if (qAlpha(row[x]) != 0) {
                inkLeft = std::min(inkLeft, x);
                inkRight = std::max(inkRight, x);
                inkTop = std::min(inkTop, y);
                inkBottom = std::max(inkBottom, y);
            }
    }
    if (inkRight < 0)
        return true;
    const int inkWidth = inkRight - inkLeft + 1, inkHeight = inkBottom - inkTop + 1;
    int page = 0, u = 0, v = 0;
    // One empty texel right of and below each glyph keeps neighbours apart when the texture is filtered.
    if (!Allocate(inkWidth + 1, inkHeight + 1, page, u, v))
        return false;
    TGlyphPage& target = Pages_[std::size_t(page)];
    for (int y = 0; y < inkHeight; ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(scratch.constScanLine(inkTop + y));
        std::uint8_t* texel = target.Alpha.data() + std::size_t(v + y) * kPageSize + std::size_t(u);
        for (int x = 0; x < inkWidth; ++x)
            texel[x] = std::uint8_t(qAlpha(row[inkLeft + x]));
    }
    target.MarkDirty(v, v + inkHeight);
    glyph.BearingX = left + inkLeft;
    glyph.BearingY = top + inkTop;
    glyph.Width = inkWidth;
    glyph.Height = inkHeight;
    glyph.U = u;
    glyph.V = v;
    glyph.Page = page;
    return true;
}

bool TGlyphCache::Allocate(int w, int h, int& page, int& x, int& y) {
    if (w > kPageSize || h > kPageSize)
        return false;
    // Shelves of nearly the glyph's height, so that little room is lost above short glyphs.
    for (TShelf& shelf : Shelves_)
        if (h <= shelf.Height && shelf.Height <= h + h / 4 + 2 && shelf.X + w <= kPageSize) {
            page = shelf.Page;
            x = shelf.X;
            y = shelf.Y;
            shelf.X += w;
            return true;
        }
    if (Pages_.empty() || NextShelfY_ + h > kPageSize) {
        if (int(Pages_.size()) >= MaxPages_)
            return false;
        Pages_.emplace_back();
        Pages_.back().Alpha.assign(std::size_t(kPageSize) * kPageSize, 0);
        Pages_.back().MarkDirty(0, kPageSize); // a texture left from before the atlas started over is stale
        NextShelfY_ = 0;
    }
    page = int(Pages_.size()) - 1;
    x = 0;
    y = NextShelfY_;
    Shelves_.push_back({page, NextShelfY_, h, w});
    NextShelfY_ += h;
    return true;
}

void TGlyphCache::DropTexts() {
    for (auto& face : Faces_)
        face->Texts.clear();
    TextCount_ = 0;
}

void TGlyphCache::StartOver() {
    DropTexts();
    Fonts_->Glyphs.clear();
    Fonts_->Ids.clear();
    Pages_.clear();
    Shelves_.clear();
    NextShelfY_ = 0;
    ++Generation_;
}

} // namespace display
