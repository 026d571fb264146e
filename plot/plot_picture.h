// What is on the plot, as data and as an image at the pixel ratio of the screen it is shown on.
// Every segment is drawn in turn into the image, so that after a flush it is exactly what drawing
// them leaves; the flush tells the presenter where the batch since the last one changed it, so
// that what is shown is touched only there.
#pragma once

#include "raster.h"
#include "surface.h"

#include <QImage>

#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace plot {

class PlotPicture final : public Surface {
public:
    // Told after a flush the smallest rectangle of the image's pixels that holds all it changed.
    using Presenter = std::function<void(const QRect& changed)>;

    void setPresenter(Presenter presenter) { presenter_ = std::move(presenter); }
    // A white image of this many device pixels at the ratio, with what is on the plot drawn on it
    // again as it was first drawn. The presenter is not told: all of it is new.
    void resize(QSize size, qreal ratio);

    void scale(float left, float top, float right, float bottom) override;
    void line(float x1, float y1, float x2, float y2, QRgb colour) override;
    void draw(const Frame& frame, std::span<const Segment> segments) override;
    void erase(const Frame& frame, std::span<const Segment> segments) override;
    void clear() override;
    void flush() override;

    // What the last flush left, one pixel to a device pixel. Drawing never changes a copy taken
    // of it.
    const QImage& image() const { return image_; }

private:
    // The lines drawn since the plot was last cleared (the baseline), each once however often it
    // was drawn, and the frames drawn and not yet erased or cleared, oldest first.
    struct Content {
        std::vector<Segment> lines;
        std::vector<Frame> frames;
    };
    // The user coordinates of the edges, as scale() last set them.
    struct UserRect {
        float left = 0.0f;
        float top = 0.0f;
        float right = 1.0f;
        float bottom = 1.0f;
    };

    void mapUserRect();
    // The image's pixels, detached first from any copy taken of the image since the last flush.
    PixelBuffer pixels();

    Content content_;
    UserRect userRect_;
    PixelMapping mapping_;
    QImage image_;
    // The pixels the batch since the last flush wrote, and what they were before.
    PixelJournal journal_;
    // The last frame drawn at the present mapping and its pixels, which its erase retraces.
    BatchPixels lastDraw_;
    std::optional<Frame> lastDrawn_;
    Presenter presenter_;
};

}  // namespace plot
