// The tests' one way into what the window and its animation keep to themselves: the frame clock,
// and the frame that each run on the stack shows.
#pragma once

#include "animation.h"
#include "form1.h"

#include <algorithm>
#include <vector>

class TestAccess {
public:
    // A tick of the window's frame clock, which comes only while the clock runs.
    static void tick(app::Form1& form) {
        if (form.clock_.isActive()) {
            form.tick();
        }
    }
    static bool clockRunning(const app::Form1& form) { return form.clock_.isActive(); }

    // The frame each run on the window's stack shows, the outermost first.
    static std::vector<plot::Frame> runs(const app::Form1& form) {
        const auto& runs = form.animation_.runs_;
        std::vector<plot::Frame> frames(runs.size());
        std::transform(runs.begin(), runs.end(), frames.begin(),
                       [](const plot::Animation::Run& run) { return run.frame; });
        return frames;
    }
};
