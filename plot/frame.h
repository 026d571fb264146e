// A frame of the plot as data: what it shows and where its traces start. The field is pure, so
// that is all it takes to draw the same frame again, segment for segment.
#pragma once

namespace plot {

// The previous sample of the three traces, carried from sample to sample, sweep to sweep and
// frame to frame within one run; 0 at the start of a run.
struct TraceState {
    double re = 0.0;
    double im = 0.0;
    double density = 0.0;

    bool operator==(const TraceState&) const = default;
};

// The frame at time t of a run with wave number k and drift speed v, whose draw sweep starts
// from the trace state `from`.
struct Frame {
    double t = 0.0;
    double k = 0.0;
    double v = 0.0;
    TraceState from;

    bool operator==(const Frame&) const = default;
};

enum class SweepMode { Draw, Erase };

}  // namespace plot
