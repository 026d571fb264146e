#include "animation.h"
#include "field.h"
#include "palette.h"
#include "raster.h"
#include "recording_surface.h"
#include "sweep.h"

#include <QLineF>
#include <QTest>

#include <functional>
#include <vector>

Q_DECLARE_METATYPE(plot::SweepMode)

using plot::SweepMode;
using plot::TraceState;

class TstSweep : public QObject {
    Q_OBJECT

private slots:
    void setUpScalesAndDrawsTheBaseline();
    void firstSweepStartsFromEmptyState();
    void vectorSweepPlotsAsEvaluateDoes_data();
    void vectorSweepPlotsAsEvaluateDoes();
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

void TstSweep::vectorSweepPlotsAsEvaluateDoes_data() {
    QTest::addColumn<double>("k");
    QTest::addColumn<int>("ratio");
    for (const double k : {1.0, 14.0, 100.0, 1000.0}) {
        for (const int ratio : {1, 2}) {
            QTest::addRow("k %g, ratio %d", k, ratio) << k << ratio;
        }
    }
}

// Through a whole run, every segment of every frame joins the same two pixels of the plot's
// image whether the sweep's samples come all at once, from the machine's vector unit or any
// other it has, or one at a time from evaluate() along the sweep as it is defined. At k = 1000
// the envelopes' exponents leave the double range late in the run.
void TstSweep::vectorSweepPlotsAsEvaluateDoes() {
    QFETCH(double, k);
    QFETCH(int, ratio);
    const plot::PixelMapping mapping(plot::kPlotLeft, plot::kPlotTop, plot::kPlotRight,
                                     plot::kPlotBottom, 631 * ratio, 199 * ratio);
    const auto pixels = [&](double x1, double y1, double x2, double y2) {
        return QLineF(mapping.toPixel(float(x1), float(y1)), mapping.toPixel(float(x2), float(y2)));
    };

    std::vector<double> x;
    for (double p = plot::kSweepStart; p <= plot::kSweepEnd; p += plot::kSweepStep) {
        x.push_back(p);
    }
    using Sampler = std::function<void(const plot::Frame&, plot::FrameSamples&)>;
    std::vector<std::pair<QByteArray, Sampler>> samplers{{"sampleSweep", plot::sampleSweep}};
    for (const auto unit :
         {field::VectorUnit::Sse2, field::VectorUnit::Avx2, field::VectorUnit::Avx512}) {
        if (field::isAvailable(unit)) {
            samplers.emplace_back(
                "vector unit " + QByteArray::number(int(unit)),
                [unit, &x](const plot::Frame& frame, plot::FrameSamples& samples) {
                    field::evaluate(x, frame.t, frame.k, frame.v,
                                    {samples.re, samples.im, samples.density}, unit);
                });
        }
    }

    std::vector<TraceState> traces(samplers.size());
    TraceState previous;
    int frames = 0;
    for (double t = plot::kTimeStart; t <= plot::kTimeEnd; t += plot::kTimeStep, ++frames) {
        std::vector<QLineF> expected;
        for (const double xi : x) {
            const field::Sample s = field::evaluate(xi, t, k, k / 2);
            const double left = xi - plot::kSweepStep;
            expected.push_back(
                pixels(left, previous.re - plot::kTraceOffset, xi, s.re - plot::kTraceOffset));
            expected.push_back(
                pixels(left, (previous.im - plot::kTraceOffset) - plot::kImaginaryExtraOffset, xi,
                       (s.im - plot::kTraceOffset) - plot::kImaginaryExtraOffset));
            expected.push_back(pixels(left, previous.density - plot::kDensityOffset, xi,
                                      s.density - plot::kDensityOffset));
            previous = {s.re, s.im, s.density};
        }
        for (std::size_t i = 0; i < samplers.size(); ++i) {
            const plot::Frame frame{t, k, k / 2, traces[i]};
            plot::FrameSamples samples;
            samplers[i].second(frame, samples);
            RecordingSurface surface;
            plot::drawSweep(surface, frame, samples, SweepMode::Draw, traces[i]);
            QCOMPARE(surface.lines.size(), expected.size());
            for (std::size_t j = 0; j < expected.size(); ++j) {
                const RecordedLine& l = surface.lines[j];
                if (pixels(l.x1, l.y1, l.x2, l.y2) != expected[j]) {
                    QFAIL(qPrintable(QStringLiteral("%1: t = %2, sample %3, trace %4")
                                         .arg(samplers[i].first)
                                         .arg(t)
                                         .arg(j / 3)
                                         .arg(j % 3)));
                }
            }
        }
    }
    QCOMPARE(frames, plot::kFramesPerRun);
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
