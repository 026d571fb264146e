#include "plot_surface.h"

#include "palette.h"
#include "sweep.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <utility>

namespace plot {

namespace {

// Device coordinates a hair past a whole pixel, from rounding in the ratio, count as on it.
constexpr qreal kTolerance = 1e-6;

// The device pixel whose top-left corner a point is on or just after.
QPoint pixelAt(QPointF device) {
    return {int(std::floor(device.x() + kTolerance)), int(std::floor(device.y() + kTolerance))};
}

}  // namespace

PlotSurface::PlotSurface(const QRect& geometry, QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setGeometry(geometry);
    setFocusPolicy(Qt::StrongFocus);
    // paintEvent covers every pixel itself: the image inside, the frame around it.
    setAttribute(Qt::WA_OpaquePaintEvent);

    const QSize logical = contentsRect().size();
    userRect_ = {0.0f, 0.0f, float(logical.width()), float(logical.height())};
    redraw(devicePixelRatioF());
}

void PlotSurface::scale(float left, float top, float right, float bottom) {
    userRect_ = {left, top, right, bottom};
    mapUserRect();
}

void PlotSurface::mapUserRect() {
    mapping_ = PixelMapping(userRect_.left, userRect_.top, userRect_.right, userRect_.bottom,
                            image_.width(), image_.height());
    memo_.forget();
}

const PixelBuffer& PlotSurface::pixels() {
    if (pixels_.bits == nullptr) {
        pixels_ = PixelBuffer::of(image_);
    }
    return pixels_;
}

void PlotSurface::rasterise(std::span<const Segment> segments) {
    memo_.draw(pixels(), mapping_, segments, dirty_);
}

void PlotSurface::line(float x1, float y1, float x2, float y2, QRgb colour) {
    dirty_.add(drawLine(pixels(), mapping_.toPixel(x1, y1), mapping_.toPixel(x2, y2), colour));
    const Segment segment{x1, y1, x2, y2, colour};
    if (std::find(content_.lines.begin(), content_.lines.end(), segment) == content_.lines.end()) {
        content_.lines.push_back(segment);
    }
}

void PlotSurface::draw(const Frame& frame, std::span<const Segment> segments) {
    rasterise(segments);
    content_.frames.push_back(frame);
}

void PlotSurface::erase(const Frame& frame, std::span<const Segment> segments) {
    rasterise(segments);
    // Cleared since it was drawn, the frame is no longer there to take off.
    const auto drawn = std::find(content_.frames.rbegin(), content_.frames.rend(), frame);
    if (drawn != content_.frames.rend()) {
        content_.frames.erase(std::next(drawn).base());
    }
}

void PlotSurface::clear() {
    pixels_ = {};
    image_.fill(kWhite);
    content_ = {};
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

bool PlotSurface::event(QEvent* event) {
    // Sent when the window moves to another screen, perhaps of another pixel ratio.
    if (event->type() == QEvent::ScreenChangeInternal) {
        followPixelRatio();
    }
    return QFrame::event(event);
}

void PlotSurface::followPixelRatio() {
    const qreal ratio = devicePixelRatioF();
    if (ratio != image_.devicePixelRatio()) {
        redraw(ratio);
    }
}

// The device pixels that the area inside the frame touches, in the window's backing store. The
// widget may start between two device pixels: the partly covered ones belong to the image too,
// and the frame, painted over it, takes what it covers of them.
QRect PlotSurface::deviceRect(qreal ratio) const {
    const QRectF inside(QPointF(mapTo(window(), contentsRect().topLeft())),
                        QSizeF(contentsRect().size()));
    const QPoint topLeft = pixelAt(inside.topLeft() * ratio);
    const QPoint end =
        pixelAt(inside.bottomRight() * ratio - QPointF(2 * kTolerance, 2 * kTolerance)) +
        QPoint(1, 1);
    return {topLeft, QSize(end.x() - topLeft.x(), end.y() - topLeft.y())};
}

// A new white image at the ratio, with the content drawn on it again as it was first drawn.
void PlotSurface::redraw(qreal ratio) {
    image_ = QImage(deviceRect(ratio).size(), QImage::Format_RGB32);
    image_.setDevicePixelRatio(ratio);
    image_.fill(kWhite);
    pixels_ = {};
    dirty_ = {};
    mapUserRect();

    const Content content = std::exchange(content_, {});
    for (const Segment& s : content.lines) {
        line(s.x1, s.y1, s.x2, s.y2, s.colour);
    }
    for (const Frame& frame : content.frames) {
        TraceState trace = frame.from;
        sweep(*this, frame, SweepMode::Draw, trace);
    }
    flush();
    update();
}

// The widget rectangle that shows the image pixels, with a pixel to spare for the rounding of
// fractional ratios.
QRect PlotSurface::toWidget(const QRect& imageRect) const {
    const qreal ratio = image_.devicePixelRatio();
    const int left = int(std::floor(imageRect.left() / ratio));
    const int top = int(std::floor(imageRect.top() / ratio));
    const int right = int(std::ceil((imageRect.right() + 1) / ratio));
    const int bottom = int(std::ceil((imageRect.bottom() + 1) / ratio));
    return QRect(left, top, right - left, bottom - top)
        .translated(contentsRect().topLeft())
        .adjusted(-1, -1, 1, 1);
}

void PlotSurface::paintEvent(QPaintEvent* event) {
    followPixelRatio();
    QPainter painter(this);
    // Away from the frame only the image needs painting; near it, the frame goes over the image.
    const bool nearFrame = !contentsRect().adjusted(1, 1, -1, -1).contains(event->rect());
    if (nearFrame) {
        painter.fillRect(rect(), palette().window());
        // The style draws the frame along the widget's edge. At fractional ratios it may leave
        // device pixels on its inner side unpainted: they belong to the plot, so they are white.
        const qreal half = frameWidth() / 2.0;
        painter.fillRect(QRectF(contentsRect()).adjusted(-half, -half, half, half),
                         QColor::fromRgb(kWhite));
    }
    drawImage(painter, event->rect());
    if (nearFrame) {
        drawFrame(&painter);
    }
}

// Draws the image one to one onto whole device pixels, so that its lines stay one device pixel
// wide and pure in colour at any ratio.
void PlotSurface::drawImage(QPainter& painter, const QRect& exposed) const {
    const QTransform toDevice = painter.deviceTransform();
    const QPoint origin = pixelAt(toDevice.map(QPointF(contentsRect().topLeft())));
    const QRect target =
        toDevice.mapRect(QRectF(exposed)).toAlignedRect() & QRect(origin, image_.size());
    if (target.isEmpty()) {
        return;
    }
    painter.save();
    painter.setWorldTransform(toDevice.inverted());
    // Source and target in pixels, of the same size: the image's own ratio plays no part.
    painter.drawImage(QRectF(target), image_, QRectF(target.translated(-origin)));
    painter.restore();
}

}  // namespace plot
