// The plot area of the window: a framed widget that draws into an image of its own, so covering
// or minimising the window never loses the plot. What is on the plot is also kept as data, so
// that the image can be made again, line for line, at the pixel ratio of any screen.
#pragma once

#include "raster.h"
#include "surface.h"

#include <QFrame>
#include <QImage>

#include <vector>

namespace plot {

class PlotSurface final : public QFrame, public Surface {
    Q_OBJECT

public:
    // The geometry is fixed for the widget's life.
    PlotSurface(const QRect& geometry, QWidget* parent);

    void scale(float left, float top, float right, float bottom) override;
    void line(float x1, float y1, float x2, float y2, QRgb colour) override;
    void draw(const Frame& frame, std::span<const Segment> segments) override;
    void erase(const Frame& frame, std::span<const Segment> segments) override;
    void clear() override;
    void flush() override;

    // What has been drawn, one image pixel to a device pixel at the ratio of the widget's
    // screen. A copy of it taken in the middle of a sweep may see the rest of the sweep; one
    // taken after a flush never does.
    const QImage& image() const { return image_; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // What is on the plot: the lines drawn since it was last cleared (the baseline), each once
    // however often it was drawn, and the frames drawn and not yet erased or cleared, oldest
    // first.
    struct Content {
        std::vector<Segment> lines;
        std::vector<Frame> frames;
    };

    void mapUserRect();
    void followPixelRatio();
    void redraw(qreal ratio);
    void rasterise(std::span<const Segment> segments);
    const PixelBuffer& pixels();
    QRect deviceRect(qreal ratio) const;
    QRect toWidget(const QRect& imageRect) const;
    void drawImage(QPainter& painter, const QRect& exposed) const;

    // The user coordinates of the edges, as scale() last set them.
    struct UserRect {
        float left = 0.0f;
        float top = 0.0f;
        float right = 1.0f;
        float bottom = 1.0f;
    };

    Content content_;
    UserRect userRect_;
    QImage image_;
    PixelMapping mapping_;
    // The image's pixels, taken afresh for each batch of lines, so that a copy of the image made
    // between batches is detached from before it would be drawn on.
    PixelBuffer pixels_;
    PixelBounds dirty_;  // image pixels drawn since the last flush
    LineMemo memo_;
};

}  // namespace plot
