#include "plot_surface.h"

#include "palette.h"

#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace plot {

namespace {

// Device coordinates a hair past a whole pixel, from rounding in the ratio, count as on it.
constexpr qreal kTolerance = 1e-6;

// The device pixel whose top-left corner a point is on or just after.
QPoint pixelAt(QPointF device) {
    return {int(std::floor(device.x() + kTolerance)), int(std::floor(device.y() + kTolerance))};
}

}  // namespace

PictureView::PictureView(const QRect& geometry, QWidget* parent) : QWidget(parent) {
    setGeometry(geometry);
    // Every pixel of it is the picture's: what lies behind is never painted for it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Clicks go to the control around it, which takes the focus.
    setAttribute(Qt::WA_TransparentForMouseEvents);

    picture_.scale(0.0f, 0.0f, float(width()), float(height()));
    const qreal ratio = devicePixelRatioF();
    picture_.resize(deviceRect(ratio).size(), ratio);
    picture_.setPresenter([this](const QRect& changed) { repaint(toWidget(changed)); });
}

bool PictureView::event(QEvent* event) {
    // Sent when the window moves to another screen, perhaps of another pixel ratio.
    if (event->type() == QEvent::ScreenChangeInternal) {
        followPixelRatio();
    }
    return QWidget::event(event);
}

void PictureView::followPixelRatio() {
    const qreal ratio = devicePixelRatioF();
    if (ratio != image().devicePixelRatio()) {
        picture_.resize(deviceRect(ratio).size(), ratio);
        update();
    }
}

// The device pixels of the window's backing store that the widget touches. It may start or end
// between two device pixels: the partly covered ones belong to the picture too.
QRect PictureView::deviceRect(qreal ratio) const {
    const QRectF inWindow(QPointF(mapTo(window(), QPoint(0, 0))), QSizeF(size()));
    const QPoint topLeft = pixelAt(inWindow.topLeft() * ratio);
    const QPoint end =
        pixelAt(inWindow.bottomRight() * ratio - QPointF(2 * kTolerance, 2 * kTolerance)) +
        QPoint(1, 1);
    return {topLeft, QSize(end.x() - topLeft.x(), end.y() - topLeft.y())};
}

// The part of the widget that shows the picture's pixels, with a pixel to spare for the rounding
// of fractional ratios.
QRect PictureView::toWidget(const QRect& imageRect) const {
    const qreal ratio = image().devicePixelRatio();
    const int left = int(std::floor(imageRect.left() / ratio));
    const int top = int(std::floor(imageRect.top() / ratio));
    const int right = int(std::ceil((imageRect.right() + 1) / ratio));
    const int bottom = int(std::ceil((imageRect.bottom() + 1) / ratio));
    return QRect(left, top, right - left, bottom - top).adjusted(-1, -1, 1, 1) & rect();
}

// Draws the picture one to one onto whole device pixels, so that its lines stay one device pixel
// wide and pure in colour at any ratio.
void PictureView::paintEvent(QPaintEvent* event) {
    followPixelRatio();
    QPainter painter(this);
    const QTransform toDevice = painter.deviceTransform();
    const QPoint origin = pixelAt(toDevice.map(QPointF(0, 0)));
    const QRect target =
        toDevice.mapRect(QRectF(event->rect())).toAlignedRect() & QRect(origin, image().size());
    painter.setWorldTransform(toDevice.inverted());
    painter.drawImage(target, image(), target.translated(-origin));
}

PlotSurface::PlotSurface(const QRect& geometry, QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setGeometry(geometry);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    view_ = new PictureView(contentsRect(), this);
}

void PlotSurface::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    // The style draws the frame along the widget's edge. At fractional ratios it may leave device
    // pixels on its inner side unpainted, which the view may only partly cover: they belong to
    // the plot, so they are white.
    const qreal half = frameWidth() / 2.0;
    painter.fillRect(QRectF(contentsRect()).adjusted(-half, -half, half, half),
                     QColor::fromRgb(kWhite));
    drawFrame(&painter);
}

}  // namespace plot
