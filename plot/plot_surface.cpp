#include "plot_surface.h"

#include "palette.h"

#include <QBackingStore>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>

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
    picture_.scale(0.0f, 0.0f, float(logical.width()), float(logical.height()));
    const qreal ratio = devicePixelRatioF();
    picture_.resize(deviceRect(ratio).size(), ratio);
    picture_.setPresenter([this](std::span<const std::uint32_t> offsets, const QRect& changed) {
        present(offsets, changed);
    });
}

bool PlotSurface::event(QEvent* event) {
    // Sent when the window moves to another screen, perhaps of another pixel ratio.
    if (event->type() == QEvent::ScreenChangeInternal) {
        followPixelRatio();
    }
    return QFrame::event(event);
}

bool PlotSurface::followPixelRatio() {
    const qreal ratio = devicePixelRatioF();
    if (ratio == image().devicePixelRatio()) {
        return false;
    }
    picture_.resize(deviceRect(ratio).size(), ratio);
    clearOfFrame_.clear();
    update();
    return true;
}

// Shown at once, and only where the picture changed: one synchronous paint for each flush.
void PlotSurface::present(std::span<const std::uint32_t> offsets, const QRect& changed) {
    const QRect shown = toWidget(changed) & rect();
    changes_ = Changes{offsets, shown};
    repaint(shown);
    changes_.reset();
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

// The widget rectangle that shows the image pixels, with a pixel to spare for the rounding of
// fractional ratios.
QRect PlotSurface::toWidget(const QRect& imageRect) const {
    const qreal ratio = image().devicePixelRatio();
    const int left = int(std::floor(imageRect.left() / ratio));
    const int top = int(std::floor(imageRect.top() / ratio));
    const int right = int(std::ceil((imageRect.right() + 1) / ratio));
    const int bottom = int(std::ceil((imageRect.bottom() + 1) / ratio));
    return QRect(left, top, right - left, bottom - top)
        .translated(contentsRect().topLeft())
        .adjusted(-1, -1, 1, 1);
}

void PlotSurface::paintEvent(QPaintEvent* event) {
    if (followPixelRatio()) {
        changes_.reset();  // of the picture at the ratio before
    }
    const QRegion& exposed = event->region();
    // A flush's own paint, with nothing else to paint, writes only the pixels that changed,
    // straight into the backing store: without a painter, whose set-up would cost more than the
    // writes.
    if (changes_ && exposed == changes_->widgetRect) {
        QImage* const target = rgb32(backingStore()->paintDevice());
        if (holdsLastPaint(target) && paintChanges(*target)) {
            return;
        }
    }
    QPainter painter(this);
    QImage* const target = rgb32(painter.paintEngine()->paintDevice());
    holdsLastPaint(target);
    if (target != nullptr && exposed.contains(rect())) {
        findClearOfFrame(painter, *target);
    } else if (!awayFromFrame().contains(exposed.boundingRect())) {
        clearOfFrame_.clear();  // the frame painted again in part: what it leaves alone is unknown
    }
    paintWhole(painter, exposed.boundingRect());
}

// Paints the frame and what lies under it twice, with the image's place filled first in black
// and then in white, and notes which of the image's pixels near the frame came out as filled
// both times: those the frame leaves alone, whatever colour they hold. The whole paint after
// this covers both.
void PlotSurface::findClearOfFrame(QPainter& painter, const QImage& target) {
    const QSize size = image().size();
    const QPoint origin = imageOrigin(painter);
    if (!target.rect().contains(QRect(origin, size))) {
        clearOfFrame_.clear();
        return;
    }
    const int margin = frameMargin();
    clearOfFrame_.assign(std::size_t(size.width()) * std::size_t(size.height()), true);
    const QTransform toDevice = painter.deviceTransform();
    for (const QRgb fill : {qRgb(0, 0, 0), qRgb(255, 255, 255)}) {
        paintUnderFrame(painter);
        painter.save();
        painter.setWorldTransform(toDevice.inverted());
        painter.fillRect(QRect(origin, size), QColor::fromRgb(fill));
        painter.restore();
        drawFrame(&painter);
        for (int y = 0; y < size.height(); ++y) {
            const auto* const row =
                reinterpret_cast<const QRgb*>(target.constScanLine(origin.y() + y)) + origin.x();
            const bool edgeRow = y < margin || y >= size.height() - margin;
            for (int x = 0; x < size.width(); ++x) {
                if (!edgeRow && x == margin) {
                    x = size.width() - margin;  // past the middle of the row, away from the frame
                }
                if (row[x] != fill) {
                    clearOfFrame_[std::size_t(y) * std::size_t(size.width()) + std::size_t(x)] =
                        false;
                }
            }
        }
    }
}

// Notes the device that this paint goes into, and says whether it may hold the rest of the
// picture: only the buffer that this widget painted last can, where the backing store has more
// than one.
bool PlotSurface::holdsLastPaint(const QImage* target) {
    const uchar* const bits = target != nullptr ? target->constBits() : nullptr;
    return std::exchange(painted_, bits) == bits && bits != nullptr;
}

// Away from the frame only the image needs painting; near it, the frame goes over the image.
void PlotSurface::paintWhole(QPainter& painter, const QRect& exposed) {
    const bool nearFrame = !awayFromFrame().contains(exposed);
    if (nearFrame) {
        paintUnderFrame(painter);
    }
    drawImage(painter, exposed);
    if (nearFrame) {
        drawFrame(&painter);
    }
}

// What the frame is drawn over: the window's colour, and white on its inner side.
void PlotSurface::paintUnderFrame(QPainter& painter) const {
    painter.fillRect(rect(), palette().window());
    // The style draws the frame along the widget's edge. At fractional ratios it may leave device
    // pixels on its inner side unpainted: they belong to the plot, so they are white.
    const qreal half = frameWidth() / 2.0;
    painter.fillRect(QRectF(contentsRect()).adjusted(-half, -half, half, half),
                     QColor::fromRgb(kWhite));
}

// The widget pixels that nothing of the frame reaches: those one inside the contents.
QRect PlotSurface::awayFromFrame() const {
    return contentsRect().adjusted(1, 1, -1, -1);
}

// The image pixels within this many of its edges are those that the frame may cover, with a
// pixel to spare for the rounding of fractional ratios; the strips along the frame, one widget
// pixel inside the contents, cover them.
int PlotSurface::frameMargin() const {
    return int(std::ceil(image().devicePixelRatio())) + 1;
}

// Where the image's first pixel lies on the device the painter paints on.
QPoint PlotSurface::imageOrigin(const QPainter& painter) const {
    return pixelAt(painter.deviceTransform().map(QPointF(contentsRect().topLeft())));
}

// The device, where that is an RGB32 image, as a raster backing store's is.
QImage* PlotSurface::rgb32(QPaintDevice* device) {
    if (device == nullptr || device->devType() != QInternal::Image) {
        return nullptr;
    }
    auto* const pixels = static_cast<QImage*>(device);
    const bool rgb32 = pixels->format() == QImage::Format_RGB32 ||
                       pixels->format() == QImage::Format_ARGB32_Premultiplied;
    return rgb32 ? pixels : nullptr;
}

// Writes the changed pixels into the backing store's image, which already holds the rest of the
// picture from earlier paints; where some lie near the frame and the frame may cover them,
// paints the strips along it the whole way over them. False where the image does not fit in the
// target.
bool PlotSurface::paintChanges(QImage& target) {
    const QImage& source = image();
    const QPoint origin = deviceRect(source.devicePixelRatio()).topLeft();
    if (!target.rect().contains(QRect(origin, source.size()))) {
        return false;
    }
    const std::int64_t targetStride = target.bytesPerLine() / std::int64_t(sizeof(QRgb));
    auto* const to =
        reinterpret_cast<QRgb*>(target.bits()) + origin.y() * targetStride + origin.x();
    const auto* const from = reinterpret_cast<const QRgb*>(source.constBits());
    const auto sourceStride = std::uint32_t(source.bytesPerLine() / std::int64_t(sizeof(QRgb)));
    // A backing store that clears what it is about to repaint, as Wayland's does even when it
    // hands out the same buffer again, holds nothing of the picture there; what the window shows
    // is opaque, so a cleared pixel under the first change tells.
    const std::uint32_t first = changes_->offsets.front();
    if (qAlpha(to[(first / sourceStride) * targetStride + first % sourceStride]) != 0xff) {
        return false;
    }
    const auto margin = std::uint32_t(frameMargin());
    const auto width = std::uint32_t(source.width());
    const std::uint32_t innerWidth = width - 2 * margin;
    const std::uint32_t innerHeight = std::uint32_t(source.height()) - 2 * margin;
    bool underFrame = false;
    for (const std::uint32_t offset : changes_->offsets) {
        const std::uint32_t y = offset / sourceStride;
        const std::uint32_t x = offset % sourceStride;
        to[y * targetStride + x] = from[offset];
        // Unsigned, so that the pixels before the margin wrap round to above the inner size.
        if ((x - margin >= innerWidth) | (y - margin >= innerHeight)) {
            underFrame |= clearOfFrame_.empty() || !clearOfFrame_[y * width + x];
        }
    }
    if (underFrame) {
        // A few narrow strips at most, each painted on its own: a clip of several rectangles
        // would take the image through the painter's slow path.
        QPainter painter(this);
        for (const QRect& strip : QRegion(changes_->widgetRect) - awayFromFrame()) {
            painter.setClipRect(strip);
            paintWhole(painter, strip);
        }
    }
    return true;
}

// Draws the image one to one onto whole device pixels, so that its lines stay one device pixel
// wide and pure in colour at any ratio.
void PlotSurface::drawImage(QPainter& painter, const QRect& exposed) const {
    const QTransform toDevice = painter.deviceTransform();
    const QPoint origin = imageOrigin(painter);
    const QRect target =
        toDevice.mapRect(QRectF(exposed)).toAlignedRect() & QRect(origin, image().size());
    if (target.isEmpty()) {
        return;
    }
    painter.save();
    painter.setWorldTransform(toDevice.inverted());
    // Source and target in pixels, of the same size: the image's own ratio plays no part.
    painter.drawImage(QRectF(target), image(), QRectF(target.translated(-origin)));
    painter.restore();
}

}  // namespace plot
