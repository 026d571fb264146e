#include "plot_picture.h"

#include "palette.h"
#include "sweep.h"

#include <algorithm>
#include <utility>

namespace plot {

void PlotPicture::resize(QSize pixels, qreal ratio) {
    working_ = QImage(pixels, QImage::Format_RGB32);
    working_.setDevicePixelRatio(ratio);
    working_.fill(kWhite);
    pixels_ = PixelBuffer::of(working_);
    forgetBatch();
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
    image_ = working_.copy();
    forgetBatch();
}

// Nothing written since the last flush, as after one.
void PlotPicture::forgetBatch() {
    written_.clear();
    writtenBlock_ = {};
    lastDrawPending_ = false;
}

void PlotPicture::scale(float left, float top, float right, float bottom) {
    userRect_ = {left, top, right, bottom};
    mapUserRect();
}

void PlotPicture::mapUserRect() {
    mapping_ = PixelMapping(userRect_.left, userRect_.top, userRect_.right, userRect_.bottom,
                            working_.width(), working_.height());
    // Its pixels were those of the mapping before.
    settleLastDraw();
    lastDrawn_.reset();
}

// The pixels of the last draw go with the rest of the batch's before they are forgotten.
void PlotPicture::settleLastDraw() {
    if (lastDrawPending_) {
        const auto offsets = lastDraw_.offsets();
        written_.insert(written_.end(), offsets.begin(), offsets.end());
        lastDrawPending_ = false;
    }
}

void PlotPicture::line(float x1, float y1, float x2, float y2, QRgb colour) {
    writtenBlock_.add(
        drawLine(pixels_, mapping_.toPixel(x1, y1), mapping_.toPixel(x2, y2), colour));
    const Segment segment{x1, y1, x2, y2, colour};
    if (std::find(content_.lines.begin(), content_.lines.end(), segment) == content_.lines.end()) {
        content_.lines.push_back(segment);
    }
}

void PlotPicture::draw(const Frame& frame, std::span<const Segment> segments) {
    settleLastDraw();
    lastDraw_.draw(pixels_, mapping_, segments);
    lastDrawn_ = frame;
    lastDrawPending_ = true;
    content_.frames.push_back(frame);
}

void PlotPicture::erase(const Frame& frame, std::span<const Segment> segments) {
    // The same frame has the same segments (frame.h): retraced, they cover the same pixels.
    if (lastDrawn_ == frame && lastDraw_.segmentCount() == segments.size()) {
        lastDraw_.redraw(pixels_, segments);
        lastDrawPending_ = true;
    } else {
        other_.draw(pixels_, mapping_, segments);
        const auto offsets = other_.offsets();
        written_.insert(written_.end(), offsets.begin(), offsets.end());
    }
    // Cleared since it was drawn, the frame is no longer there to take off.
    const auto drawn = std::find(content_.frames.rbegin(), content_.frames.rend(), frame);
    if (drawn != content_.frames.rend()) {
        content_.frames.erase(std::next(drawn).base());
    }
}

void PlotPicture::clear() {
    working_.fill(kWhite);
    forgetBatch();
    lastDrawn_.reset();
    writtenBlock_.add(working_.rect());
    content_ = {};
    flush();
}

void PlotPicture::flush() {
    if (written_.empty() && writtenBlock_.isEmpty() && !lastDrawPending_) {
        return;
    }
    // Detaches the image from any copy taken of it since the last flush.
    auto* const shown = reinterpret_cast<QRgb*>(image_.bits());
    const QRgb* const drawn = pixels_.bits;
    changed_.clear();
    const auto takeOver = [&](std::uint32_t offset) {
        if (shown[offset] != drawn[offset]) {
            shown[offset] = drawn[offset];
            changed_.push_back(offset);
        }
    };
    const QRect block = writtenBlock_.rect();
    for (int y = block.top(); y <= block.bottom(); ++y) {
        for (int x = block.left(); x <= block.right(); ++x) {
            takeOver(std::uint32_t(y * pixels_.stride + x));
        }
    }
    for (const std::uint32_t offset : written_) {
        takeOver(offset);
    }
    if (lastDrawPending_) {
        for (const std::uint32_t offset : lastDraw_.offsets()) {
            takeOver(offset);
        }
    }
    forgetBatch();
    if (changed_.empty() || !presenter_) {
        return;
    }
    // The rows the changes lie in, across the whole width: the traces cross it from side to side.
    const auto [first, last] = std::minmax_element(changed_.begin(), changed_.end());
    const auto stride = std::uint32_t(pixels_.stride);
    const int top = int(*first / stride);
    const int bottom = int(*last / stride);
    presenter_(changed_, QRect(0, top, working_.width(), bottom - top + 1));
}

}  // namespace plot
