// The drawing operations that the plot needs from a surface: a user coordinate system,
// one-pixel segments in a colour, and clearing. The window's plot area implements them on an
// image; tests implement them as a recorder.
#pragma once

#include <QRgb>

#include <span>

namespace plot {

// A segment between two points in user coordinates, in a colour.
struct Segment {
    float x1, y1, x2, y2;
    QRgb colour;
};

class Surface {
public:
    virtual ~Surface() = default;

    // Maps the left edge to x = left, the top edge to y = top, and so on.
    virtual void scale(float left, float top, float right, float bottom) = 0;
    // A solid segment one pixel wide between two points in user coordinates, both ends included.
    virtual void line(float x1, float y1, float x2, float y2, QRgb colour) = 0;
    // The segments one after the other, as line() would draw them.
    virtual void lines(std::span<const Segment> segments) {
        for (const Segment& s : segments) {
            line(s.x1, s.y1, s.x2, s.y2, s.colour);
        }
    }
    // Back to the white background; the coordinate system stays.
    virtual void clear() = 0;
    // Shows what was drawn since the last flush: drawing is batched until then.
    virtual void flush() = 0;
};

}  // namespace plot
