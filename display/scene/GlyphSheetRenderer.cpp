#include "display/scene/GlyphSheetRenderer.h"

#include "toolkit/CodePage.h"
#include "toolkit/GLBitmapFont.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <vector>

namespace display {

namespace {

constexpr int kColumns = 16;

// The character a code stands for in the code page, or 0 for codes that draw nothing (controls).
char16_t CharacterOf(int code, int codePage) {
    const std::u16string u = toolkit::CodePageToUtf16(std::string(1, char(code)), codePage);
    const char16_t c = u.empty() ? 0 : u[0];
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
        return 0;
    return c;
}

} // namespace

void RenderSystemGlyphs(toolkit::TGLBitmapFont& font, const QFont& systemFont, int codePage) {
    const QFontMetrics metrics(systemFont);
    const int first = font.RangeStart();
    const int count = font.RangeEnd() - first + 1;

    std::vector<std::int32_t> widths(256, 0);
    int cellWidth = 1;
    // The cell holds every glyph whole: accents above the ascent and underscores below the descent too.
    int above = metrics.ascent();
    int below = metrics.descent();
    for (int code = first; code <= font.RangeEnd(); ++code) {
        const char16_t c = CharacterOf(code, codePage);
        widths[std::size_t(code)] = c ? metrics.horizontalAdvance(QChar(c)) : metrics.horizontalAdvance(QChar(' '));
        cellWidth = std::max(cellWidth, int(widths[std::size_t(code)]));
        if (c) {
            const QRect bounds = metrics.boundingRect(QChar(c)); // relative to the baseline
            above = std::max(above, -bounds.top());
            below = std::max(below, bounds.bottom() + 1);
        }
    }
    const int cellHeight = std::max(1, above + below);
    const int rows = (count + kColumns - 1) / kColumns;

    QImage image(kColumns * cellWidth, rows * cellHeight, QImage::Format_RGB32);
    image.fill(Qt::black);
    std::vector<toolkit::TGLCharRect> rects(static_cast<std::size_t>(count));
    {
        QPainter painter(&image);
        painter.setFont(systemFont);
        painter.setPen(Qt::white);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        for (int index = 0; index < count; ++index) {
            const int code = first + index;
            const int x = index % kColumns * cellWidth;
            const int y = index / kColumns * cellHeight;
            rects[std::size_t(index)] = {x, y, x + widths[std::size_t(code)], y + cellHeight};
            if (const char16_t c = CharacterOf(code, codePage))
                painter.drawText(QPoint(x, y + above), QString(QChar(c)));
        }
    }

    toolkit::TBitmapImage sheet;
    sheet.SetSize(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            std::uint8_t* p = sheet.Pixel(x, y);
            p[0] = std::uint8_t(qRed(line[x]));
            p[1] = std::uint8_t(qGreen(line[x]));
            p[2] = std::uint8_t(qBlue(line[x]));
            p[3] = 255;
        }
    }
    // Codes outside the range advance by a cell.
    for (int code = 0; code < 256; ++code)
        if (code < first || code > font.RangeEnd())
            widths[std::size_t(code)] = cellWidth;
    font.SetSystemGlyphs(std::move(sheet), cellWidth, cellHeight, std::move(rects), std::move(widths), codePage);
}

void RenderSystemGlyphs(toolkit::TGLBitmapFont& font, int codePage) {
    QFont systemFont(QString::fromStdString(font.FontName()));
    systemFont.setPixelSize(font.FontSize());
    RenderSystemGlyphs(font, systemFont, codePage);
}

} // namespace display
