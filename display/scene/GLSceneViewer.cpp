#include "display/scene/GLSceneViewer.h"

#include "platform/Platform.h"
#include "toolkit/GLArrowLine.h"
#include "toolkit/GLBitmapFont.h"
#include "toolkit/GLCamera.h"
#include "toolkit/GLCube.h"
#include "toolkit/GLHUDText.h"
#include "toolkit/GLLightSource.h"
#include "toolkit/GLScene.h"
#include "toolkit/GLTorus.h"

#include <QMouseEvent>
#include <QResizeEvent>
#include <QSurfaceFormat>

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <unordered_map>
#include <vector>

namespace display {

using namespace toolkit;

namespace {

constexpr float kPi = 3.14159265358979323846f;
constexpr int kMaxLights = 8;
constexpr std::size_t kMaxShapes = 64;

void SetColor(GLenum face, GLenum what, const TColorVector& c) {
    const GLfloat v[4] = {c.R, c.G, c.B, c.A};
    glMaterialfv(face, what, v);
}

void ApplyMaterial(const TGLMaterial& m) {
    SetColor(GL_FRONT_AND_BACK, GL_AMBIENT, m.Ambient);
    SetColor(GL_FRONT_AND_BACK, GL_DIFFUSE, m.Diffuse);
    SetColor(GL_FRONT_AND_BACK, GL_EMISSION, m.Emission);
    SetColor(GL_FRONT_AND_BACK, GL_SPECULAR, m.Specular);
    glColor4f(m.Diffuse.R, m.Diffuse.G, m.Diffuse.B, m.Diffuse.A); // for a scene without lights
}

// A ring in the x-y plane around the z axis, as quad strips.
void DrawTorus(const TGLTorus& t) {
    const int rings = std::clamp(t.Rings, 3, 256);
    const int sides = std::clamp(t.Sides, 3, 256);
    for (int i = 0; i < rings; ++i) {
        glBegin(GL_QUAD_STRIP);
        for (int j = 0; j <= sides; ++j) {
            for (int k = 0; k < 2; ++k) {
                const float a = 2 * kPi * float(i + k) / float(rings);
                const float b = 2 * kPi * float(j) / float(sides);
                const float nx = std::cos(a) * std::cos(b), ny = std::sin(a) * std::cos(b), nz = std::sin(b);
                glNormal3f(nx, ny, nz);
                glVertex3f(std::cos(a) * (t.MajorRadius + t.MinorRadius * std::cos(b)),
                           std::sin(a) * (t.MajorRadius + t.MinorRadius * std::cos(b)), t.MinorRadius * nz);
            }
        }
        glEnd();
    }
}

void DrawCube(const TGLCube& c) {
    const float x = c.CubeWidth / 2, y = c.CubeHeight / 2, z = c.CubeDepth / 2;
    struct {
        float n[3];
        float v[4][3];
    } faces[] = {
        {{0, 0, 1}, {{-x, -y, z}, {x, -y, z}, {x, y, z}, {-x, y, z}}},
        {{0, 0, -1}, {{x, -y, -z}, {-x, -y, -z}, {-x, y, -z}, {x, y, -z}}},
        {{1, 0, 0}, {{x, -y, z}, {x, -y, -z}, {x, y, -z}, {x, y, z}}},
        {{-1, 0, 0}, {{-x, -y, -z}, {-x, -y, z}, {-x, y, z}, {-x, y, -z}}},
        {{0, 1, 0}, {{-x, y, z}, {x, y, z}, {x, y, -z}, {-x, y, -z}}},
        {{0, -1, 0}, {{-x, -y, -z}, {x, -y, -z}, {x, -y, z}, {-x, -y, z}}},
    };
    glBegin(GL_QUADS);
    for (const auto& f : faces) {
        glNormal3fv(f.n);
        for (const auto& v : f.v)
            glVertex3fv(v);
    }
    glEnd();
}

// Whether a solid of the scene is shown (hidden parents hide their children).
bool HasVisibleSolid(const TGLBaseSceneObject& o) {
    if (!o.Visible)
        return false;
    switch (o.Kind()) {
    case TGLObjectKind::Torus:
    case TGLObjectKind::Cube:
    case TGLObjectKind::ArrowLine:
        return true;
    default:
        break;
    }
    for (int i = 0; i < o.Count(); ++i)
        if (HasVisibleSolid(o.Child(i)))
            return true;
    return false;
}

} // namespace

struct TGLSceneViewer::TRenderer {
    struct TFontTexture {
        GLuint Id = 0;
        unsigned Version = 0;
        bool Uploaded = false;
        int Width = 0, Height = 0;
    };
    explicit TRenderer(TGlyphCache& glyphs) : Glyphs(glyphs) {}

    TGlyphCache& Glyphs;
    std::string HeadText; // the highlighted head of the text being drawn
    std::unordered_map<const TGLBitmapFont*, TFontTexture> Textures;
    std::vector<GLuint> PageTextures; // one per page of the glyph cache
    GLUquadric* Quadric = nullptr;
    std::vector<std::uint8_t> Upload; // reused upload buffer
    // Solids drawn once into display lists, by their shape: a frame replays them instead of computing every
    // vertex again.
    std::map<std::vector<float>, GLuint> Shapes;

    ~TRenderer() {
        // The context is current here (the viewer makes it so before destroying us).
        for (auto& entry : Textures)
            if (entry.second.Id)
                glDeleteTextures(1, &entry.second.Id);
        if (!PageTextures.empty())
            glDeleteTextures(GLsizei(PageTextures.size()), PageTextures.data());
        if (Quadric)
            gluDeleteQuadric(Quadric);
        for (const auto& shape : Shapes)
            glDeleteLists(shape.second, 1);
    }

    // Draws a shape from its display list, made by `draw` the first time the shape is seen.
    template <class TDraw> void DrawShape(std::vector<float> key, TDraw&& draw) {
        auto it = Shapes.find(key);
        if (it == Shapes.end()) {
            // Shapes come from a handful of scene objects; should they keep changing, the lists start over.
            if (Shapes.size() >= kMaxShapes) {
                for (const auto& shape : Shapes)
                    glDeleteLists(shape.second, 1);
                Shapes.clear();
            }
            const GLuint list = glGenLists(1);
            if (!list) {
                draw();
                return;
            }
            glNewList(list, GL_COMPILE);
            draw();
            glEndList();
            it = Shapes.emplace(std::move(key), list).first;
        }
        glCallList(it->second);
    }

    void DrawArrow(const TGLArrowLine& a) {
        if (!Quadric)
            return;
        const int slices = std::clamp(a.Slices, 3, 128);
        glPushMatrix();
        glTranslatef(0, 0, -a.Height / 2);
        gluQuadricOrientation(Quadric, GLU_INSIDE);
        gluDisk(Quadric, 0, a.BottomRadius, slices, 1);
        gluQuadricOrientation(Quadric, GLU_OUTSIDE);
        gluCylinder(Quadric, a.BottomRadius, a.TopRadius, a.Height, slices, 1);
        glTranslatef(0, 0, a.Height);
        gluQuadricOrientation(Quadric, GLU_INSIDE);
        gluDisk(Quadric, 0, a.TopArrowHeadRadius, slices, 1);
        gluQuadricOrientation(Quadric, GLU_OUTSIDE);
        gluCylinder(Quadric, a.TopArrowHeadRadius, 0, a.TopArrowHeadHeight, slices, 1);
        glPopMatrix();
    }

    void DrawSolids(const TGLBaseSceneObject& o) {
        if (!o.Visible)
            return;
        glPushMatrix();
        glMultMatrixf(o.LocalMatrix().M.data());
        switch (o.Kind()) {
        case TGLObjectKind::Torus: {
            const auto& torus = static_cast<const TGLTorus&>(o);
            ApplyMaterial(torus.Material);
            DrawShape({0, torus.MajorRadius, torus.MinorRadius, float(torus.Rings), float(torus.Sides)},
                      [&] { DrawTorus(torus); });
            break;
        }
        case TGLObjectKind::Cube:
            ApplyMaterial(static_cast<const TGLCube&>(o).Material);
            DrawCube(static_cast<const TGLCube&>(o));
            break;
        case TGLObjectKind::ArrowLine: {
            const auto& arrow = static_cast<const TGLArrowLine&>(o);
            ApplyMaterial(arrow.Material);
            DrawShape({1, arrow.Height, arrow.BottomRadius, arrow.TopRadius, arrow.TopArrowHeadHeight,
                       arrow.TopArrowHeadRadius, float(arrow.Slices)},
                      [&] { DrawArrow(arrow); });
            break;
        }
        default:
            break;
        }
        for (int i = 0; i < o.Count(); ++i)
            DrawSolids(o.Child(i));
        glPopMatrix();
    }

    void SetUpLights(const TGLBaseSceneObject& root) {
        int used = 0;
        auto visit = [&](auto&& self, const TGLBaseSceneObject& o) -> void {
            if (!o.Visible)
                return;
            if (o.Kind() == TGLObjectKind::LightSource && used < kMaxLights) {
                const auto& light = static_cast<const TGLLightSource&>(o);
                if (light.Shining) {
                    const GLenum id = GLenum(GL_LIGHT0 + used++);
                    const TVector3 p = light.AbsolutePosition();
                    const GLfloat position[4] = {p.X, p.Y, p.Z, 1};
                    const GLfloat ambient[4] = {light.Ambient.R, light.Ambient.G, light.Ambient.B,
                                                light.Ambient.A};
                    const GLfloat diffuse[4] = {light.Diffuse.R, light.Diffuse.G, light.Diffuse.B,
                                                light.Diffuse.A};
                    const GLfloat specular[4] = {light.Specular.R, light.Specular.G, light.Specular.B,
                                                 light.Specular.A};
                    glEnable(id);
                    glLightfv(id, GL_POSITION, position);
                    glLightfv(id, GL_AMBIENT, ambient);
                    glLightfv(id, GL_DIFFUSE, diffuse);
                    glLightfv(id, GL_SPECULAR, specular);
                    glLightf(id, GL_SPOT_CUTOFF,
                             light.SpotCutOff >= 90 ? 180.0f : std::max(0.0f, light.SpotCutOff));
                }
            }
            for (int i = 0; i < o.Count(); ++i)
                self(self, o.Child(i));
        };
        visit(visit, root);
        for (int i = used; i < kMaxLights; ++i)
            glDisable(GLenum(GL_LIGHT0 + i));
        if (used > 0)
            glEnable(GL_LIGHTING);
        else
            glDisable(GL_LIGHTING);
    }

    // The texture of a font's loaded glyph sheet. Glyph intensity becomes alpha, so the text colour
    // multiplies white glyphs.
    const TFontTexture* FontTexture(TGLBitmapFont& font) {
        TFontTexture& t = Textures[&font];
        if (!t.Uploaded || t.Version != font.Version()) {
            const TBitmapImage& sheet = font.Glyphs;
            t.Version = font.Version();
            t.Uploaded = true;
            t.Width = sheet.Width();
            t.Height = sheet.Height();
            if (sheet.Empty())
                return nullptr;
            if (!t.Id)
                glGenTextures(1, &t.Id);
            Upload.resize(sheet.Pixels().size());
            const std::uint8_t* src = sheet.Pixels().data();
            for (std::size_t i = 0; i < Upload.size(); i += 4) {
                Upload[i] = Upload[i + 1] = Upload[i + 2] = 255;
                Upload[i + 3] = std::max({src[i], src[i + 1], src[i + 2]});
            }
            glBindTexture(GL_TEXTURE_2D, t.Id);
            glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, t.Width, t.Height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                         Upload.data());
        }
        return t.Id && t.Width > 0 ? &t : nullptr;
    }

    // Brings the textures of the glyph cache's pages up to date: a new page whole, then the rows that
    // changed. Coverage is alpha, so the text colour multiplies it.
    void UploadGlyphPages() {
        for (int i = 0; i < Glyphs.PageCount(); ++i) {
            TGlyphPage& page = Glyphs.Page(i);
            const bool fresh = std::size_t(i) >= PageTextures.size();
            if (!fresh && page.DirtyTop >= page.DirtyBottom)
                continue;
            if (fresh) {
                GLuint id = 0;
                glGenTextures(1, &id);
                PageTextures.push_back(id);
            }
            glBindTexture(GL_TEXTURE_2D, PageTextures[std::size_t(i)]);
            glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
            if (fresh) {
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
                glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, TGlyphCache::kPageSize, TGlyphCache::kPageSize, 0,
                             GL_ALPHA, GL_UNSIGNED_BYTE, page.Alpha.data());
            } else {
                glTexSubImage2D(GL_TEXTURE_2D, 0, 0, page.DirtyTop, TGlyphCache::kPageSize,
                                page.DirtyBottom - page.DirtyTop, GL_ALPHA, GL_UNSIGNED_BYTE,
                                page.Alpha.data() + std::size_t(page.DirtyTop) * TGlyphCache::kPageSize);
            }
            page.ClearDirty();
        }
    }

    // A text of a system font: its shaped glyphs at the exact device pixel size, one texel on one device
    // pixel (the text's top and each line's left edge are put on whole device pixels).
    void DrawSystemText(const TGLHUDText& text, const TGLBitmapFont& font) {
        const int pixelSize = Glyphs.DevicePixelSize(font.SystemPixelSize(text.Scale.Y));
        // A highlighted head (of a text of one line) covers the glyphs whose middle lies within its advance.
        // It is shaped first: shaping may start the cache over, which would drop the whole text's shape.
        float split = -1;
        if (text.HighlightEnd > 0 && text.Text.find('\n') == std::string::npos) {
            HeadText.assign(text.Text, 0, text.HighlightEnd); // reuses its buffer: no allocation per frame
            const TShapedText& head = Glyphs.Shape(font.FontName(), pixelSize, HeadText);
            split = head.Lines.empty() ? 0 : head.Lines.front().Width;
        }
        const TShapedText& shaped = Glyphs.Shape(font.FontName(), pixelSize, text.Text);
        if (shaped.Quads.empty())
            return;
        UploadGlyphPages();
        const float ratio = float(Glyphs.DevicePixelRatio());
        const float texel = 1.0f / float(TGlyphCache::kPageSize);
        const float alpha = std::min(1.0f, text.ModulateColor.A);
        const float top = std::round(text.Position.Y * ratio);
        // Pass 0 draws the text in its colour, pass 1 the highlighted head; the colour is set between
        // batches, never inside one.
        for (int pass = 0; pass < (split >= 0 ? 2 : 1); ++pass) {
            const TColorVector& c = pass == 0 ? text.ModulateColor : text.HighlightColor;
            glColor4f(c.R, c.G, c.B, alpha);
            int bound = -1;
            for (const TShapedLine& line : shaped.Lines) {
                const float left = std::round(text.LineLeft(line.Width / ratio) * ratio);
                for (std::uint32_t i = line.First; i < line.First + line.Count; ++i) {
                    const TGlyphQuad& q = shaped.Quads[i];
                    if (split >= 0 && (float(q.X) + float(q.Width) / 2 < split) != (pass == 1))
                        continue;
                    if (q.Page != bound) {
                        if (bound >= 0)
                            glEnd();
                        bound = q.Page;
                        glBindTexture(GL_TEXTURE_2D, PageTextures[std::size_t(bound)]);
                        glBegin(GL_QUADS);
                    }
                    const float x0 = (left + float(q.X)) / ratio, x1 = (left + float(q.X + q.Width)) / ratio;
                    const float y0 = (top + float(q.Y)) / ratio, y1 = (top + float(q.Y + q.Height)) / ratio;
                    const float u0 = float(q.U) * texel, u1 = float(q.U + q.Width) * texel;
                    const float v0 = float(q.V) * texel, v1 = float(q.V + q.Height) * texel;
                    glTexCoord2f(u0, v0);
                    glVertex2f(x0, y0);
                    glTexCoord2f(u1, v0);
                    glVertex2f(x1, y0);
                    glTexCoord2f(u1, v1);
                    glVertex2f(x1, y1);
                    glTexCoord2f(u0, v1);
                    glVertex2f(x0, y1);
                }
            }
            if (bound >= 0)
                glEnd();
        }
    }

    void DrawText(const TGLHUDText& text) {
        if (!text.BitmapFont || text.Text.empty() || text.ModulateColor.A <= 0)
            return;
        TGLBitmapFont& font = *text.BitmapFont;
        if (font.DrawsSystemFont()) {
            DrawSystemText(text, font);
            return;
        }
        const TFontTexture* texture = FontTexture(font);
        if (!texture)
            return;
        glBindTexture(GL_TEXTURE_2D, texture->Id);
        glColor4f(text.ModulateColor.R, text.ModulateColor.G, text.ModulateColor.B,
                  std::min(1.0f, text.ModulateColor.A));
        const float sx = text.Scale.X, sy = text.Scale.Y;
        const float tw = float(texture->Width), th = float(texture->Height);
        const std::string& s = text.Text;
        // Each line starts on a whole device pixel, so a text that moves does not shimmer.
        const float ratio = float(Glyphs.DevicePixelRatio());
        auto snap = [ratio](float v) { return std::round(v * ratio) / ratio; };
        float top = snap(text.Position.Y);
        glBegin(GL_QUADS);
        std::size_t begin = 0;
        while (begin <= s.size()) {
            std::size_t end = s.find('\n', begin);
            if (end == std::string::npos)
                end = s.size();
            std::size_t lineEnd = end;
            if (lineEnd > begin && s[lineEnd - 1] == '\r')
                --lineEnd;
            float x = snap(text.LineLeft(float(font.TextWidth(s, begin, lineEnd)) * sx));
            for (std::size_t i = begin; i < lineEnd; ++i) {
                if (text.HighlightEnd > 0 && (i == begin || i == text.HighlightEnd)) {
                    // The colour changes between batches, never inside one.
                    const TColorVector& c = i < text.HighlightEnd ? text.HighlightColor : text.ModulateColor;
                    glEnd();
                    glColor4f(c.R, c.G, c.B, std::min(1.0f, text.ModulateColor.A));
                    glBegin(GL_QUADS);
                }
                const unsigned char code = static_cast<unsigned char>(s[i]);
                const int index = font.GlyphIndex(code);
                if (index >= 0 && std::size_t(index) < font.CharRects.size()) {
                    const TGLCharRect& r = font.CharRects[std::size_t(index)];
                    const float w = float(r.Right - r.Left) * sx, h = float(r.Bottom - r.Top) * sy;
                    const float u0 = float(r.Left) / tw, u1 = float(r.Right) / tw;
                    const float v0 = float(r.Top) / th, v1 = float(r.Bottom) / th;
                    glTexCoord2f(u0, v0);
                    glVertex2f(x, top);
                    glTexCoord2f(u1, v0);
                    glVertex2f(x + w, top);
                    glTexCoord2f(u1, v1);
                    glVertex2f(x + w, top + h);
                    glTexCoord2f(u0, v1);
                    glVertex2f(x, top + h);
                }
                x += float(font.CharAdvance(code)) * sx;
            }
            top = snap(top + float(font.CharHeight()) * sy);
            begin = end + 1;
        }
        glEnd();
    }

    void DrawTexts(const TGLBaseSceneObject& o) {
        if (!o.Visible)
            return;
        if (o.Kind() == TGLObjectKind::HUDText)
            DrawText(static_cast<const TGLHUDText&>(o));
        for (int i = 0; i < o.Count(); ++i)
            DrawTexts(o.Child(i));
    }
};

TGLSceneViewer::TGLSceneViewer(platform::IClock& clock, QWidget* parent)
    : QOpenGLWidget(parent), Clock_(clock) {
    Renderer_ = std::make_unique<TRenderer>(GlyphCache_);
    GlyphCache_.SetDevicePixelRatio(devicePixelRatioF());
    View_.PixelRatio = devicePixelRatioF();
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setVersion(2, 1);
    format.setDepthBufferSize(24);
    format.setSwapInterval(1); // vertical sync
    setFormat(format);
    setMouseTracking(true);
    Fps_.Reset(Clock_.TickCount());
}

TGLSceneViewer::~TGLSceneViewer() {
    makeCurrent();
    Renderer_.reset();
    doneCurrent();
}

void TGLSceneViewer::SetScene(TGLScene* scene) {
    View_.Scene = scene;
    update();
}

void TGLSceneViewer::SetCamera(TGLCamera* camera) {
    View_.Camera = camera;
    update();
}

double TGLSceneViewer::FramesPerSecond() const {
    return Fps_.FramesPerSecond(Clock_.TickCount());
}

void TGLSceneViewer::ResetPerformanceMonitor() {
    Fps_.Reset(Clock_.TickCount());
}

void TGLSceneViewer::ReleaseFont(const TGLBitmapFont* font) {
    auto it = Renderer_->Textures.find(font);
    if (it == Renderer_->Textures.end())
        return;
    if (it->second.Id && context()) {
        makeCurrent();
        glDeleteTextures(1, &it->second.Id);
        doneCurrent();
    }
    Renderer_->Textures.erase(it);
}

void TGLSceneViewer::initializeGL() {
    if (!Renderer_->Quadric) {
        Renderer_->Quadric = gluNewQuadric();
        if (Renderer_->Quadric)
            gluQuadricNormals(Renderer_->Quadric, GLU_SMOOTH);
    }
    glShadeModel(GL_SMOOTH);
    glEnable(GL_NORMALIZE); // objects are scaled
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
}

void TGLSceneViewer::resizeGL(int width, int height) {
    View_.Width = std::max(width, 1);
    View_.Height = std::max(height, 1);
}

void TGLSceneViewer::resizeEvent(QResizeEvent* event) {
    // The view's size is known before the first frame is drawn, for layout and picking.
    View_.Width = std::max(event->size().width(), 1);
    View_.Height = std::max(event->size().height(), 1);
    View_.PixelRatio = devicePixelRatioF();
    QOpenGLWidget::resizeEvent(event);
}

void TGLSceneViewer::paintGL() {
    RenderFrame();
}

void TGLSceneViewer::RenderFrame(bool wait) {
    View_.Width = std::max(width(), 1);
    View_.Height = std::max(height(), 1);
    const qreal ratio = devicePixelRatioF();
    GlyphCache_.SetDevicePixelRatio(ratio);
    View_.PixelRatio = ratio;
    glViewport(0, 0, GLsizei(std::lround(View_.Width * ratio)), GLsizei(std::lround(View_.Height * ratio)));
    const TColorVector& bg = View_.BackgroundColor;
    glClearColor(bg.R, bg.G, bg.B, bg.A);
    // Depth and lighting only when a solid is drawn; the texts alone need neither.
    const bool solids = View_.Scene && View_.Camera && HasVisibleSolid(View_.Scene->Objects);
    glClear(solids ? GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT : GL_COLOR_BUFFER_BIT);

    if (solids) {
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixf(View_.Camera->ProjectionMatrix(View_.Width, View_.Height).M.data());
        glMatrixMode(GL_MODELVIEW);
        glLoadMatrixf(View_.Camera->ViewMatrix().M.data());
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        glDisable(GL_TEXTURE_2D);
        Renderer_->SetUpLights(View_.Scene->Objects);
        Renderer_->DrawSolids(View_.Scene->Objects);
    }

    if (View_.Scene) {
        // Screen texts: pixel coordinates from the top left, over everything.
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, View_.Width, View_.Height, 0, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_TEXTURE_2D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        Renderer_->DrawTexts(View_.Scene->Objects);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
    }
    if (wait)
        glFinish();
    Fps_.FrameRendered();
}

void TGLSceneViewer::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    emit MouseDown(event->button(), event->buttons(), event->modifiers(), p.x(), p.y());
}

void TGLSceneViewer::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    emit MouseMove(event->buttons(), event->modifiers(), p.x(), p.y());
}

void TGLSceneViewer::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    emit MouseUp(event->button(), event->buttons(), event->modifiers(), p.x(), p.y());
}

void TGLSceneViewer::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    emit DoubleClick(p.x(), p.y());
}

} // namespace display
