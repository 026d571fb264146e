// The plot area of the window: a framed widget showing the plot's picture, which it keeps at the
// pixel ratio of the widget's screen. The picture is the plot's own, so covering or minimising
// the window never loses it.
#pragma once

#include "plot_picture.h"

#include <QFrame>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace plot {

class PlotSurface final : public QFrame {
    Q_OBJECT

public:
    // The geometry is fixed for the widget's life.
    PlotSurface(const QRect& geometry, QWidget* parent);

    // What the plot is drawn on; each flush of it is shown at once.
    PlotPicture& picture() { return picture_; }
    const QImage& image() const { return picture_.image(); }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // False where the picture is already at the ratio of the widget's screen.
    bool followPixelRatio();
    void present(std::span<const std::uint32_t> offsets, const QRect& changed);
    static QImage* rgb32(QPaintDevice* device);
    bool holdsLastPaint(const QImage* target);
    bool paintChanges(QImage& target);
    void paintWhole(QPainter& painter, const QRect& exposed);
    void paintUnderFrame(QPainter& painter) const;
    void findClearOfFrame(QPainter& painter, const QImage& target);
    QRect awayFromFrame() const;
    int frameMargin() const;
    QRect deviceRect(qreal ratio) const;
    QRect toWidget(const QRect& imageRect) const;
    QPoint imageOrigin(const QPainter& painter) const;
    void drawImage(QPainter& painter, const QRect& exposed) const;

    PlotPicture picture_;
    // The pixels that the picture's last flush changed, while the repaint that shows them runs.
    struct Changes {
        std::span<const std::uint32_t> offsets;
        QRect widgetRect;  // the part of the widget that shows them
    };
    std::optional<Changes> changes_;
    const uchar* painted_ = nullptr;  // the pixels of the device the last paint went into
    // The image's pixels that the frame, and what it is painted over, left as they were in the
    // last whole paint, one to a pixel, row by row; near the frame, none until one is found.
    std::vector<bool> clearOfFrame_;
};

}  // namespace plot
