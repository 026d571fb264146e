#include "animation.h"

namespace plot {

Animation::Result Animation::start(double k) {
    Run& run = runs_.emplace_back();
    run.k = k;
    run.v = k / 2.0;
    samplesCurrent_ = false;
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
    if (!samplesCurrent_) {
        sampleSweep(run.t, run.k, run.v, samples_);
    }
    drawSweep(surface_, samples_, SweepMode::Erase, run.trace);
    samplesCurrent_ = false;
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
    samplesCurrent_ = false;
}

Animation::Result Animation::drawFrame(Run& run) {
    sampleSweep(run.t, run.k, run.v, samples_);
    if (!allFinite(samples_)) {
        const double k = run.k;
        runs_.pop_back();
        return {Outcome::Failed, k};
    }
    drawSweep(surface_, samples_, SweepMode::Draw, run.trace);
    samplesCurrent_ = true;
    return {Outcome::Drawn, run.k};
}

}  // namespace plot
