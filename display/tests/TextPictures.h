#pragma once
// Pictures of text for the GUI tests: the lyric view of a few lines drawn by the real engine and renderer,
// Qt's own drawing of a string as the reference it is compared with, and the comparison.
#include "QtTestApp.h"

#include "config/TNullSettingsView.h"
#include "config/TSongList.h"
#include "config/USettings.h"
#include "display/MainScene.h"
#include "display/UDisplayTextNoTimestamp.h"
#include "display/scene/GLSceneViewer.h"
#include "lyrics/UTextLyrics.h"
#include "player/EasyAmp.h"
#include "toolkit/CodePage.h"

#include "platform/fake/FakeWinamp.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace display::testing {

// True when the installed fonts have a glyph for every character (through fallback), none drawn as a box.
inline bool FontsCover(const QString& text, const QString& family) {
    QFont font(family);
    font.setPixelSize(20);
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    for (const QGlyphRun& run : layout.glyphRuns())
        for (quint32 index : run.glyphIndexes())
            if (index == 0)
                return false;
    return true;
}

// Brightness of each pixel (the largest of red, green and blue), 0 to 1.
struct TGrey {
    int Width = 0, Height = 0;
    std::vector<float> V;
    float At(int x, int y) const {
        return x >= 0 && y >= 0 && x < Width && y < Height ? V[std::size_t(y * Width + x)] : 0.0f;
    }
    float Sum() const {
        float s = 0;
        for (float v : V)
            s += v;
        return s;
    }
};

inline TGrey GreyOf(const QImage& image, QRect rect) {
    TGrey g;
    g.Width = rect.width();
    g.Height = rect.height();
    g.V.assign(std::size_t(g.Width * g.Height), 0.0f);
    for (int y = 0; y < g.Height; ++y)
        for (int x = 0; x < g.Width; ++x) {
            const QPoint p(rect.left() + x, rect.top() + y);
            if (!image.rect().contains(p))
                continue;
            const QColor c = image.pixelColor(p);
            g.V[std::size_t(y * g.Width + x)] = float(std::max({c.red(), c.green(), c.blue()})) / 255.0f;
        }
    return g;
}

// How alike two pictures are: the normalised correlation at the best shift of up to `shift` pixels
// (1 for the same picture, near 0 for unrelated ones).
inline double Likeness(const TGrey& a, const TGrey& b, int shift = 3) {
    double aa = 0, bb = 0;
    for (float v : a.V)
        aa += double(v) * v;
    for (float v : b.V)
        bb += double(v) * v;
    if (aa <= 0 || bb <= 0)
        return 0;
    double best = 0;
    for (int dy = -shift; dy <= shift; ++dy)
        for (int dx = -shift; dx <= shift; ++dx) {
            double ab = 0;
            for (int y = 0; y < a.Height; ++y)
                for (int x = 0; x < a.Width; ++x)
                    ab += double(a.At(x, y)) * b.At(x + dx, y + dy);
            best = std::max(best, ab / std::sqrt(aa * bb));
        }
    return best;
}

// How sharp the edges of a picture are: the brightness steps between neighbouring pixels per unit of ink.
// A drawing blown up from fewer pixels has softer, wider edges and scores lower.
inline double Sharpness(const TGrey& g) {
    double steps = 0;
    for (int y = 0; y < g.Height; ++y)
        for (int x = 0; x < g.Width; ++x) {
            steps += std::fabs(double(g.At(x + 1, y)) - g.At(x, y));
            steps += std::fabs(double(g.At(x, y + 1)) - g.At(x, y));
        }
    const double ink = g.Sum();
    return ink > 0 ? steps / ink : 0;
}

// Qt drawing a string white on black into a picture of `size`, from the pen position (x, baseline).
inline QImage QtDrawn(const QString& text, const QString& family, int pixelSize, QSize size, double x,
                      double baseline) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QFont font(family);
    font.setPixelSize(pixelSize);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QPointF(x, baseline), text);
    return image;
}

// The same string drawn one character after the other in the order of the text, left to right: what a
// right-to-left line looks like when it is not put in visual order.
inline QImage QtDrawnInLogicalOrder(const QString& text, const QString& family, int pixelSize, QSize size,
                                    double x, double baseline) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QFont font(family);
    font.setPixelSize(pixelSize);
    const QFontMetricsF metrics(font);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::white);
    for (const QChar c : text) {
        painter.drawText(QPointF(x, baseline), QString(c));
        x += metrics.horizontalAdvance(c);
    }
    return image;
}

inline int Ascent(const QString& family, int pixelSize) {
    QFont font(family);
    font.setPixelSize(pixelSize);
    return int(std::lround(QFontMetricsF(font).ascent()));
}

// The lyric view of the main window with plain lyrics in the UTF-8 character set, drawn by the real display
// engine and renderer at a window size of 810 x 306 view pixels.
class TLyricView {
public:
    explicit TLyricView(const std::vector<std::string>& lines) {
        Clock.Now = 1000000;
        Settings.LoadSettings(); // a new settings file: charset_unicode
        Settings.SetCharset("charset_unicode");
        Scene.GLDummyCubeButtons->Visible = false;
        Scene.GLHUDTextLoading->Visible = false;
        Scene.SetTextMeasure(&Viewer.GlyphCache());
        Viewer.SetScene(&Scene.GLSceneTextNoTimestamp);
        Viewer.SetCamera(Scene.GLCameraTextNoTimestamp);
        Viewer.resize(810, 306);
        Scene.GLCameraTextNoTimestamp->SceneScale = 488.0f / 810;
        for (const std::string& line : lines)
            Lyrics.Lines.push_back({line, -1});
        Lyrics.Timestamped = false;
        Lyrics.Found = true;
    }
    ~TLyricView() { toolkit::SetActiveCodePage(1252); }

    // Draws the lines at a text size and reads the picture back (device pixels).
    QImage Draw(int textSize) {
        Settings.SelectTextSize(textSize - 11);
        Engine.RebuildLines();
        Engine.LayoutWindow();
        Engine.UpdateFrame(0, 0);
        Viewer.show();
        return Viewer.grabFramebuffer();
    }

    // The line object showing a text.
    toolkit::TGLHUDText& Line(const std::string& text) {
        auto& container = *Scene.GLHUDTextNoTimestampContainer;
        for (int i = 0; i < container.Count(); ++i)
            if (static_cast<toolkit::TGLHUDText&>(container.Child(i)).Text == text)
                return static_cast<toolkit::TGLHUDText&>(container.Child(i));
        throw std::runtime_error("no line shows " + text);
    }

    QString Family() const {
        return QString::fromStdString(Scene.GLWindowsBitmapFontTextNoTimestamp.FontName());
    }

    QApplication& App = TestApp(); // before the widgets
    platform::TFakeWindowSystem Windows;
    platform::TFakeClock Clock;
    player::TPlayerSession Session{Windows, Clock};
    config::TNullSettingsView SettingsView;
    config::TSongList CancelList, UploadList;
    config::TSettings Settings{SettingsView, CancelList, UploadList, "", "", '/'};
    TMainScene Scene{Clock};
    TGLSceneViewer Viewer{Clock};
    lyrics::TTextLyrics Lyrics;
    TScrollState Scroll;
    TNullDisplayHost Host;
    TDisplayTextNoTimestamp Engine{Scene, Viewer.View(), Lyrics, Settings, Session, Scroll, Host};
};

// Where a line of the view is drawn, in device pixels, with a margin; and Qt's drawing of the same string
// there from the same pen position, at a device pixel size.
struct TLinePicture {
    QRect Rect;
    TGrey Drawn;
    double PenX = 0, Baseline = 0; // within Rect
};

inline TLinePicture LinePicture(const QImage& frame, const toolkit::TGLHUDText& line, double ratio,
                                const QString& family, int devicePixelSize, int margin = 6) {
    const toolkit::TPixelRect r = line.ScreenRect();
    const int left = int(std::lround(r.Left * ratio)), top = int(std::lround(r.Top * ratio));
    const int right = int(std::lround(r.Right * ratio)), bottom = int(std::lround(r.Bottom * ratio));
    TLinePicture p;
    p.Rect = QRect(QPoint(left - margin, top - margin), QPoint(right + margin, bottom + margin));
    p.Drawn = GreyOf(frame, p.Rect);
    p.PenX = margin;
    p.Baseline = margin + Ascent(family, devicePixelSize);
    return p;
}

} // namespace display::testing
