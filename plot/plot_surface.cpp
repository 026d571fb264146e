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

// The device pixels that a rectangle in device coordinates touches, the partly covered ones too.
QRect touchedPixels(const QRectF& device) {
    const QPoint topLeft = pixelAt(device.topLeft());
    const QPoint end =
        pixelAt(device.bottomRight() - QPointF(2 * kTolerance, 2 * kTolerance)) + QPoint(1, 1);
    return {topLeft, QSize(end.x() - topLeft.x(), end.y() - topLeft.y())};
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
    return touchedPixels(QRectF(inWindow.topLeft() * ratio, inWindow.size() * ratio));
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
    drawFrame(&painter);
    // The style's pen is centred on the widget's edge pixels. Its left and top lines cover the
    // outer half of the frame's width and leave the inner half to the plot; its right and bottom
    // lines reach as far into the view, which hides them, but would stand in those inner halves
    // at the top-right and bottom-left corners. So all from the left and top lines, which take
    // the device pixels centred on their inner edge, to the view's far edges is the plot's white.
    const QTransform toDevice = painter.deviceTransform();
    const qreal half = frameWidth() / 2.0;
    const QPoint pastLines = pixelAt(toDevice.map(QPointF(half, half)) + QPointF(0.5, 0.5));
    const QRect view = touchedPixels(toDevice.mapRect(QRectF(view_->geometry())));
    painter.setWorldTransform(toDevice.inverted());
    painter.fillRect(QRect(pastLines, view.bottomRight()), QColor::fromRgb(kWhite));
}

}  // namespace plot
