#include "raster.h"

#include <algorithm>
#include <cstdlib>

namespace plot {

namespace {

struct Span {
    int x0, y0, x1, y1;
};

// Walks the pixels of the line from pixel (x0, y0) to pixel (x1, y1) that lie inside the buffer,
// handing each pixel's offset to `plot`, and returns the smallest rectangle they lie in. The end
// points are near the buffer (see drawLine), so every step below is exact in 64 bits.
template <typename Plot>
QRect walkLine(const PixelBuffer& buffer, Span s, Plot&& plot) {
    const int width = buffer.width;
    const int height = buffer.height;
    // Unsigned, so that a coordinate before the first pixel wraps round to beyond the last.
    const auto within = [](int c, int limit) { return unsigned(c) < unsigned(limit); };
    const bool clipped = !(within(s.x0, width) && within(s.y0, height) && within(s.x1, width) &&
                           within(s.y1, height));

    // Walk the major axis a; the minor axis b follows b0 + round-half-up(i * minor / major),
    // kept exact with an integer remainder.
    const std::int64_t x0 = s.x0;
    const std::int64_t y0 = s.y0;
    const std::int64_t x1 = s.x1;
    const std::int64_t y1 = s.y1;
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

QRect drawLine(QImage& image, QPoint from, QPoint to, QRgb colour) {
    const PixelBuffer buffer = PixelBuffer::of(image);
    return walkLine(buffer, {from.x(), from.y(), to.x(), to.y()},
                    [&](std::int64_t offset) { buffer.bits[offset] = colour; });
}

void drawLine(const PixelBuffer& buffer, PixelJournal& journal, QPoint from, QPoint to,
              QRgb colour) {
    walkLine(buffer, {from.x(), from.y(), to.x(), to.y()},
             [&](std::int64_t offset) { journal.write(buffer, std::uint32_t(offset), colour); });
}

QRect PixelJournal::settle(const PixelBuffer& buffer) {
    // The offsets' extremes give the rows; the columns need each changed pixel's own.
    std::uint32_t first = UINT32_MAX;
    std::uint32_t last = 0;
    auto left = std::uint32_t(buffer.width);
    std::uint32_t right = 0;
    const auto stride = std::uint32_t(buffer.stride);
    for (const Entry* entry = entries_.get(); entry != end_; ++entry) {
        const QRgb now = buffer.bits[entry->offset] | ~RGB_MASK;
        buffer.bits[entry->offset] = now;
        if (now != entry->before) {
            const std::uint32_t x = entry->offset % stride;
            first = std::min(first, entry->offset);
            last = std::max(last, entry->offset);
            left = std::min(left, x);
            right = std::max(right, x);
        }
    }
    end_ = entries_.get();
    if (first > last) {
        return {};
    }
    return {QPoint(int(left), int(first / stride)), QPoint(int(right), int(last / stride))};
}

void BatchPixels::draw(const PixelBuffer& buffer, PixelJournal& journal,
                       const PixelMapping& mapping, std::span<const Segment> segments) {
    ends_.clear();
    std::size_t count = 0;
    for (const Segment& s : segments) {
        const Span pixels{mapping.column(s.x1), mapping.row(s.y1), mapping.column(s.x2),
                          mapping.row(s.y2)};
        // Room for every pixel of the line, clipped or not.
        const auto most = std::size_t(
            std::max(std::abs(pixels.x1 - pixels.x0), std::abs(pixels.y1 - pixels.y0)) + 1);
        if (count + most > offsets_.size()) {
            offsets_.resize(std::max(2 * offsets_.size(), count + most));
        }
        std::uint32_t* out = offsets_.data() + count;
        walkLine(buffer, pixels, [&](std::int64_t offset) {
            journal.write(buffer, std::uint32_t(offset), s.colour);
            *out++ = std::uint32_t(offset);
        });
        count = std::size_t(out - offsets_.data());
        ends_.push_back(std::uint32_t(count));
    }
    count_ = count;
}

void BatchPixels::redraw(const PixelBuffer& buffer, PixelJournal& journal,
                         std::span<const Segment> segments) const {
    // When the next tick comes, the pixels of the frame before are seldom still in the cache:
    // asking for them this far ahead lets the memory fetch several rows of them at once.
    constexpr std::size_t kAhead = 64;
    const std::size_t prefetchEnd = count_ > kAhead ? count_ - kAhead : 0;
    std::uint32_t begin = 0;
    for (std::size_t i = 0; i < ends_.size(); ++i) {
        const QRgb colour = segments[i].colour;
        for (std::uint32_t j = begin; j < ends_[i]; ++j) {
            if (j < prefetchEnd) {
                __builtin_prefetch(buffer.bits + offsets_[j + kAhead], 1);
            }
            journal.write(buffer, offsets_[j], colour);
        }
        begin = ends_[i];
    }
}

}  // namespace plot
