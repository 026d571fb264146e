#include "animation.h"
#include "palette.h"
#include "recording_surface.h"

#include <QTest>

using plot::Animation;
using Outcome = plot::Animation::Outcome;

namespace {

constexpr std::size_t kLinesPerSweep = 3 * plot::kSamplesPerSweep;

bool isErase(const RecordingSurface& surface, std::size_t sweep) {
    return surface.lines.at(sweep * kLinesPerSweep).colour == plot::kWhite;
}

// Steps until the innermost run of the given depth has ended.
int runToEnd(Animation& animation) {
    const std::size_t depth = animation.depth();
    int steps = 0;
    while (animation.depth() >= depth) {
        animation.step(false);
        ++steps;
    }
    return steps;
}

}  // namespace

class TstAnimation : public QObject {
    Q_OBJECT

private slots:
    void runsTwoHundredSixtyOneFrames();
    void framesAlternateDrawAndErase();
    void holdKeepsTheFrame();
    void nestedRunCompletesFirst();
    void traceStateIsCarriedThroughTheRun();
    void nonFiniteFieldStopsTheRunBeforeDrawing_data();
    void nonFiniteFieldStopsTheRunBeforeDrawing();
    void stopDropsEveryRun();
    void thousandNestedRuns();
};

void TstAnimation::runsTwoHundredSixtyOneFrames() {
    RecordingSurface surface;
    Animation animation(surface);
    QCOMPARE(animation.start(14.0).outcome, Outcome::Drawn);
    QCOMPARE(animation.innermost()->v, 7.0);
    int drawn = 1;
    double lastT = 0.0;
    for (;;) {
        lastT = animation.innermost()->t;
        const Animation::Result result = animation.step(false);
        if (result.outcome == Outcome::Finished) {
            break;
        }
        QCOMPARE(result.outcome, Outcome::Drawn);
        ++drawn;
    }
    QCOMPARE(drawn, 261);
    QVERIFY(lastT <= 1.3 && lastT + 0.005 > 1.3);
    QVERIFY(!animation.running());
    QCOMPARE(surface.lines.size(), std::size_t{2} * 261 * kLinesPerSweep);
    QCOMPARE(animation.step(false).outcome, Outcome::Idle);
}

void TstAnimation::framesAlternateDrawAndErase() {
    RecordingSurface surface;
    Animation animation(surface);
    animation.start(14.0);
    for (int i = 0; i < 5; ++i) {
        animation.step(false);
    }
    QCOMPARE(surface.lines.size(), 11 * kLinesPerSweep);
    for (std::size_t sweep = 0; sweep < 11; ++sweep) {
        QCOMPARE(isErase(surface, sweep), sweep % 2 == 1);
    }
    // Each erase retraces the frame drawn just before it.
    const std::size_t drawStart = 2 * kLinesPerSweep;
    const std::size_t eraseStart = 3 * kLinesPerSweep;
    for (std::size_t i = 3; i < kLinesPerSweep; ++i) {
        QCOMPARE(surface.lines[eraseStart + i].y2, surface.lines[drawStart + i].y2);
    }
}

void TstAnimation::holdKeepsTheFrame() {
    RecordingSurface surface;
    Animation animation(surface);
    animation.start(14.0);
    for (int i = 0; i < 50; ++i) {
        QCOMPARE(animation.step(true).outcome, Outcome::Held);
    }
    QCOMPARE(surface.lines.size(), kLinesPerSweep);
    QCOMPARE(animation.innermost()->t, 0.0);
    animation.step(false);
    QCOMPARE(animation.innermost()->t, 0.005);
    QCOMPARE(animation.innermost()->frame, 1);
}

// A run started while another is held runs all its frames; then the outer run erases its held
// frame and goes on with its own wave number and time.
void TstAnimation::nestedRunCompletesFirst() {
    RecordingSurface surface;
    Animation animation(surface);
    animation.start(14.0);
    for (int i = 0; i < 10; ++i) {
        animation.step(false);
    }
    const double outerT = animation.innermost()->t;
    animation.step(true);
    QCOMPARE(animation.start(20.0).outcome, Outcome::Drawn);
    QCOMPARE(animation.depth(), 2u);
    QCOMPARE(animation.innermost()->k, 20.0);
    QCOMPARE(runToEnd(animation), 261);
    QCOMPARE(animation.depth(), 1u);
    QCOMPARE(animation.innermost()->k, 14.0);
    QCOMPARE(animation.innermost()->t, outerT);
    const std::size_t before = surface.lines.size();
    animation.step(false);
    QVERIFY(isErase(surface, before / kLinesPerSweep));
    QCOMPARE(animation.innermost()->t, outerT + 0.005);
}

// The first segment of each sweep starts from the last sample of the sweep before it.
void TstAnimation::traceStateIsCarriedThroughTheRun() {
    RecordingSurface surface;
    Animation animation(surface);
    animation.start(14.0);
    animation.step(false);
    animation.step(false);
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

void TstAnimation::nonFiniteFieldStopsTheRunBeforeDrawing() {
    QFETCH(double, k);
    RecordingSurface surface;
    Animation animation(surface);
    animation.start(14.0);
    const std::size_t before = surface.lines.size();
    const Animation::Result result = animation.start(k);
    QCOMPARE(result.outcome, Outcome::Failed);
    QCOMPARE(result.k, k);
    QCOMPARE(surface.lines.size(), before);
    QCOMPARE(animation.depth(), 1u);
    QCOMPARE(animation.innermost()->k, 14.0);
}

void TstAnimation::stopDropsEveryRun() {
    RecordingSurface surface;
    Animation animation(surface);
    animation.start(14.0);
    animation.start(3.0);
    const std::size_t before = surface.lines.size();
    animation.stop();
    QVERIFY(!animation.running());
    QCOMPARE(animation.step(false).outcome, Outcome::Idle);
    QCOMPARE(surface.lines.size(), before);
}

// Nested runs are plain objects on a stack: a thousand of them cost no native stack, and each
// resumes with its own wave number when the ones inside it have ended.
void TstAnimation::thousandNestedRuns() {
    RecordingSurface surface;
    Animation animation(surface);
    for (int i = 0; i < 1000; ++i) {
        animation.start(14.0 + i);
        animation.step(true);
    }
    QCOMPARE(animation.depth(), 1000u);
    for (int i = 999; i >= 997; --i) {
        QCOMPARE(animation.innermost()->k, 14.0 + i);
        surface.lines.clear();
        QCOMPARE(runToEnd(animation), 261);
        QCOMPARE(animation.depth(), std::size_t(i));
    }
    animation.stop();
    QVERIFY(!animation.running());
}

QTEST_APPLESS_MAIN(TstAnimation)
#include "tst_animation.moc"
