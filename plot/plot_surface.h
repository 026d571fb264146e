// The plot area of the window: a framed widget that keeps everything drawn on it in an image of
// its own, so covering or minimising the window never loses the plot.
#pragma once

#include "raster.h"
#include "surface.h"

#include <QFrame>
#include <QImage>

namespace plot {

class PlotSurface : public QFrame, public Surface {
    Q_OBJECT

public:
    // The geometry is fixed for the widget's life: the image is made once, at the screen's
    // device pixel ratio, to cover the area inside the frame.
    PlotSurface(const QRect& geometry, QWidget* parent);

    void scale(float left, float top, float right, float bottom) override;
    void line(float x1, float y1, float x2, float y2, QRgb colour) override;
    void lines(std::span<const Segment> segments) override;
    void clear() override;
    void flush() override;

    // What has been drawn. A copy of it taken in the middle of a sweep may see the rest of the
    // sweep; one taken after a flush never does.
    const QImage& image() const { return image_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const PixelBuffer& pixels();
    QRect toWidget(const QRect& imageRect) const;

    QImage image_;
    PixelMapping mapping_;
    // The image's pixels, taken afresh for each batch of lines, so that a copy of the image made
    // between batches is detached from before it would be drawn on.
    PixelBuffer pixels_;
    PixelBounds dirty_;  // image pixels drawn since the last flush
    LineMemo memo_;
};

}  // namespace plot
