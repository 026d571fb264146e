// Mapping from user coordinates to device pixels, and exact one-pixel line drawing into an image.
#pragma once

#include <QImage>
#include <QPointF>
#include <QRect>

namespace plot {

// An affine map of a user rectangle onto an image of width x height pixels. A point maps to the
// pixel that contains it: every segment and the baseline go through this one rule.
class PixelMapping {
public:
    PixelMapping() = default;
    PixelMapping(double left, double top, double right, double bottom, int width, int height)
        : left_(left), top_(top), sx_(width / (right - left)), sy_(height / (bottom - top)) {}

    // The containing pixel's corner, as doubles so that far-away points stay representable.
    QPointF toPixel(double x, double y) const;

private:
    double left_ = 0.0;
    double top_ = 0.0;
    double sx_ = 1.0;
    double sy_ = 1.0;
};

// Draws the pixels of the line from pixel `from` to pixel `to`, both ends included, clipped to
// the image (Format_RGB32), and returns the rectangle of pixels touched. The same two end points
// always give the same pixels, so drawing a line again in another colour replaces it exactly.
// Hand-written because QPainter's cost per call is far above that of the few pixels each of a
// frame's thousands of tiny segments covers.
QRect drawLine(QImage& image, QPointF from, QPointF to, QRgb colour);

}  // namespace plot
