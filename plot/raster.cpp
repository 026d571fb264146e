#include "raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace plot {

namespace {

// Beyond this many pixels from the origin the end points are first clipped in floating point,
// which keeps every integer below well inside 64 bits.
constexpr double kExactRange = 1 << 24;

struct Span {
    double x0, y0, x1, y1;
};

// Liang-Barsky clipping of a segment to the box [lo, hi]; false when nothing of it is inside.
bool clipTo(Span& s, double loX, double loY, double hiX, double hiY) {
    // Worked in halves, which is exact, so that end points further apart than the double range
    // still give finite differences.
    const double dx = s.x1 / 2 - s.x0 / 2;
    const double dy = s.y1 / 2 - s.y0 / 2;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {(s.x0 - loX) / 2, (hiX - s.x0) / 2, (s.y0 - loY) / 2, (hiY - s.y0) / 2};
    const double side[4] = {loX, hiX, loY, hiY};
    double enter = 0.0;
    double leave = 1.0;
    int enterSide = -1;
    int leaveSide = -1;
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) {
                return false;
            }
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0.0 && r > enter) {
            enter = r;
            enterSide = i;
        } else if (p[i] > 0.0 && r < leave) {
            leave = r;
            leaveSide = i;
        }
    }
    if (enter > leave) {
        return false;
    }
    // An end the box cuts off goes exactly onto the side that cuts it, and only its other
    // coordinate is interpolated: interpolating both, an end many orders of magnitude away
    // swamps the other end's coordinates, and a line across the image shrinks to a point.
    const auto cut = [&](double t, int i, double& x, double& y) {
        if (i >= 0) {
            const double onSide = side[i];
            x = i < 2 ? onSide : 2 * (s.x0 / 2 + t * dx);
            y = i < 2 ? 2 * (s.y0 / 2 + t * dy) : onSide;
        }
    };
    Span clipped = s;
    cut(enter, enterSide, clipped.x0, clipped.y0);
    cut(leave, leaveSide, clipped.x1, clipped.y1);
    // Rounding can still leave an end outside: by a little, or by any amount when both
    // coordinates span many orders of magnitude.
    s = {std::clamp(clipped.x0, loX, hiX), std::clamp(clipped.y0, loY, hiY),
         std::clamp(clipped.x1, loX, hiX), std::clamp(clipped.y1, loY, hiY)};
    return true;
}

// Walks the pixels of the line from pixel (x0, y0) to pixel (x1, y1) that lie inside the buffer,
// handing each pixel's offset to `plot`, and returns the smallest rectangle they lie in.
template <typename Plot>
QRect walkLine(const PixelBuffer& buffer, Span s, Plot&& plot) {
    const int width = buffer.width;
    const int height = buffer.height;
    const auto within = [](double c, int limit) { return c >= 0.0 && c < limit; };  // NaN: false
    const bool clipped = !(within(s.x0, width) && within(s.y0, height) && within(s.x1, width) &&
                           within(s.y1, height));
    if (clipped) {
        if (!(std::isfinite(s.x0) && std::isfinite(s.y0) && std::isfinite(s.x1) &&
              std::isfinite(s.y1)) ||
            width == 0 || height == 0) {
            return {};
        }
        const auto far = [](double c) { return std::abs(c) > kExactRange; };
        if (far(s.x0) || far(s.y0) || far(s.x1) || far(s.y1)) {
            if (!clipTo(s, -1.0, -1.0, width, height)) {
                return {};
            }
            s = {PixelMapping::fastFloor(s.x0), PixelMapping::fastFloor(s.y0),
                 PixelMapping::fastFloor(s.x1), PixelMapping::fastFloor(s.y1)};
        }
    }

    // Walk the major axis a; the minor axis b follows b0 + round-half-up(i * minor / major),
    // kept exact with an integer remainder.
    const auto x0 = static_cast<std::int64_t>(s.x0);
    const auto y0 = static_cast<std::int64_t>(s.y0);
    const auto x1 = static_cast<std::int64_t>(s.x1);
    const auto y1 = static_cast<std::int64_t>(s.y1);
    const std::int64_t adx = std::abs(x1 - x0);
    const std::int64_t ady = std::abs(y1 - y0);
    const bool xMajor = adx >= ady;
    const std::int64_t a0 = xMajor ? x0 : y0;
    const std::int64_t b0 = xMajor ? y0 : x0;
    const std::int64_t sa = (xMajor ? x1 - x0 : y1 - y0) < 0 ? -1 : 1;
    const std::int64_t sb = (xMajor ? y1 - y0 : x1 - x0) < 0 ? -1 : 1;
    const std::int64_t major = xMajor ? adx : ady;
    const std::int64_t minor = xMajor ? ady : adx;
    const std::int64_t twoMajor = 2 * std::max<std::int64_t>(major, 1);
    const std::int64_t twoMinor = 2 * minor;
    // The minor steps taken in the first i steps of the walk.
    const auto minorSteps = [&](std::int64_t i) { return (2 * i * minor + major) / twoMajor; };

    std::int64_t first = 0;
    std::int64_t last = major;
    QRect touched(QPoint(int(std::min(x0, x1)), int(std::min(y0, y1))),
                  QPoint(int(std::max(x0, x1)), int(std::max(y0, y1))));
    if (clipped) {
        // Only the steps inside the image are walked: first those whose a is inside...
        const std::int64_t limitA = xMajor ? width : height;
        const std::int64_t limitB = xMajor ? height : width;
        first = std::max<std::int64_t>(0, sa > 0 ? -a0 : a0 - (limitA - 1));
        last = std::min<std::int64_t>(major, sa > 0 ? limitA - 1 - a0 : a0);
        if (first > last) {
            return {};
        }
        // An unclipped end is exactly the end point, without the division.
        const std::int64_t bFirst = b0 + sb * minorSteps(first);
        const std::int64_t bLast = last == major ? (xMajor ? y1 : x1) : b0 + sb * minorSteps(last);
        const std::int64_t bLo = std::max<std::int64_t>(std::min(bFirst, bLast), 0);
        const std::int64_t bHi = std::min<std::int64_t>(std::max(bFirst, bLast), limitB - 1);
        if (bLo > bHi) {
            return {};
        }
        // ...then, as b moves one way in single steps, those whose b is inside too: from the first
        // step that has taken stepsIn minor steps to the last before stepsOut + 1.
        if (minor > 0) {
            const std::int64_t stepsIn = sb > 0 ? bLo - b0 : b0 - bHi;
            const std::int64_t stepsOut = sb > 0 ? bHi - b0 : b0 - bLo;
            if (stepsIn > 0) {
                first = std::max(first, (stepsIn * twoMajor - major + twoMinor - 1) / twoMinor);
            }
            last = std::min(last, ((stepsOut + 1) * twoMajor - major - 1) / twoMinor);
        }
        const std::int64_t aFirst = a0 + sa * first;
        const std::int64_t aLast = a0 + sa * last;
        const QPoint aRange(int(std::min(aFirst, aLast)), int(std::max(aFirst, aLast)));
        touched = xMajor ? QRect(QPoint(aRange.x(), int(bLo)), QPoint(aRange.y(), int(bHi)))
                         : QRect(QPoint(int(bLo), aRange.x()), QPoint(int(bHi), aRange.y()));
    }

    std::int64_t b = b0;
    std::int64_t remainder = major;
    if (first > 0) {
        const std::int64_t numerator = 2 * first * minor + major;
        b += sb * (numerator / twoMajor);
        remainder = numerator % twoMajor;
    }
    const std::int64_t strideA = xMajor ? 1 : buffer.stride;
    const std::int64_t strideB = xMajor ? buffer.stride : 1;
    const std::int64_t stepA = sa * strideA;
    const std::int64_t stepB = sb * strideB;
    std::int64_t offset = (a0 + sa * first) * strideA + b * strideB;
    // The minor step is taken without a branch, which its slope would mispredict.
    for (std::int64_t i = first; i <= last; ++i) {
        plot(offset);
        offset += stepA;
        remainder += twoMinor;
        const std::int64_t carry = remainder >= twoMajor ? 1 : 0;
        remainder -= carry * twoMajor;
        offset += carry * stepB;
    }
    return touched;
}

}  // namespace

PixelBuffer PixelBuffer::of(QImage& image) {
    return {reinterpret_cast<QRgb*>(image.bits()), image.width(), image.height(),
            image.bytesPerLine() / static_cast<std::int64_t>(sizeof(QRgb))};
}

QRect drawLine(const PixelBuffer& buffer, QPointF from, QPointF to, QRgb colour) {
    return walkLine(buffer, {from.x(), from.y(), to.x(), to.y()},
                    [&](std::int64_t offset) { buffer.bits[offset] = colour; });
}

QRect drawLine(QImage& image, QPointF from, QPointF to, QRgb colour) {
    return drawLine(PixelBuffer::of(image), from, to, colour);
}

void LineMemo::draw(const PixelBuffer& buffer, const PixelMapping& mapping,
                    std::span<const Segment> segments, std::vector<std::uint32_t>& written) {
    if (slots_.size() < segments.size()) {
        slots_.resize(segments.size());
    }
    QRgb* const bits = buffer.bits;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const Segment& s = segments[i];
        Slot& slot = slots_[i];
        if (!slot.remembers(s)) {
            const Span pixels{mapping.column(s.x1), mapping.row(s.y1), mapping.column(s.x2),
                              mapping.row(s.y2)};
            std::uint32_t count = 0;
            walkLine(buffer, pixels, [&](std::int64_t offset) {
                bits[offset] = s.colour;
                written.push_back(std::uint32_t(offset));
                if (count < kMaxPixels) {
                    slot.offsets[count] = std::uint32_t(offset);
                }
                ++count;
            });
            slot.count = count;
            slot.x1 = s.x1;
            slot.y1 = s.y1;
            slot.x2 = s.x2;
            slot.y2 = s.y2;
        } else {
            for (std::uint32_t j = 0; j < slot.count; ++j) {
                bits[slot.offsets[j]] = s.colour;
            }
            written.insert(written.end(), slot.offsets.begin(), slot.offsets.begin() + slot.count);
        }
    }
}

}  // namespace plot
