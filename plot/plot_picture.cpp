#include "plot_picture.h"

#include "palette.h"
#include "sweep.h"

#include <algorithm>
#include <utility>

namespace plot {

void PlotPicture::resize(QSize size, qreal ratio) {
    image_ = QImage(size, QImage::Format_RGB32);
    image_.setDevicePixelRatio(ratio);
    image_.fill(kWhite);
    journal_ = PixelJournal(std::size_t(size.width()) * std::size_t(size.height()));
    mapUserRect();

    const Content content = std::exchange(content_, {});
    for (const Segment& s : content.lines) {
        line(s.x1, s.y1, s.x2, s.y2, s.colour);
    }
    for (const Frame& frame : content.frames) {
        FrameSamples samples;
        sampleSweep(frame, samples);
        TraceState trace = frame.from;
        drawSweep(*this, frame, samples, SweepMode::Draw, trace);
    }
    journal_.settle(pixels());
}

PixelBuffer PlotPicture::pixels() {
    return PixelBuffer::of(image_);
}

void PlotPicture::scale(float left, float top, float right, float bottom) {
    userRect_ = {left, top, right, bottom};
    mapUserRect();
}

void PlotPicture::mapUserRect() {
    mapping_ = PixelMapping(userRect_.left, userRect_.top, userRect_.right, userRect_.bottom,
                            image_.width(), image_.height());
    // Its pixels were those of the mapping before.
    lastDrawn_.reset();
}

void PlotPicture::line(float x1, float y1, float x2, float y2, QRgb colour) {
    drawLine(pixels(), journal_, mapping_.toPixel(x1, y1), mapping_.toPixel(x2, y2), colour);
    const Segment segment{x1, y1, x2, y2, colour};
    if (std::find(content_.lines.begin(), content_.lines.end(), segment) == content_.lines.end()) {
        content_.lines.push_back(segment);
    }
}

void PlotPicture::draw(const Frame& frame, std::span<const Segment> segments) {
    lastDraw_.draw(pixels(), journal_, mapping_, segments);
    lastDrawn_ = frame;
    content_.frames.push_back(frame);
}

void PlotPicture::erase(const Frame& frame, std::span<const Segment> segments) {
    const PixelBuffer buffer = pixels();
    // The same frame has the same segments (frame.h): retraced, they cover the same pixels.
    if (lastDrawn_ == frame && lastDraw_.segmentCount() == segments.size()) {
        lastDraw_.redraw(buffer, journal_, segments);
    } else {
        for (const Segment& s : segments) {
            drawLine(buffer, journal_, mapping_.toPixel(s.x1, s.y1), mapping_.toPixel(s.x2, s.y2),
                     s.colour);
        }
    }
    // Cleared since it was drawn, the frame is no longer there to take off.
    const auto drawn = std::find(content_.frames.rbegin(), content_.frames.rend(), frame);
    if (drawn != content_.frames.rend()) {
        content_.frames.erase(std::next(drawn).base());
    }
}

void PlotPicture::clear() {
    const PixelBuffer buffer = pixels();
    for (int y = 0; y < buffer.height; ++y) {
        for (int x = 0; x < buffer.width; ++x) {
            const auto offset = std::uint32_t(y * buffer.stride + x);
            if (buffer.bits[offset] != kWhite) {
                journal_.write(buffer, offset, kWhite);
            }
        }
    }
    lastDrawn_.reset();
    content_ = {};
    flush();
}

void PlotPicture::flush() {
    if (journal_.isEmpty()) {
        return;
    }
    const QRect changed = journal_.settle(pixels());
    if (!changed.isEmpty() && presenter_) {
        presenter_(changed);
    }
}

}  // namespace plot
