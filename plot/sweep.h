// What one frame of the plot is: the coordinate system and baseline, and the sweep over x that
// draws (or erases) the real part, the imaginary part and the density of the field.
#pragma once

#include "field.h"
#include "surface.h"

#include <array>
#include <cstddef>

namespace plot {

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

using FrameSamples = std::array<field::Sample, kSamplesPerSweep>;

enum class SweepMode { Draw, Erase };

// The previous sample of the three traces, carried from sample to sample, sweep to sweep and
// frame to frame within one run; 0 at the start of a run.
struct TraceState {
    double re = 0.0;
    double im = 0.0;
    double density = 0.0;
};

// The coordinate system of the plot, and the grey baseline under the density trace.
void setUp(Surface& surface);

// The field at every sample position of a sweep at time t.
void sampleSweep(double t, double k, double v, FrameSamples& samples);
bool allFinite(const FrameSamples& samples);

// Joins each sample to the previous one with a segment per trace, in the draw colours or in
// white, then flushes the surface. The field is pure, so the samples of a draw sweep serve
// unchanged for the erase sweep at the same time.
void drawSweep(Surface& surface, const FrameSamples& samples, SweepMode mode, TraceState& trace);

// One whole sweep at time t for wave number k and drift speed v.
void sweep(Surface& surface, double t, double k, double v, SweepMode mode, TraceState& trace);

}  // namespace plot
