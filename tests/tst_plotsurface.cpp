#include "palette.h"
#include "plot_surface.h"
#include "sweep.h"

#include <QTest>

#include <cmath>

using plot::PlotSurface;
using plot::SweepMode;

namespace {

constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kGrey = qRgb(128, 128, 128);
constexpr QRgb kRed = qRgb(128, 0, 0);
constexpr QRgb kGreen = qRgb(0, 128, 0);
constexpr QRgb kBlue = qRgb(0, 0, 255);

int countColour(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        count += int(std::count(line, line + image.width(), colour));
    }
    return count;
}

// The column of the image that user coordinate x falls in.
int column(const QImage& image, double x) {
    return int(std::floor((float(x) + 4.0f) * float(image.width()) / 13.5f));
}

int row(const QImage& image, double y) {
    return int(std::floor((float(y) - 1.8f) * float(image.height()) / (-6.3f - 1.8f)));
}

// The highest (smallest) row of the given colour in a column, or -1.
int topmost(const QImage& image, int x, QRgb colour) {
    for (int y = 0; y < image.height(); ++y) {
        if (image.pixel(x, y) == colour) {
            return y;
        }
    }
    return -1;
}

}  // namespace

class TstPlotSurface : public QObject {
    Q_OBJECT

private slots:
    void startsBlankWhiteInsideItsFrame();
    void baselineSpansTheWidth();
    void firstFrameShowsTwoPackets();
    void densityNeverTouchesTheBaseline();
    void eraseLeavesOnlyTheBaseline_data();
    void eraseLeavesOnlyTheBaseline();
    void clearReturnsToWhiteAndKeepsTheScale();
    void flushRepaintsOnlyWhatChanged();
};

void TstPlotSurface::startsBlankWhiteInsideItsFrame() {
    QWidget parent;
    PlotSurface surface({4, 4, 633, 201}, &parent);
    QCOMPARE(surface.geometry(), QRect(4, 4, 633, 201));
    QVERIFY(surface.frameWidth() > 0);
    QCOMPARE(surface.image().size(), surface.contentsRect().size() * surface.devicePixelRatioF());
    QCOMPARE(surface.image().format(), QImage::Format_RGB32);
    QCOMPARE(countColour(surface.image(), kWhite),
             surface.image().width() * surface.image().height());
}

void TstPlotSurface::baselineSpansTheWidth() {
    QWidget parent;
    PlotSurface surface({4, 4, 633, 201}, &parent);
    plot::setUp(surface);
    const QImage& image = surface.image();
    const int baseline = row(image, -5.54);
    QCOMPARE(countColour(image, kGrey), image.width());
    for (int x = 0; x < image.width(); ++x) {
        QCOMPARE(image.pixel(x, baseline), kGrey);
    }
    QVERIFY(row(image, -5.5) < baseline);
}

// t = 0, k = 14: density bumps of 0.7 at x = -P and x = 12 - P, flat between them.
void TstPlotSurface::firstFrameShowsTwoPackets() {
    QWidget parent;
    PlotSurface surface({4, 4, 633, 201}, &parent);
    plot::setUp(surface);
    plot::TraceState trace;
    plot::sweep(surface, 0.0, 14.0, 7.0, SweepMode::Draw, trace);
    const QImage& image = surface.image();
    const double p = 3.1416;
    for (const double centre : {-p, 12 - p}) {
        const int peak = topmost(image, column(image, centre), kBlue);
        QVERIFY(std::abs(peak - row(image, 0.7 - 5.5)) <= 1);
    }
    const double middle = 6 - p;
    QCOMPARE(topmost(image, column(image, middle), kBlue), row(image, -5.5));
    QCOMPARE(topmost(image, column(image, middle), kRed), row(image, -0.7));
    QVERIFY(std::abs(topmost(image, column(image, middle), kGreen) - row(image, -0.75)) <= 1);
    // Inside the first envelope the real and imaginary traces swing up and down.
    int redRows = 0;
    for (int y = 0; y < image.height(); ++y) {
        redRows += image.pixel(column(image, -p + 0.1), y) == kRed ? 1 : 0;
    }
    QVERIFY(topmost(image, column(image, -p), kGreen) <= row(image, 1.0 - 0.75) + 1);
    QVERIFY(redRows >= 1);
}

void TstPlotSurface::densityNeverTouchesTheBaseline() {
    QWidget parent;
    PlotSurface surface({4, 4, 633, 201}, &parent);
    plot::setUp(surface);
    plot::TraceState trace;
    for (double t = 0.0; t <= 1.3; t += 0.1) {
        plot::sweep(surface, t, 14.0, 7.0, SweepMode::Draw, trace);
    }
    const QImage& image = surface.image();
    const int baseline = row(image, -5.54);
    for (int x = 0; x < image.width(); ++x) {
        QCOMPARE(image.pixel(x, baseline), kGrey);
    }
}

void TstPlotSurface::eraseLeavesOnlyTheBaseline_data() {
    QTest::addColumn<double>("k");
    QTest::addColumn<double>("t");
    QTest::newRow("k 14 start") << 14.0 << 0.0;
    QTest::newRow("k 14 overlap") << 14.0 << 6.0 / 7.0;
    QTest::newRow("k 3") << 3.0 << 0.5;
    QTest::newRow("k 1000") << 1000.0 << 0.0;
    QTest::newRow("k -40") << -40.0 << 0.2;
}

// Drawing a frame and erasing it at the same t leaves the surface as set-up left it, pixel for
// pixel.
void TstPlotSurface::eraseLeavesOnlyTheBaseline() {
    QFETCH(double, k);
    QFETCH(double, t);
    QWidget parent;
    PlotSurface surface({4, 4, 633, 201}, &parent);
    plot::setUp(surface);
    const QImage before = surface.image().copy();
    plot::TraceState trace{0.3, -0.2, 1.1};
    plot::sweep(surface, t, k, k / 2, SweepMode::Draw, trace);
    QVERIFY(surface.image() != before);
    plot::sweep(surface, t, k, k / 2, SweepMode::Erase, trace);
    QCOMPARE(surface.image(), before);
}

void TstPlotSurface::clearReturnsToWhiteAndKeepsTheScale() {
    QWidget parent;
    PlotSurface surface({4, 4, 633, 201}, &parent);
    plot::setUp(surface);
    surface.clear();
    const QImage& image = surface.image();
    QCOMPARE(countColour(image, kWhite), image.width() * image.height());
    surface.line(-4.0f, -5.54f, 9.5f, -5.54f, kGrey);
    QCOMPARE(image.pixel(0, row(image, -5.54)), kGrey);
}

void TstPlotSurface::flushRepaintsOnlyWhatChanged() {
    PlotSurface surface({0, 0, 633, 201}, nullptr);
    surface.show();
    QVERIFY(QTest::qWaitForWindowExposed(&surface));
    plot::setUp(surface);
    surface.line(0.0f, 0.0f, 1.0f, 0.5f, kRed);
    surface.flush();
    // Nothing to flush twice over; a later paint of the whole widget shows the image.
    surface.flush();
    surface.repaint();
    const QImage grabbed = surface.grab().toImage();
    const QPoint inside = surface.contentsRect().topLeft();
    QCOMPARE(grabbed.pixel(inside + QPoint(1, 1)), kWhite);
    QCOMPARE(
        grabbed.pixel(inside + QPoint(column(surface.image(), 0.0), row(surface.image(), 0.0))),
        kRed);
}

QTEST_MAIN(TstPlotSurface)
#include "tst_plotsurface.moc"
