#pragma once
// An image control of the window frame: a widget that shows a canvas the frame paints on, keeps that
// painting until it is painted again, and reports the mouse to whoever owns it. Controls are children of
// the main window and are placed by the frame (see UWinampSkin).

#include <QImage>
#include <QWidget>

#include <functional>

namespace display {

class TSkinImage : public QWidget {
public:
    // Mouse reports: position in the control, the button that changed (or none) and the buttons held.
    using TMouseHandler =
        std::function<void(QPoint position, Qt::MouseButton button, Qt::MouseButtons buttons)>;

    TSkinImage(QWidget* parent, const QString& name);

    // The canvas is as large as the control, in device pixels (its device pixel ratio is the screen's); it
    // grows (keeping its painting) when the control does.
    QImage& Canvas() { return Canvas_; }
    void SetBounds(int left, int top, int width, int height);

    TMouseHandler OnMouseDown;
    TMouseHandler OnMouseMove;
    TMouseHandler OnMouseUp;
    // A press and a release of the left button on the control.
    std::function<void()> OnClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage Canvas_;
    bool Pressed_ = false;
};

} // namespace display
