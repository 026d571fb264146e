// Mapping from user coordinates to device pixels, and exact one-pixel line drawing into an image.
#pragma once

#include "surface.h"

#include <QImage>
#include <QPoint>
#include <QRect>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace plot {

// An affine map of a user rectangle onto an image of width x height pixels. A point maps to the
// pixel that contains it: every segment and the baseline go through this one rule.
class PixelMapping {
public:
    PixelMapping() = default;
    PixelMapping(double left, double top, double right, double bottom, int width, int height)
        : left_(left), top_(top), sx_(width / (right - left)), sy_(height / (bottom - top)) {}

    // The containing pixel's column and row.
    int column(double x) const { return floorToInt((x - left_) * sx_); }
    int row(double y) const { return floorToInt((y - top_) * sy_); }
    QPoint toPixel(double x, double y) const { return {column(x), row(y)}; }

    // std::floor is a library call on baseline x86-64. This is exact for the plot's coordinates,
    // which are bounded (see drawLine), as for any |v| below 2^31.
    static int floorToInt(double v) {
        const int i = static_cast<int>(v);
        return i - (v < static_cast<double>(i) ? 1 : 0);
    }

private:
    double left_ = 0.0;
    double top_ = 0.0;
    double sx_ = 1.0;
    double sy_ = 1.0;
};

// The pixels of an RGB32 image, for drawing many lines without going through QImage each time.
struct PixelBuffer {
    QRgb* bits = nullptr;
    int width = 0;
    int height = 0;
    std::int64_t stride = 0;  // in pixels

    static PixelBuffer of(QImage& image);
};

// The first write of each pixel of an RGB32 image since the journal was last settled, with the
// colour the pixel had before it: enough to tell afterwards which pixels a batch of writes
// changed, without a copy of the image from before. Until settled, a written pixel is marked by
// a clear alpha byte; every other pixel of an RGB32 image is opaque.
class PixelJournal {
public:
    // For images of at most this many pixels, each of which is journaled at most once between
    // settles. Room for them all is reserved, but only what is written is touched.
    explicit PixelJournal(std::size_t pixels = 0)
        : entries_(std::make_unique_for_overwrite<Entry[]>(pixels + 1)), end_(entries_.get()) {}

    void write(const PixelBuffer& buffer, std::uint32_t offset, QRgb colour) {
        const QRgb before = buffer.bits[offset];
        // Always written and kept only for a pixel still opaque, without a branch: about half
        // the pixels of a frame were written by the erase before it. The spare entry at the end
        // takes the last of these writes when every pixel is journaled.
        *end_ = {offset, before};
        end_ += before >> 31;
        buffer.bits[offset] = colour & RGB_MASK;
    }
    bool isEmpty() const { return end_ == entries_.get(); }
    // Makes the written pixels opaque again, forgets the writes and returns the smallest
    // rectangle that holds every pixel whose colour they changed.
    QRect settle(const PixelBuffer& buffer);

private:
    struct Entry {
        std::uint32_t offset;
        QRgb before;
    };
    std::unique_ptr<Entry[]> entries_;
    Entry* end_;  // past the last journaled; declared after entries_, where it starts
};

// Draws the pixels of the line from pixel `from` to pixel `to`, both ends included, clipped to
// the image, and returns the rectangle of pixels touched. The end points are whole pixels within
// a few image sizes of the image, as everything the plot draws is: the sweep's positions lie
// just beyond the plot's sides, and its samples are bounded, since each packet's envelope is at
// most 1 (|re| and |im| at most 2, the density at most 2.8). The same two end points always give
// the same pixels, so drawing a line again in another colour replaces it exactly.
// Hand-written because QPainter's cost per call is far above that of the few pixels each of a
// frame's thousands of tiny segments covers.
QRect drawLine(QImage& image, QPoint from, QPoint to, QRgb colour);
// The same, each pixel written through the journal.
void drawLine(const PixelBuffer& buffer, PixelJournal& journal, QPoint from, QPoint to,
              QRgb colour);

// The pixels that a batch of segments wrote, segment by segment, so that the same batch can be
// drawn again in other colours, as when a frame is erased by retracing it in white, by rewriting
// those pixels instead of walking its lines again: the same lines give the same pixels.
class BatchPixels {
public:
    // Maps and draws each segment in turn through the journal, and remembers the pixels each
    // wrote instead of the batch before.
    void draw(const PixelBuffer& buffer, PixelJournal& journal, const PixelMapping& mapping,
              std::span<const Segment> segments);
    // The batch drawn again, each segment in its colour in `segments`, which must be the batch
    // draw() was given but for the colours.
    void redraw(const PixelBuffer& buffer, PixelJournal& journal,
                std::span<const Segment> segments) const;

    std::size_t segmentCount() const { return ends_.size(); }
    // Every pixel the batch wrote, as offsets from the buffer's first, in the order written.
    std::span<const std::uint32_t> offsets() const { return {offsets_.data(), count_}; }

private:
    // Only ever grown, and written through a pointer: the pixels are too many and too cheap to
    // write to pay for a push_back each.
    std::vector<std::uint32_t> offsets_;
    std::size_t count_ = 0;            // of offsets_ in use
    std::vector<std::uint32_t> ends_;  // where each segment's offsets end
};

}  // namespace plot
