#pragma once
// The scene view control: a QOpenGLWidget that draws a scene through a camera with OpenGL 1.x and GLU,
// then the screen texts over it, and reports the mouse in view pixels. This is the only place of the
// program with OpenGL calls; everything it draws is read from the plain scene objects of the toolkit.
//
// Screen texts come in two kinds by their font: a font loaded from a file draws from its glyph sheet
// (single-byte text, the sheet scaled by the text's scale); any other font draws from the system's fonts
// through the viewer's glyph cache, shaped and rendered at the exact device pixel size and placed on whole
// device pixels, so it is sharp at every size and pixel ratio.
//
// The scene, camera and fonts are not owned; they must outlive the viewer (or be detached first).

#include "display/scene/GlyphCache.h"
#include "toolkit/FramesPerSecond.h"
#include "toolkit/GLSceneView.h"

#include <QOpenGLWidget>

#include <memory>

namespace platform {
class IClock;
}

namespace toolkit {
class TGLBaseSceneObject;
class TGLBitmapFont;
class TGLCamera;
class TGLHUDText;
class TGLScene;
} // namespace toolkit

namespace display {

class TGLSceneViewer : public QOpenGLWidget {
    Q_OBJECT
public:
    TGLSceneViewer(platform::IClock& clock, QWidget* parent = nullptr);
    ~TGLSceneViewer() override;

    // What is shown; Width and Height follow the widget.
    toolkit::TGLSceneView& View() { return View_; }
    const toolkit::TGLSceneView& View() const { return View_; }
    void SetScene(toolkit::TGLScene* scene);
    void SetCamera(toolkit::TGLCamera* camera);

    // Frames drawn per second since the last reset.
    double FramesPerSecond() const;
    void ResetPerformanceMonitor();

    // Forgets the texture of a font that is about to be destroyed.
    void ReleaseFont(const toolkit::TGLBitmapFont* font);

    // The glyph cache of the system-font texts. Fonts measure their texts through it (SetTextMeasure), so
    // that layout and picking see the widths drawn here; it follows the widget's device pixel ratio.
    TGlyphCache& GlyphCache() { return GlyphCache_; }

    // Draws the scene into the current OpenGL context, as a paint of the widget does; with `wait`, returns
    // once the drawing is done (for benchmarks).
    void RenderFrame(bool wait = false);

signals:
    void MouseDown(Qt::MouseButton button, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x,
                   int y);
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y);
    void MouseUp(Qt::MouseButton button, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x,
                 int y);
    void DoubleClick(int x, int y);

protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    struct TRenderer;
    std::unique_ptr<TRenderer> Renderer_;
    platform::IClock& Clock_;
    toolkit::TGLSceneView View_;
    toolkit::TFramesPerSecond Fps_;
    TGlyphCache GlyphCache_;
};

} // namespace display
