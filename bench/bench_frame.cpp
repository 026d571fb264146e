// The cost of the animation's work, from one model evaluation up to a whole unpaced run.
#include "animation.h"
#include "field.h"
#include "form1.h"  // for the frame period alone
#include "plot_surface.h"
#include "sweep.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QImage>

#include <array>
#include <string>
#include <thread>
#include <utility>

namespace {

constexpr double kWaveNumber = 14.0;

// What the code before the model leaves in the vector registers. The program's own state is
// "after a fill": Qt's AVX2 image fill leaves the upper register halves dirty, which on Intel
// processors makes every switch between SSE code and the AVX-encoded libm cost hundreds of
// cycles, until something clears them again.
enum class UpperState { AfterImageFill, Cleared };

void prepare(UpperState state) {
    if (state == UpperState::AfterImageFill) {
        QImage image(8, 1, QImage::Format_RGB32);
        image.fill(0xffffffffU);
        benchmark::DoNotOptimize(image.constBits());
    } else {
#if defined(__x86_64__)
        if (__builtin_cpu_supports("avx")) {
            asm volatile("vzeroupper");
        }
#endif
    }
}

void evaluateOneSample(benchmark::State& state) {
    prepare(static_cast<UpperState>(state.range(0)));
    double x = -4.4;
    for (auto _ : state) {
        benchmark::DoNotOptimize(field::evaluate(x, 0.4, kWaveNumber, kWaveNumber / 2));
        x = x > 10.5 ? -4.4 : x + 0.02;
    }
}
BENCHMARK(evaluateOneSample)->ArgName("cleared")->Arg(0)->Arg(1);

// The model evaluations of one frame and nothing else, as the plot asks for them.
void modelOfOneFrame(benchmark::State& state) {
    prepare(UpperState::AfterImageFill);
    plot::FrameSamples samples;
    plot::Frame frame{0.0, kWaveNumber, kWaveNumber / 2, {}};
    for (auto _ : state) {
        plot::sampleSweep(frame, samples);
        benchmark::DoNotOptimize(samples.density.data());
        frame.t = frame.t > 1.3 ? 0.0 : frame.t + 0.005;
    }
}
BENCHMARK(modelOfOneFrame)->Unit(benchmark::kMicrosecond);

// The same with each vector unit the machine has, "none" being sample by sample.
void modelOfOneFrameWith(benchmark::State& state, field::VectorUnit unit, UpperState upper) {
    prepare(upper);
    std::array<double, plot::kSamplesPerSweep> x{};
    double position = plot::kSweepStart;
    for (double& p : x) {
        p = position;
        position += plot::kSweepStep;
    }
    plot::FrameSamples samples;
    double t = 0.0;
    for (auto _ : state) {
        field::evaluate(x, t, kWaveNumber, kWaveNumber / 2,
                        {samples.re, samples.im, samples.density}, unit);
        benchmark::DoNotOptimize(samples.density.data());
        t = t > 1.3 ? 0.0 : t + 0.005;
    }
}

void registerModelOfOneFrameWith() {
    const std::array<std::pair<field::VectorUnit, const char*>, 4> units{{
        {field::VectorUnit::None, "none"},
        {field::VectorUnit::Sse2, "sse2"},
        {field::VectorUnit::Avx2, "avx2"},
        {field::VectorUnit::Avx512, "avx512"},
    }};
    for (const auto& [unit, name] : units) {
        if (!field::isAvailable(unit)) {
            continue;
        }
        for (const UpperState upper : {UpperState::AfterImageFill, UpperState::Cleared}) {
            const std::string label = std::string("modelOfOneFrameWith/") + name +
                                      (upper == UpperState::Cleared ? "/cleared" : "");
            benchmark::RegisterBenchmark(label.c_str(), modelOfOneFrameWith, unit, upper)
                ->Unit(benchmark::kMicrosecond);
        }
    }
}

// The drawing of one frame's sweep alone, its samples computed beforehand: a new frame walks
// every line; the erase sweep of the same frame rewrites the pixels the lines covered. Only the
// sweep measured is timed; the other one keeps the plot as the animation leaves it.
void drawSweep(benchmark::State& state) {
    QWidget window;
    plot::PlotSurface surface({4, 4, 633, 201}, &window);
    plot::setUp(surface.picture());
    const std::array<plot::Frame, 2> frames{plot::Frame{0.4, kWaveNumber, kWaveNumber / 2, {}},
                                            plot::Frame{0.405, kWaveNumber, kWaveNumber / 2, {}}};
    std::array<plot::FrameSamples, 2> samples;
    plot::sampleSweep(frames[0], samples[0]);
    plot::sampleSweep(frames[1], samples[1]);
    plot::TraceState trace;
    const bool erasing = state.range(0) != 0;
    const auto sweep = [&](std::size_t i, plot::SweepMode mode) {
        plot::drawSweep(surface.picture(), frames[i], samples[i], mode, trace);
        surface.picture().flush();
    };
    std::size_t i = 0;
    for (auto _ : state) {
        if (erasing) {
            state.PauseTiming();
            sweep(i, plot::SweepMode::Draw);
            state.ResumeTiming();
            sweep(i, plot::SweepMode::Erase);
        } else {
            sweep(i, plot::SweepMode::Draw);
            state.PauseTiming();
            sweep(i, plot::SweepMode::Erase);
            state.ResumeTiming();
        }
        i = 1 - i;
    }
}
BENCHMARK(drawSweep)->ArgName("erase")->Arg(0)->Arg(1);

// Frames as the animation makes them, each the erase sweep of the frame before and the draw sweep
// of the next, into the plot's image, without a screen; before each, untimed, what `pause` does.
template <typename Pause>
void stepFrames(benchmark::State& state, Pause&& pause) {
    QWidget window;
    plot::PlotSurface surface({4, 4, 633, 201}, &window);
    plot::setUp(surface.picture());
    plot::Animation animation(surface.picture());
    animation.start(kWaveNumber);
    for (auto _ : state) {
        pause();
        animation.step();
        if (!animation.running()) {
            animation.start(kWaveNumber);
        }
    }
    benchmark::DoNotOptimize(surface.image().constBits());
}

// One frame after another, as fast as they go.
void frameIntoImage(benchmark::State& state) {
    stepFrames(state, [] {});
}
BENCHMARK(frameIntoImage);

// One frame at the program's pace, after a frame period asleep as between two ticks. The
// processor wakes slower than it runs flat out, and that is what the real program meets.
void frameAfterAFramePeriod(benchmark::State& state) {
    stepFrames(state, [&state] {
        state.PauseTiming();
        std::this_thread::sleep_for(app::kFramePeriod);
        state.ResumeTiming();
    });
}
BENCHMARK(frameAfterAFramePeriod)->Iterations(200);

// A whole run of 261 frames, as fast as it can go.
void wholeRun(benchmark::State& state) {
    QWidget window;
    plot::PlotSurface surface({4, 4, 633, 201}, &window);
    plot::Animation animation(surface.picture());
    for (auto _ : state) {
        plot::setUp(surface.picture());
        animation.start(kWaveNumber);
        while (animation.running()) {
            animation.step();
        }
    }
    benchmark::DoNotOptimize(surface.image().constBits());
}
BENCHMARK(wholeRun)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    registerModelOfOneFrameWith();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
