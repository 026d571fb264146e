#include "sweep.h"

#include <algorithm>
#include <cmath>

namespace plot {

namespace {

constexpr std::array<double, kSamplesPerSweep> kPositions = [] {
    std::array<double, kSamplesPerSweep> positions{};
    double x = kSweepStart;
    for (double& position : positions) {
        position = x;
        x += kSweepStep;
    }
    return positions;
}();

}  // namespace

void setUp(Surface& surface) {
    surface.scale(kPlotLeft, kPlotTop, kPlotRight, kPlotBottom);
    const auto y = static_cast<float>(kBaselineY);
    surface.line(kPlotLeft, y, kPlotRight, y, kBaselineColour);
    surface.flush();
}

void sampleSweep(const Frame& frame, FrameSamples& samples) {
    field::evaluate(kPositions, frame.t, frame.k, frame.v,
                    {samples.re, samples.im, samples.density});
}

bool allFinite(const FrameSamples& samples) {
    const auto finite = [](const std::array<double, kSamplesPerSweep>& values) {
        return std::all_of(values.begin(), values.end(), [](double d) { return std::isfinite(d); });
    };
    return finite(samples.re) && finite(samples.im) && finite(samples.density);
}

void drawSweep(Surface& surface, const Frame& frame, const FrameSamples& samples, SweepMode mode,
               TraceState& trace) {
    const bool draw = mode == SweepMode::Draw;
    const QRgb real = draw ? kRealColour : kWhite;
    const QRgb imaginary = draw ? kImaginaryColour : kWhite;
    const QRgb density = draw ? kDensityColour : kWhite;
    // In sample order, so that where traces cross, the later segment covers the earlier one.
    std::array<Segment, 3 * kSamplesPerSweep> segments;
    auto* segment = segments.data();
    for (std::size_t i = 0; i < kSamplesPerSweep; ++i) {
        const field::Sample s{kPositions[i], samples.re[i], samples.im[i], samples.density[i]};
        // The left end is recomputed from this sample's x, not taken from the previous sample.
        const auto left = static_cast<float>(s.x - kSweepStep);
        const auto right = static_cast<float>(s.x);
        *segment++ = {left, static_cast<float>(trace.re - kTraceOffset), right,
                      static_cast<float>(s.re - kTraceOffset), real};
        *segment++ = {left, static_cast<float>((trace.im - kTraceOffset) - kImaginaryExtraOffset),
                      right, static_cast<float>((s.im - kTraceOffset) - kImaginaryExtraOffset),
                      imaginary};
        *segment++ = {left, static_cast<float>(trace.density - kDensityOffset), right,
                      static_cast<float>(s.density - kDensityOffset), density};
        trace = {s.re, s.im, s.density};
    }
    if (draw) {
        surface.draw(frame, segments);
    } else {
        surface.erase(frame, segments);
    }
}

void sweep(Surface& surface, const Frame& frame, SweepMode mode, TraceState& trace) {
    FrameSamples samples;
    sampleSweep(frame, samples);
    drawSweep(surface, frame, samples, mode, trace);
    surface.flush();
}

}  // namespace plot
