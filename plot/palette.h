// The standard 16-colour palette that the traces and the baseline are drawn in.
#pragma once

#include <QRgb>

#include <array>
#include <cstddef>

namespace plot {

inline constexpr std::array<QRgb, 16> kStandardPalette = {
    qRgb(0, 0, 0),       qRgb(0, 0, 128),   qRgb(0, 128, 0),   qRgb(0, 128, 128),
    qRgb(128, 0, 0),     qRgb(128, 0, 128), qRgb(128, 128, 0), qRgb(192, 192, 192),
    qRgb(128, 128, 128), qRgb(0, 0, 255),   qRgb(0, 255, 0),   qRgb(0, 255, 255),
    qRgb(255, 0, 0),     qRgb(255, 0, 255), qRgb(255, 255, 0), qRgb(255, 255, 255),
};

// The palette colour of an index from 0 to 15.
constexpr QRgb qbColor(std::size_t index) {
    return kStandardPalette.at(index);
}

inline constexpr QRgb kWhite = qRgb(255, 255, 255);

}  // namespace plot
