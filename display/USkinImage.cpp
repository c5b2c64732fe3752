#include "display/USkinImage.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

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
    // The canvas holds device pixels: on a screen of two device pixels per view pixel the frame is painted at
    // that resolution, not enlarged. Painting on it works in view pixels all the same.
    const qreal ratio = std::max<qreal>(devicePixelRatioF(), 1);
    const QSizeF have = Canvas_.deviceIndependentSize();
    if (ratio != Canvas_.devicePixelRatio() || width > have.width() || height > have.height()) {
        const int w = std::max(width, ratio == Canvas_.devicePixelRatio() ? int(have.width()) : 1);
        const int h = std::max(height, ratio == Canvas_.devicePixelRatio() ? int(have.height()) : 1);
        QImage grown(int(std::ceil(w * ratio)), int(std::ceil(h * ratio)), QImage::Format_RGB32);
        grown.setDevicePixelRatio(ratio);
        grown.fill(Qt::black);
        QPainter painter(&grown);
        painter.drawImage(QPointF(0, 0), Canvas_);
        painter.end();
        Canvas_ = grown;
    }
    setGeometry(left, top, width, height);
}

void TSkinImage::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRectF target(event->rect());
    const qreal ratio = Canvas_.devicePixelRatio();
    painter.drawImage(
        target, Canvas_,
        QRectF(target.x() * ratio, target.y() * ratio, target.width() * ratio, target.height() * ratio));
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
