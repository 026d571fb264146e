#include "raster.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace plot {

namespace {

// Beyond this many pixels from the origin the end points are first clipped in floating point,
// which keeps every integer below well inside 64 bits.
constexpr double kExactRange = 1 << 24;

struct Segment {
    double x0, y0, x1, y1;
};

// Liang-Barsky clipping of a segment to the box [lo, hi]; false when nothing of it is inside.
bool clipTo(Segment& s, double loX, double loY, double hiX, double hiY) {
    // Worked in halves, which is exact, so that end points further apart than the double range
    // still give finite differences.
    const double dx = s.x1 / 2 - s.x0 / 2;
    const double dy = s.y1 / 2 - s.y0 / 2;
    double enter = 0.0;
    double leave = 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {(s.x0 - loX) / 2, (hiX - s.x0) / 2, (s.y0 - loY) / 2, (hiY - s.y0) / 2};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) {
                return false;
            }
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0.0) {
            enter = std::max(enter, r);
        } else {
            leave = std::min(leave, r);
        }
    }
    if (enter > leave) {
        return false;
    }
    s = {2 * (s.x0 / 2 + enter * dx), 2 * (s.y0 / 2 + enter * dy), 2 * (s.x0 / 2 + leave * dx),
         2 * (s.y0 / 2 + leave * dy)};
    return true;
}

}  // namespace

QPointF PixelMapping::toPixel(double x, double y) const {
    return {std::floor((x - left_) * sx_), std::floor((y - top_) * sy_)};
}

QRect drawLine(QImage& image, QPointF from, QPointF to, QRgb colour) {
    const int width = image.width();
    const int height = image.height();
    Segment s{from.x(), from.y(), to.x(), to.y()};
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
        s = {std::floor(s.x0), std::floor(s.y0), std::floor(s.x1), std::floor(s.y1)};
    }

    // Walk the major axis a; the minor axis b follows b0 + round-half-up(i * dMinor / dMajor),
    // kept exact with an integer remainder. Only the part of the walk inside the image is visited.
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
    const std::int64_t limitA = xMajor ? width : height;
    const std::int64_t limitB = xMajor ? height : width;

    const std::int64_t first = std::max<std::int64_t>(0, sa > 0 ? -a0 : a0 - (limitA - 1));
    const std::int64_t last = std::min<std::int64_t>(major, sa > 0 ? limitA - 1 - a0 : a0);
    if (first > last) {
        return {};
    }

    auto* const bits = reinterpret_cast<QRgb*>(image.bits());
    const std::int64_t stride = image.bytesPerLine() / static_cast<std::int64_t>(sizeof(QRgb));
    const std::int64_t strideA = xMajor ? 1 : stride;
    const std::int64_t strideB = xMajor ? stride : 1;

    const std::int64_t twoMajor = 2 * std::max<std::int64_t>(major, 1);
    const std::int64_t twoMinor = 2 * minor;
    const std::int64_t numerator = 2 * first * minor + major;
    std::int64_t b = b0 + sb * (numerator / twoMajor);
    std::int64_t remainder = numerator % twoMajor;
    std::int64_t a = a0 + sa * first;

    std::int64_t bMin = limitB;
    std::int64_t bMax = -1;
    for (std::int64_t i = first; i <= last; ++i) {
        if (b >= 0 && b < limitB) {
            bits[a * strideA + b * strideB] = colour;
            bMin = std::min(bMin, b);
            bMax = std::max(bMax, b);
        }
        a += sa;
        remainder += twoMinor;
        if (remainder >= twoMajor) {
            remainder -= twoMajor;
            b += sb;
        }
    }
    if (bMax < 0) {
        return {};
    }
    const std::int64_t aFirst = a0 + sa * first;
    const std::int64_t aLast = a0 + sa * last;
    const auto aLo = static_cast<int>(std::min(aFirst, aLast));
    const auto aHi = static_cast<int>(std::max(aFirst, aLast));
    const auto bLo = static_cast<int>(bMin);
    const auto bHi = static_cast<int>(bMax);
    return xMajor ? QRect(QPoint(aLo, bLo), QPoint(aHi, bHi))
                  : QRect(QPoint(bLo, aLo), QPoint(bHi, aHi));
}

}  // namespace plot
