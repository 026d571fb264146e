// What is on the plot, as data and as an image at the pixel ratio of the screen it is shown on.
// Drawing goes into a working copy of the image; each flush takes over into the image only the
// pixels whose colour the batch changed, and tells the presenter where they are. The picture
// after a flush is therefore exactly what drawing every segment in turn would leave, while what
// is shown is touched only where it changes.
#pragma once

#include "raster.h"
#include "surface.h"

#include <QImage>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace plot {

class PlotPicture final : public Surface {
public:
    // Told after a flush which pixels of the image changed, and a rectangle they lie in.
    using Presenter = std::function<void(std::span<const std::uint32_t> offsets, const QRect&)>;

    void setPresenter(Presenter presenter) { presenter_ = std::move(presenter); }
    // A white image of this many device pixels at the ratio, with what is on the plot drawn on it
    // again as it was first drawn. The presenter is not told: all of it is new.
    void resize(QSize pixels, qreal ratio);

    void scale(float left, float top, float right, float bottom) override;
    void line(float x1, float y1, float x2, float y2, QRgb colour) override;
    void draw(const Frame& frame, std::span<const Segment> segments) override;
    void erase(const Frame& frame, std::span<const Segment> segments) override;
    void clear() override;
    void flush() override;

    // What the last flush left, one pixel to a device pixel; pixel offsets count RGB32 pixels
    // from its first, as bits() does.
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
    void settleLastDraw();
    void forgetBatch();

    Content content_;
    UserRect userRect_;
    PixelMapping mapping_;
    QImage image_;
    // The image with the batch since the last flush drawn on it; the same as image_ after each
    // flush, and never shared, so drawing on it never copies it.
    QImage working_;
    PixelBuffer pixels_;  // working_'s
    // The pixels of working_ that the batch wrote, each as often as it was written, but for those
    // of lastDraw_ while it is pending; and a rectangle written as a whole, by the baseline or a
    // clear.
    std::vector<std::uint32_t> written_;
    PixelBounds writtenBlock_;
    // The last frame drawn at the present mapping and its pixels, which its erase retraces; they
    // are pending while the batch has written them and they are not yet in written_.
    BatchPixels lastDraw_;
    std::optional<Frame> lastDrawn_;
    bool lastDrawPending_ = false;
    BatchPixels other_;  // the pixels of an erase of another frame
    std::vector<std::uint32_t> changed_;
    Presenter presenter_;
};

}  // namespace plot
