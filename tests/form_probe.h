// Looking into a Form1 from a test: its controls by name, the plot's image, an open message.
#pragma once

#include "form1.h"
#include "plot_surface.h"

#include <QImage>
#include <QMessageBox>

#include <algorithm>
#include <cmath>

namespace probe {

inline constexpr QRgb kWhite = qRgb(255, 255, 255);
inline constexpr QRgb kGrey = qRgb(128, 128, 128);

template <typename T = QWidget>
T* child(const QWidget& form, const char* name) {
    T* widget = form.findChild<T*>(QString::fromLatin1(name));
    Q_ASSERT(widget);
    return widget;
}

inline const QImage& plotImage(const app::Form1& form) {
    return child<plot::PlotSurface>(form, "Picture2")->image();
}

// The plot when it holds the baseline and nothing else.
inline QImage baselineOnly(const QImage& like) {
    QImage image(like.size(), like.format());
    image.fill(kWhite);
    const int row = int(std::floor((-5.54f - 1.8f) * float(image.height()) / (-6.3f - 1.8f)));
    for (int x = 0; x < image.width(); ++x) {
        image.setPixel(x, row, kGrey);
    }
    return image;
}

inline bool onlyBaseline(const app::Form1& form) {
    const QImage& image = plotImage(form);
    return image == baselineOnly(image);
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
