// The animation that RUN starts: a stack of runs, each stepping time through its frames, the
// innermost one advancing one frame per step of a clock that the caller owns.
#pragma once

#include "surface.h"
#include "sweep.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace plot {

inline constexpr double kTimeStart = 0.0;
inline constexpr double kTimeEnd = 1.3;
inline constexpr double kTimeStep = 0.005;

class Animation {
public:
    // One run: its wave number, drift speed, time and trace state, fixed or carried for its life.
    struct Run {
        double k = 0.0;
        double v = 0.0;
        double t = kTimeStart;
        int frame = 0;
        TraceState trace;      // carried from sweep to sweep
        TraceState frameFrom;  // where the draw sweep of the frame at t started

        Frame current() const { return {t, k, v, frameFrom}; }
    };

    enum class Outcome {
        Idle,      // no run
        Held,      // the innermost run keeps its frame
        Drawn,     // a frame was drawn
        Finished,  // the innermost run erased its last frame and ended
        Failed,    // the field was not finite: that run ended, its failing frame drew nothing
    };
    struct Result {
        Outcome outcome = Outcome::Idle;
        double k = 0.0;  // the wave number of the run concerned
    };

    explicit Animation(Surface& surface) : surface_(surface) {}

    // Pushes a run for wave number k and draws its first frame. The caller has set up the
    // coordinate system and the baseline.
    Result start(double k);
    // One tick of the frame clock: unless held, the innermost run erases its frame and draws
    // the next one, or ends after its last.
    Result step(bool held);
    // Drops every run at once, drawing nothing.
    void stop();

    bool running() const { return !runs_.empty(); }
    std::size_t depth() const { return runs_.size(); }
    const Run* innermost() const { return runs_.empty() ? nullptr : &runs_.back(); }

private:
    Result drawFrame(Run& run);

    Surface& surface_;
    std::vector<Run> runs_;
    // The samples of one frame, kept for its erase sweep. Only one set is kept, so that a deep
    // stack of nested runs stays small; an outer run recomputes its own when it resumes.
    FrameSamples samples_{};
    std::optional<Frame> sampled_;  // the frame samples_ belongs to, if any
};

}  // namespace plot
