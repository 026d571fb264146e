#include "palette.h"
#include "recording_surface.h"
#include "sweep.h"

#include <QTest>

Q_DECLARE_METATYPE(plot::SweepMode)

using plot::SweepMode;
using plot::TraceState;

class TstSweep : public QObject {
    Q_OBJECT

private slots:
    void setUpScalesAndDrawsTheBaseline();
    void sampleCountAndPositions();
    void firstSweepStartsFromEmptyState();
    void segmentsJoinAndNarrowToFloat();
    void coloursByMode_data();
    void coloursByMode();
    void traceStateCarriesAcrossSweeps();
    void eraseRetracesTheDrawSweep();
    void oneFlushPerSweep();
    void nonFiniteSamplesAreDetected();
};

void TstSweep::setUpScalesAndDrawsTheBaseline() {
    RecordingSurface surface;
    plot::setUp(surface);
    QCOMPARE(surface.scales.size(), 1u);
    QCOMPARE(surface.scales[0].left, -4.0f);
    QCOMPARE(surface.scales[0].top, 1.8f);
    QCOMPARE(surface.scales[0].right, 9.5f);
    QCOMPARE(surface.scales[0].bottom, -6.3f);
    QCOMPARE(surface.lines.size(), 1u);
    const RecordedLine& baseline = surface.lines[0];
    QCOMPARE(baseline.x1, -4.0f);
    QCOMPARE(baseline.x2, 9.5f);
    QCOMPARE(baseline.y1, -5.539999961853027f);
    QCOMPARE(baseline.y2, baseline.y1);
    QCOMPARE(baseline.colour, qRgb(128, 128, 128));
}

void TstSweep::sampleCountAndPositions() {
    QCOMPARE(plot::kSamplesPerSweep, 746u);
    plot::FrameSamples samples;
    plot::sampleSweep({0.0, 14.0, 7.0, {}}, samples);
    double x = -4.4;
    for (const field::Sample& s : samples) {
        QCOMPARE(s.x, x);
        x += 0.02;
    }
    QVERIFY(samples.back().x < 10.5);
    QVERIFY(samples.back().x + 0.02 > 10.5);
}

void TstSweep::firstSweepStartsFromEmptyState() {
    RecordingSurface surface;
    TraceState trace;
    plot::sweep(surface, {0.0, 14.0, 7.0, trace}, SweepMode::Draw, trace);
    QCOMPARE(surface.lines.size(), 3 * 746u);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(surface.lines[i].x1, float(-4.4 - 0.02));
        QCOMPARE(surface.lines[i].x2, -4.4f);
    }
    QCOMPARE(surface.lines[0].y1, -0.7f);
    QCOMPARE(surface.lines[1].y1, float((0.0 - 0.7) - 0.05));
    QCOMPARE(surface.lines[2].y1, -5.5f);
}

void TstSweep::segmentsJoinAndNarrowToFloat() {
    RecordingSurface surface;
    TraceState trace;
    plot::sweep(surface, {0.3, 14.0, 7.0, trace}, SweepMode::Draw, trace);
    plot::FrameSamples samples;
    plot::sampleSweep({0.3, 14.0, 7.0, {}}, samples);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const field::Sample& s = samples[i];
        const RecordedLine* l = &surface.lines[3 * i];
        QCOMPARE(l[0].x1, float(s.x - 0.02));
        QCOMPARE(l[0].x2, float(s.x));
        QCOMPARE(l[0].y2, float(s.re - 0.7));
        QCOMPARE(l[1].y2, float((s.im - 0.7) - 0.05));
        QCOMPARE(l[2].y2, float(s.density - 5.5));
        if (i > 0) {
            for (int t = 0; t < 3; ++t) {
                QCOMPARE(l[t].y1, surface.lines[3 * (i - 1) + t].y2);
            }
        }
    }
}

void TstSweep::coloursByMode_data() {
    QTest::addColumn<SweepMode>("mode");
    QTest::addColumn<QRgb>("real");
    QTest::addColumn<QRgb>("imaginary");
    QTest::addColumn<QRgb>("density");
    QTest::newRow("draw") << SweepMode::Draw << qRgb(128, 0, 0) << qRgb(0, 128, 0)
                          << qRgb(0, 0, 255);
    QTest::newRow("erase") << SweepMode::Erase << qRgb(255, 255, 255) << qRgb(255, 255, 255)
                           << qRgb(255, 255, 255);
}

void TstSweep::coloursByMode() {
    QFETCH(SweepMode, mode);
    QFETCH(QRgb, real);
    QFETCH(QRgb, imaginary);
    QFETCH(QRgb, density);
    RecordingSurface surface;
    TraceState trace;
    plot::sweep(surface, {0.0, 14.0, 7.0, trace}, mode, trace);
    for (std::size_t i = 0; i < surface.lines.size(); i += 3) {
        QCOMPARE(surface.lines[i].colour, real);
        QCOMPARE(surface.lines[i + 1].colour, imaginary);
        QCOMPARE(surface.lines[i + 2].colour, density);
    }
}

// The first segment of a sweep starts where the sweep before it ended, draw or erase.
void TstSweep::traceStateCarriesAcrossSweeps() {
    RecordingSurface surface;
    TraceState trace;
    plot::sweep(surface, {0.0, 14.0, 7.0, trace}, SweepMode::Draw, trace);
    // cppcheck takes the copies below for assignments to surface.lines that reset() overwrites.
    // cppcheck-suppress redundantAssignment
    const RecordedLine lastRe = surface.lines[std::size_t{3} * 745];
    // cppcheck-suppress redundantAssignment
    const RecordedLine lastDensity = surface.lines[std::size_t{3} * 745 + 2];
    surface.reset();
    plot::sweep(surface, {0.0, 14.0, 7.0, trace}, SweepMode::Erase, trace);
    QCOMPARE(surface.lines[0].y1, lastRe.y2);
    QCOMPARE(surface.lines[2].y1, lastDensity.y2);
}

// Apart from the first segments, which start left of the surface, the erase sweep retraces the
// draw sweep exactly.
void TstSweep::eraseRetracesTheDrawSweep() {
    RecordingSurface drawn;
    RecordingSurface erased;
    TraceState trace;
    plot::sweep(drawn, {0.4, 14.0, 7.0, trace}, SweepMode::Draw, trace);
    plot::sweep(erased, {0.4, 14.0, 7.0, trace}, SweepMode::Erase, trace);
    QCOMPARE(erased.lines.size(), drawn.lines.size());
    for (std::size_t i = 3; i < drawn.lines.size(); ++i) {
        QCOMPARE(erased.lines[i].x1, drawn.lines[i].x1);
        QCOMPARE(erased.lines[i].y1, drawn.lines[i].y1);
        QCOMPARE(erased.lines[i].x2, drawn.lines[i].x2);
        QCOMPARE(erased.lines[i].y2, drawn.lines[i].y2);
    }
    for (std::size_t i = 0; i < 3; ++i) {
        QVERIFY(erased.lines[i].x2 < -4.0f);
    }
}

void TstSweep::oneFlushPerSweep() {
    RecordingSurface surface;
    TraceState trace;
    plot::sweep(surface, {0.0, 14.0, 7.0, trace}, SweepMode::Draw, trace);
    QCOMPARE(surface.flushes, 1);
}

void TstSweep::nonFiniteSamplesAreDetected() {
    plot::FrameSamples samples;
    plot::sampleSweep({0.0, 14.0, 7.0, {}}, samples);
    QVERIFY(plot::allFinite(samples));
    plot::sampleSweep({0.0, 1e308, 5e307, {}}, samples);
    QVERIFY(!plot::allFinite(samples));
}

QTEST_APPLESS_MAIN(TstSweep)
#include "tst_sweep.moc"
