// What one frame of the plot is: the coordinate system and baseline, and the sweep over x that
// draws (or erases) the real part, the imaginary part and the density of the field.
#pragma once

#include "field.h"
#include "frame.h"
#include "palette.h"
#include "surface.h"

#include <array>
#include <cstddef>

namespace plot {

// The user coordinates of the plot's edges: x grows to the right, y upwards.
inline constexpr float kPlotLeft = -4.0f;
inline constexpr float kPlotTop = 1.8f;
inline constexpr float kPlotRight = 9.5f;
inline constexpr float kPlotBottom = -6.3f;

// The grey baseline, just under where the density trace lies at zero.
inline constexpr double kBaselineY = -5.54;
inline constexpr QRgb kBaselineColour = qbColor(8);

// Where the traces lie: re and im less the trace offset, im a little lower still, and the
// density less its own offset.
inline constexpr double kTraceOffset = 0.7;
inline constexpr double kImaginaryExtraOffset = 0.05;
inline constexpr double kDensityOffset = 5.5;

inline constexpr QRgb kRealColour = qbColor(4);
inline constexpr QRgb kImaginaryColour = qbColor(2);
inline constexpr QRgb kDensityColour = qbColor(9);

inline constexpr double kSweepStart = -4.4;
inline constexpr double kSweepEnd = 10.5;
inline constexpr double kSweepStep = 0.02;

// The sample positions, by repeated addition as the sweep walks them; the rounding of that
// addition decides the count, so it is counted the same way.
constexpr std::size_t countSweepSamples() {
    std::size_t count = 0;
    for (double x = kSweepStart; x <= kSweepEnd; x += kSweepStep) {
        ++count;
    }
    return count;
}
inline constexpr std::size_t kSamplesPerSweep = countSweepSamples();

// The field at every sample position of a frame's sweep, one array per part of the sample.
struct FrameSamples {
    std::array<double, kSamplesPerSweep> re{};
    std::array<double, kSamplesPerSweep> im{};
    std::array<double, kSamplesPerSweep> density{};
};

// The coordinate system of the plot, and the grey baseline under the density trace.
void setUp(Surface& surface);

// The field at every sample position of the frame's sweep, all at once with the machine's
// vector unit.
void sampleSweep(const Frame& frame, FrameSamples& samples);
// False where the field could not be computed, as for wave numbers so large that k x overflows.
bool allFinite(const FrameSamples& samples);

// Joins each sample of the frame to the previous one with a segment per trace, starting from
// `trace` and carrying it on, in the draw colours or in white. A draw sweep starts from
// frame.from. The field is pure, so the samples of a draw sweep serve unchanged for the erase
// sweep of the same frame.
void drawSweep(Surface& surface, const Frame& frame, const FrameSamples& samples, SweepMode mode,
               TraceState& trace);

// One whole sweep of the frame, its samples computed on the way; then flushes the surface.
void sweep(Surface& surface, const Frame& frame, SweepMode mode, TraceState& trace);

}  // namespace plot
