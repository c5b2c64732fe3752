#include "display/USkinImage.h"

#include <QMouseEvent>
#include <QPainter>

namespace display {

TSkinImage::TSkinImage(QWidget* parent, const QString& name) : QWidget(parent) {
    setObjectName(name);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    Canvas_ = QImage(1, 1, QImage::Format_RGB32);
    Canvas_.fill(Qt::black);
}

void TSkinImage::SetBounds(int left, int top, int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (width > Canvas_.width() || height > Canvas_.height()) {
        QImage grown(std::max(width, Canvas_.width()), std::max(height, Canvas_.height()),
                     QImage::Format_RGB32);
        grown.fill(Qt::black);
        QPainter painter(&grown);
        painter.drawImage(0, 0, Canvas_);
        painter.end();
        Canvas_ = grown;
    }
    setGeometry(left, top, width, height);
}

void TSkinImage::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), Canvas_, event->rect());
}

void TSkinImage::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        Pressed_ = true;
    if (OnMouseDown)
        OnMouseDown(event->position().toPoint(), event->button(), event->buttons());
}

void TSkinImage::mouseMoveEvent(QMouseEvent* event) {
    if (OnMouseMove)
        OnMouseMove(event->position().toPoint(), Qt::NoButton, event->buttons());
}

void TSkinImage::mouseReleaseEvent(QMouseEvent* event) {
    const bool click =
        Pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        Pressed_ = false;
    if (OnMouseUp)
        OnMouseUp(event->position().toPoint(), event->button(), event->buttons());
    if (click && OnClick)
        OnClick();
}

} // namespace display
