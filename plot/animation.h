// The animation that RUN starts: a stack of runs, each stepping time through its frames, the
// innermost one advancing one frame per step of a clock that the window owns.
//
// The window's states, and what its frame clock does in each:
//   idle          no run                          clock stopped
//   running       a run, START unchecked          each tick: step()
//   held          a run, START checked            clock stopped: the frame stays
//   message open  a refusal or failure is shown   clock stopped until it is dismissed
#pragma once

#include "surface.h"
#include "sweep.h"

#include <optional>
#include <vector>

class TestAccess;

namespace plot {

inline constexpr double kTimeStart = 0.0;
inline constexpr double kTimeEnd = 1.3;
inline constexpr double kTimeStep = 0.005;

// The frames of a run, by repeated addition as the run steps through them; the rounding of that
// addition decides the count, so it is counted the same way.
constexpr int countFramesPerRun() {
    int count = 0;
    for (double t = kTimeStart; t <= kTimeEnd; t += kTimeStep) {
        ++count;
    }
    return count;
}
inline constexpr int kFramesPerRun = countFramesPerRun();

class Animation {
public:
    // A run whose field could not be computed at a frame: it ended there, drawing nothing of
    // that frame.
    struct Failure {
        double k = 0.0;
    };

    explicit Animation(Surface& surface) : surface_(surface) {}

    // Pushes a run for wave number k and draws its first frame. The caller has set up the
    // coordinate system and the baseline.
    std::optional<Failure> start(double k);
    // The innermost run erases its frame and draws the next one, or ends after its last.
    std::optional<Failure> step();
    // Drops every run at once, drawing nothing.
    void stop();

    bool running() const { return !runs_.empty(); }

private:
    friend class ::TestAccess;

    // One run: the frame it shows (its time, its fixed k and v, and where the frame's draw
    // sweep started) and the trace state it carries from sweep to sweep.
    struct Run {
        Frame frame;
        TraceState trace;
    };

    std::optional<Failure> advance();
    std::optional<Failure> drawFrame(Run& run);

    Surface& surface_;
    std::vector<Run> runs_;
    // The samples of one frame, kept for its erase sweep. Only one set is kept, so that a deep
    // stack of nested runs stays small; an outer run recomputes its own when it resumes.
    FrameSamples samples_{};
    std::optional<Frame> sampled_;  // the frame samples_ belongs to, if any
};

}  // namespace plot
