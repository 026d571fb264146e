#include "animation.h"

namespace plot {

std::optional<Animation::Failure> Animation::start(double k) {
    Run& run = runs_.emplace_back();
    run.frame = {kTimeStart, k, k / 2.0, {}};
    const auto failure = drawFrame(run);
    surface_.flush();
    return failure;
}

std::optional<Animation::Failure> Animation::step() {
    if (runs_.empty()) {
        return std::nullopt;
    }
    const auto failure = advance();
    // The erase and the draw are shown together.
    surface_.flush();
    return failure;
}

std::optional<Animation::Failure> Animation::advance() {
    Run& run = runs_.back();
    if (sampled_ != run.frame) {
        sampleSweep(run.frame, samples_);
        sampled_ = run.frame;
    }
    drawSweep(surface_, run.frame, samples_, SweepMode::Erase, run.trace);
    run.frame.t += kTimeStep;
    if (run.frame.t > kTimeEnd) {
        runs_.pop_back();
        return std::nullopt;
    }
    return drawFrame(run);
}

void Animation::stop() {
    runs_.clear();
}

std::optional<Animation::Failure> Animation::drawFrame(Run& run) {
    run.frame.from = run.trace;
    sampleSweep(run.frame, samples_);
    sampled_ = run.frame;
    if (!allFinite(samples_)) {
        const Failure failure{run.frame.k};
        runs_.pop_back();
        return failure;
    }
    drawSweep(surface_, run.frame, samples_, SweepMode::Draw, run.trace);
    return std::nullopt;
}

}  // namespace plot
