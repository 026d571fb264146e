#include "plot_surface.h"

#include "palette.h"

#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace plot {

PlotSurface::PlotSurface(const QRect& geometry, QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setGeometry(geometry);
    setFocusPolicy(Qt::StrongFocus);
    // paintEvent covers every pixel itself: the image inside, the frame around it.
    setAttribute(Qt::WA_OpaquePaintEvent);

    const qreal ratio = devicePixelRatioF();
    const QSize logical = contentsRect().size();
    image_ = QImage(qRound(logical.width() * ratio), qRound(logical.height() * ratio),
                    QImage::Format_RGB32);
    image_.setDevicePixelRatio(ratio);
    image_.fill(kWhite);
    // Its own mapping, whatever a subclass might make of scale().
    PlotSurface::scale(0.0f, 0.0f, float(logical.width()), float(logical.height()));
}

void PlotSurface::scale(float left, float top, float right, float bottom) {
    mapping_ = PixelMapping(left, top, right, bottom, image_.width(), image_.height());
    memo_.forget();
}

const PixelBuffer& PlotSurface::pixels() {
    if (pixels_.bits == nullptr) {
        pixels_ = PixelBuffer::of(image_);
    }
    return pixels_;
}

void PlotSurface::line(float x1, float y1, float x2, float y2, QRgb colour) {
    dirty_.add(drawLine(pixels(), mapping_.toPixel(x1, y1), mapping_.toPixel(x2, y2), colour));
}

void PlotSurface::lines(std::span<const Segment> segments) {
    memo_.draw(pixels(), mapping_, segments, dirty_);
}

void PlotSurface::clear() {
    pixels_ = {};
    image_.fill(kWhite);
    dirty_ = {};
    update(contentsRect());
}

void PlotSurface::flush() {
    pixels_ = {};
    if (!dirty_.isEmpty()) {
        update(toWidget(dirty_.rect()));
        dirty_ = {};
    }
}

QRect PlotSurface::toWidget(const QRect& imageRect) const {
    const qreal ratio = image_.devicePixelRatio();
    const QPoint origin = contentsRect().topLeft();
    const int left = int(std::floor(imageRect.left() / ratio));
    const int top = int(std::floor(imageRect.top() / ratio));
    const int right = int(std::ceil((imageRect.right() + 1) / ratio));
    const int bottom = int(std::ceil((imageRect.bottom() + 1) / ratio));
    return QRect(left, top, right - left, bottom - top).translated(origin);
}

void PlotSurface::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect contents = contentsRect();
    if (!contents.contains(event->rect())) {
        // A style may leave the frame's corners unpainted, and nothing else paints them.
        painter.fillRect(rect(), palette().window());
        drawFrame(&painter);
    }
    const QRect target = event->rect() & contents;
    if (!target.isEmpty()) {
        const qreal ratio = image_.devicePixelRatio();
        const QRectF source(QPointF(target.topLeft() - contents.topLeft()) * ratio,
                            QSizeF(target.size()) * ratio);
        painter.drawImage(QRectF(target), image_, source);
    }
}

}  // namespace plot
