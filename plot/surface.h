// What the animation draws on: a user coordinate system, one-pixel segments in a colour, the
// sweeps that draw and erase a frame, and clearing, shown at each flush. The plot's picture
// implements it on an image; tests implement it as a recorder.
#pragma once

#include "frame.h"

#include <QRgb>

#include <span>

namespace plot {

// A segment between two points in user coordinates, in a colour.
struct Segment {
    float x1, y1, x2, y2;
    QRgb colour;

    bool operator==(const Segment&) const = default;
};

class Surface {
public:
    virtual ~Surface() = default;

    // Maps the left edge to x = left, the top edge to y = top, and so on.
    virtual void scale(float left, float top, float right, float bottom) = 0;
    // A solid segment one pixel wide between two points in user coordinates, both ends included.
    // It stays until the surface is cleared, as the baseline does.
    virtual void line(float x1, float y1, float x2, float y2, QRgb colour) = 0;
    // The segments of a frame's draw sweep, one after the other, as line() would draw them.
    // `frame` is what the sweep made them from: a surface that must be able to draw what is on
    // it again keeps it.
    virtual void draw(const Frame& frame, std::span<const Segment> segments) = 0;
    // The segments of the sweep that erases `frame` again by retracing it in white.
    virtual void erase(const Frame& frame, std::span<const Segment> segments) = 0;
    // Back to the white background; the coordinate system stays.
    virtual void clear() = 0;
    // Shows what was drawn since the last flush: drawing is batched until then.
    virtual void flush() = 0;
};

}  // namespace plot
