#include "animation.h"

namespace plot {

Animation::Result Animation::start(double k) {
    Run& run = runs_.emplace_back();
    run.k = k;
    run.v = k / 2.0;
    return drawFrame(run);
}

Animation::Result Animation::step(bool held) {
    if (runs_.empty()) {
        return {Outcome::Idle};
    }
    Run& run = runs_.back();
    if (held) {
        return {Outcome::Held, run.k};
    }
    const Frame shown = run.current();
    if (sampled_ != shown) {
        sampleSweep(shown, samples_);
        sampled_ = shown;
    }
    drawSweep(surface_, shown, samples_, SweepMode::Erase, run.trace);
    run.t += kTimeStep;
    ++run.frame;
    if (run.t > kTimeEnd) {
        const double k = run.k;
        runs_.pop_back();
        return {Outcome::Finished, k};
    }
    return drawFrame(run);
}

void Animation::stop() {
    runs_.clear();
}

Animation::Result Animation::drawFrame(Run& run) {
    run.frameFrom = run.trace;
    const Frame frame = run.current();
    sampleSweep(frame, samples_);
    sampled_ = frame;
    if (!allFinite(samples_)) {
        const double k = run.k;
        runs_.pop_back();
        return {Outcome::Failed, k};
    }
    drawSweep(surface_, frame, samples_, SweepMode::Draw, run.trace);
    return {Outcome::Drawn, run.k};
}

}  // namespace plot
