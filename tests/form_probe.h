// Looking into a Form1 from a test: its controls by name, the plot's image, an open message.
#pragma once

#include "form1.h"
#include "plot_surface.h"
#include "sweep.h"

#include <QBackingStore>
#include <QImage>
#include <QMessageBox>

#include <algorithm>
#include <cmath>

namespace probe {

using plot::kWhite;

template <typename T = QWidget>
T* child(const QWidget& form, const char* name) {
    T* widget = form.findChild<T*>(QString::fromLatin1(name));
    Q_ASSERT(widget);
    return widget;
}

inline const QImage& plotImage(const app::Form1& form) {
    return child<plot::PlotSurface>(form, "Picture2")->image();
}

// Whether the window, as its last paints left it in its backing store, shows the plot's image,
// but for the image's outermost pixels, which its frame may cover.
inline bool showsThePlot(const app::Form1& form) {
    const auto* shown = dynamic_cast<const QImage*>(form.backingStore()->paintDevice());
    const auto* plot = child<plot::PlotSurface>(form, "Picture2");
    const QImage& image = plot->image();
    if (shown == nullptr) {
        return false;
    }
    const QPointF corner =
        QPointF(plot->mapTo(&form, plot->contentsRect().topLeft())) * image.devicePixelRatio();
    const QPoint origin(int(std::floor(corner.x())), int(std::floor(corner.y())));
    for (int y = 1; y < image.height() - 1; ++y) {
        for (int x = 1; x < image.width() - 1; ++x) {
            if (shown->pixel(origin + QPoint(x, y)) != image.pixel(x, y)) {
                return false;
            }
        }
    }
    return true;
}

// The plot of the form when it holds the baseline and nothing else, as a plot of its own shows
// it after set-up.
inline QImage baselineOnly(const app::Form1& form) {
    plot::PlotSurface plot(child(form, "Picture2")->geometry(), nullptr);
    plot::setUp(plot.picture());
    return plot.image();
}

inline bool onlyBaseline(const app::Form1& form) {
    return plotImage(form) == baselineOnly(form);
}

inline bool allWhite(const QImage& image) {
    QImage white(image.size(), image.format());
    white.fill(kWhite);
    return image == white;
}

inline QMessageBox* openMessage(const app::Form1& form) {
    const QList<QMessageBox*> boxes = form.findChildren<QMessageBox*>();
    const auto open = std::find_if(boxes.begin(), boxes.end(),
                                   [](const QMessageBox* box) { return box->isVisible(); });
    return open == boxes.end() ? nullptr : *open;
}

}  // namespace probe
