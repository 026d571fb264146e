#include "animation.h"
#include "palette.h"
#include "recording_surface.h"

#include <QTest>

using plot::Animation;
using plot::SweepMode;

namespace {

constexpr std::size_t kLinesPerSweep = 3 * plot::kSamplesPerSweep;
using plot::kFramesPerRun;

using Sweep = RecordingSurface::Sweep;

bool isErase(const RecordingSurface& surface, std::size_t sweep) {
    return surface.sweeps.at(sweep).mode == SweepMode::Erase;
}

// Steps the innermost run, just started, through all its frames: it draws one more than it
// erases.
void runToEnd(Animation& animation) {
    for (int i = 0; i < kFramesPerRun; ++i) {
        animation.step();
    }
}

}  // namespace

class TstAnimation : public QObject {
    Q_OBJECT

private slots:
    void runsTwoHundredSixtyOneFrames();
    void nestedRunCompletesFirst();
    void traceStateIsCarriedThroughTheRun();
    void nonFiniteFieldStopsTheRunBeforeDrawing_data();
    void nonFiniteFieldStopsTheRunBeforeDrawing();
    void stopDropsEveryRun();
    void thousandNestedRuns();
};

// Each frame is drawn, then erased by retracing it in white, then the time advances; the run
// ends after erasing the last frame not beyond the end time.
void TstAnimation::runsTwoHundredSixtyOneFrames() {
    RecordingSurface surface;
    Animation animation(surface);
    QVERIFY(!animation.start(14.0));
    while (animation.running()) {
        QVERIFY(!animation.step());
    }
    QCOMPARE(kFramesPerRun, 261);
    QCOMPARE(surface.sweeps.size(), std::size_t{2} * kFramesPerRun);
    double t = plot::kTimeStart;
    for (std::size_t i = 0; i < surface.sweeps.size(); i += 2) {
        const Sweep& draw = surface.sweeps[i];
        const Sweep& erase = surface.sweeps[i + 1];
        QCOMPARE(draw.mode, SweepMode::Draw);
        QCOMPARE(erase.mode, SweepMode::Erase);
        QCOMPARE(erase.frame, draw.frame);
        QCOMPARE(draw.frame.t, t);
        QCOMPARE(draw.frame.k, 14.0);
        QCOMPARE(draw.frame.v, 7.0);
        for (std::size_t j = 3; j < kLinesPerSweep; ++j) {
            QCOMPARE(surface.lines[(i + 1) * kLinesPerSweep + j].y2,
                     surface.lines[i * kLinesPerSweep + j].y2);
        }
        t += plot::kTimeStep;
    }
    QVERIFY(surface.sweeps.back().frame.t <= plot::kTimeEnd && t > plot::kTimeEnd);
    animation.step();
    QCOMPARE(surface.sweeps.size(), std::size_t{2} * kFramesPerRun);
}

// A run started in the middle of another runs all its frames; then the outer run erases its
// frame and goes on with its own wave number and time.
void TstAnimation::nestedRunCompletesFirst() {
    RecordingSurface surface;
    Animation animation(surface);
    animation.start(14.0);
    for (int i = 0; i < 10; ++i) {
        animation.step();
    }
    const plot::Frame outer = surface.sweeps.back().frame;
    const std::size_t before = surface.sweeps.size();
    animation.start(20.0);
    runToEnd(animation);
    QCOMPARE(surface.sweeps.size(), before + std::size_t{2} * kFramesPerRun);
    for (std::size_t i = before; i < surface.sweeps.size(); ++i) {
        QCOMPARE(surface.sweeps[i].frame.k, 20.0);
    }
    animation.step();
    QVERIFY(isErase(surface, surface.sweeps.size() - 2));
    QCOMPARE(surface.sweeps[surface.sweeps.size() - 2].frame, outer);
    QCOMPARE(surface.sweeps.back().frame.t, outer.t + plot::kTimeStep);
    QCOMPARE(surface.sweeps.back().frame.k, 14.0);
}

// The first segment of each sweep starts from the last sample of the sweep before it.
void TstAnimation::traceStateIsCarriedThroughTheRun() {
    RecordingSurface surface;
    Animation animation(surface);
    animation.start(14.0);
    animation.step();
    animation.step();
    for (std::size_t sweep = 1; sweep < 5; ++sweep) {
        const RecordedLine& first = surface.lines[sweep * kLinesPerSweep];
        const RecordedLine& previousLast = surface.lines[sweep * kLinesPerSweep - 3];
        QCOMPARE(first.y1, previousLast.y2);
    }
    // A new run starts from empty state.
    animation.start(14.0);
    QCOMPARE(surface.lines[5 * kLinesPerSweep].y1, -0.7f);
}

void TstAnimation::nonFiniteFieldStopsTheRunBeforeDrawing_data() {
    QTest::addColumn<double>("k");
    QTest::newRow("largest") << 1.7e308;
    QTest::newRow("negative") << -1e308;
}

// The failing run ends without drawing; the run it was started in goes on.
void TstAnimation::nonFiniteFieldStopsTheRunBeforeDrawing() {
    QFETCH(double, k);
    RecordingSurface surface;
    Animation animation(surface);
    animation.start(14.0);
    const std::size_t before = surface.sweeps.size();
    const std::optional<Animation::Failure> failure = animation.start(k);
    QVERIFY(failure);
    QCOMPARE(failure->k, k);
    QCOMPARE(surface.sweeps.size(), before);
    QVERIFY(animation.running());
    animation.step();
    QVERIFY(isErase(surface, before));
    QCOMPARE(surface.sweeps[before].frame.k, 14.0);
}

void TstAnimation::stopDropsEveryRun() {
    RecordingSurface surface;
    Animation animation(surface);
    animation.start(14.0);
    animation.start(3.0);
    const std::size_t before = surface.lines.size();
    animation.stop();
    QVERIFY(!animation.running());
    animation.step();
    QCOMPARE(surface.lines.size(), before);
}

// Nested runs are plain objects on a stack: a thousand of them cost no native stack, and each
// resumes with its own wave number when the ones inside it have ended.
void TstAnimation::thousandNestedRuns() {
    RecordingSurface surface;
    Animation animation(surface);
    for (int i = 0; i < 1000; ++i) {
        animation.start(14.0 + i);
    }
    for (int i = 999; i >= 997; --i) {
        surface.reset();
        runToEnd(animation);
        QCOMPARE(surface.sweeps.size(), std::size_t{2} * kFramesPerRun - 1);
        QCOMPARE(surface.sweeps.front().frame.t, plot::kTimeStart);
        for (const Sweep& sweep : surface.sweeps) {
            QCOMPARE(sweep.frame.k, 14.0 + i);
        }
    }
    QVERIFY(animation.running());
    animation.stop();
    QVERIFY(!animation.running());
}

QTEST_APPLESS_MAIN(TstAnimation)
#include "tst_animation.moc"
