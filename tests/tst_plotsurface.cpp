#include "animation.h"
#include "offscreen_screens.h"
#include "palette.h"
#include "plot_surface.h"
#include "sweep.h"

#include <QApplication>
#include <QBackingStore>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <cmath>

using plot::PlotSurface;
using plot::SweepMode;

namespace {

using plot::kWhite;
constexpr QRgb kGrey = plot::kBaselineColour;
constexpr QRgb kRed = plot::kRealColour;
constexpr QRgb kGreen = plot::kImaginaryColour;
constexpr QRgb kBlue = plot::kDensityColour;

// One screen for each ratio the plot is checked at, side by side, as monitors of different scales
// are on one desktop.
constexpr std::array kRatios{1.0, 1.25, 1.5, 1.75, 2.0, 2.25, 2.5, 2.75, 3.0};
constexpr QRect kPlotGeometry(4, 4, 633, 201);  // where the window puts its plot
const QColor kWindowGrey(0xE0, 0xE0, 0xE0);

// A window holding a plot as the program's window does, on the screen of a ratio.
struct PlotWindow {
    explicit PlotWindow(qreal ratio) {
        QPalette palette = window.palette();
        palette.setColor(QPalette::Window, kWindowGrey);
        window.setPalette(palette);
        window.setAutoFillBackground(true);
        window.resize(705, 212);
        moveTo(ratio);
        window.show();
    }
    void moveTo(qreal ratio) { window.move(offscreen::screenOf(ratio)->geometry().topLeft()); }
    // The window's pixels as the last paints left them.
    const QImage& shown() { return *dynamic_cast<QImage*>(window.backingStore()->paintDevice()); }

    QWidget window;
    PlotSurface* plot = new PlotSurface(kPlotGeometry, &window);
};

enum class Content { HeldFrame, NestedRun, AfterClear };

// What a run of the program leaves on the plot, none of it with marks of earlier frames.
void drawContent(Content content, PlotSurface& plot, plot::Animation& animation) {
    plot::setUp(plot);
    animation.start(14.0);
    for (int i = 0; i < 30; ++i) {
        animation.step();
    }
    if (content == Content::NestedRun) {
        plot::setUp(plot);
        animation.start(20.0);
    } else if (content == Content::AfterClear) {
        plot.clear();
        animation.step();
    }
}

int countColour(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        count += int(std::count(line, line + image.width(), colour));
    }
    return count;
}

// The image pixel that user coordinates fall in, narrowed to float as the sweep hands them on.
plot::PixelMapping mapping(const QImage& image) {
    return {plot::kPlotLeft,   plot::kPlotTop, plot::kPlotRight,
            plot::kPlotBottom, image.width(),  image.height()};
}

int column(const QImage& image, double x) {
    return int(mapping(image).column(float(x)));
}

int row(const QImage& image, double y) {
    return int(mapping(image).row(float(y)));
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
    void followsTheScreensRatio_data();
    void followsTheScreensRatio();
    void paintedUpToTheFrame_data();
    void paintedUpToTheFrame();
};

void TstPlotSurface::startsBlankWhiteInsideItsFrame() {
    QWidget parent;
    PlotSurface surface(kPlotGeometry, &parent);
    QCOMPARE(surface.geometry(), kPlotGeometry);
    QVERIFY(surface.frameWidth() > 0);
    QCOMPARE(surface.image().size(), surface.contentsRect().size() * surface.devicePixelRatioF());
    QCOMPARE(surface.image().format(), QImage::Format_RGB32);
    QCOMPARE(countColour(surface.image(), kWhite),
             surface.image().width() * surface.image().height());
}

void TstPlotSurface::baselineSpansTheWidth() {
    QWidget parent;
    PlotSurface surface(kPlotGeometry, &parent);
    plot::setUp(surface);
    const QImage& image = surface.image();
    const int baseline = row(image, plot::kBaselineY);
    QCOMPARE(countColour(image, kGrey), image.width());
    for (int x = 0; x < image.width(); ++x) {
        QCOMPARE(image.pixel(x, baseline), kGrey);
    }
    QVERIFY(row(image, -plot::kDensityOffset) < baseline);
}

// t = 0, k = 14: density bumps of 0.7 at x = -P and x = 12 - P, flat between them.
void TstPlotSurface::firstFrameShowsTwoPackets() {
    QWidget parent;
    PlotSurface surface(kPlotGeometry, &parent);
    plot::setUp(surface);
    plot::TraceState trace;
    plot::sweep(surface, {0.0, 14.0, 7.0, trace}, SweepMode::Draw, trace);
    const QImage& image = surface.image();
    const double p = field::FieldParameters::offset;
    for (const double centre : {-p, 12 - p}) {
        const int peak = topmost(image, column(image, centre), kBlue);
        QVERIFY(std::abs(peak - row(image, 0.7 - 5.5)) <= 1);
    }
    const double middle = 6 - p;
    QCOMPARE(topmost(image, column(image, middle), kBlue), row(image, -plot::kDensityOffset));
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
    PlotSurface surface(kPlotGeometry, &parent);
    plot::setUp(surface);
    plot::TraceState trace;
    for (double t = 0.0; t <= 1.3; t += 0.1) {
        plot::sweep(surface, {t, 14.0, 7.0, trace}, SweepMode::Draw, trace);
    }
    const QImage& image = surface.image();
    const int baseline = row(image, plot::kBaselineY);
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
    PlotSurface surface(kPlotGeometry, &parent);
    plot::setUp(surface);
    const QImage before = surface.image().copy();
    plot::TraceState trace{0.3, -0.2, 1.1};
    const plot::Frame frame{t, k, k / 2, trace};
    plot::sweep(surface, frame, SweepMode::Draw, trace);
    QVERIFY(surface.image() != before);
    plot::sweep(surface, frame, SweepMode::Erase, trace);
    QCOMPARE(surface.image(), before);
}

void TstPlotSurface::clearReturnsToWhiteAndKeepsTheScale() {
    QWidget parent;
    PlotSurface surface(kPlotGeometry, &parent);
    plot::setUp(surface);
    surface.clear();
    const QImage& image = surface.image();
    QCOMPARE(countColour(image, kWhite), image.width() * image.height());
    const auto y = float(plot::kBaselineY);
    surface.line(plot::kPlotLeft, y, plot::kPlotRight, y, kGrey);
    QCOMPARE(image.pixel(0, row(image, plot::kBaselineY)), kGrey);
}

void TstPlotSurface::flushRepaintsOnlyWhatChanged() {
    PlotSurface surface(QRect(QPoint(0, 0), kPlotGeometry.size()), nullptr);
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

void TstPlotSurface::followsTheScreensRatio_data() {
    QTest::addColumn<qreal>("from");
    QTest::addColumn<qreal>("to");
    QTest::addColumn<Content>("content");
    const std::array<std::pair<const char*, Content>, 3> contents{
        {{"held frame", Content::HeldFrame},
         {"nested run", Content::NestedRun},
         {"after clear", Content::AfterClear}}};
    for (const qreal from : {1.0, 1.25, 1.5, 2.0}) {
        for (const qreal to : {1.0, 1.25, 1.5, 2.0}) {
            for (const auto& [name, content] : contents) {
                if (from != to) {
                    QTest::addRow("%g to %g, %s", from, to, name) << from << to << content;
                }
            }
        }
    }
}

// Moved to a screen of another ratio, the plot shows what it would show had it been drawn there
// from the start, and goes on as it would have there.
void TstPlotSurface::followsTheScreensRatio() {
    QFETCH(qreal, from);
    QFETCH(qreal, to);
    QFETCH(Content, content);
    PlotWindow moved(from);
    plot::Animation movedRun(*moved.plot);
    drawContent(content, *moved.plot, movedRun);
    PlotWindow there(to);
    plot::Animation thereRun(*there.plot);
    drawContent(content, *there.plot, thereRun);

    moved.moveTo(to);
    QCOMPARE(moved.plot->image().devicePixelRatio(), to);
    QCOMPARE(moved.plot->image(), there.plot->image());
    // The next erase takes off exactly what the frame drawn again had drawn.
    movedRun.step();
    thereRun.step();
    QCOMPARE(moved.plot->image(), there.plot->image());
}

void TstPlotSurface::paintedUpToTheFrame_data() {
    QTest::addColumn<qreal>("ratio");
    for (const qreal ratio : kRatios) {
        QTest::addRow("%g", ratio) << ratio;
    }
}

// Frame after frame painted only where it changed, the window shows the plot's image pixel for
// pixel, in pure colours, white up to the frame on all four sides.
void TstPlotSurface::paintedUpToTheFrame() {
    QFETCH(qreal, ratio);
    PlotWindow window(ratio);
    QCoreApplication::processEvents();
    plot::setUp(*window.plot);
    plot::Animation animation(*window.plot);
    animation.start(14.0);
    for (int i = 0; i < 170; ++i) {  // up to where the packets overlap
        animation.step();
        QCoreApplication::processEvents();
    }
    const QImage& image = window.plot->image();
    QCOMPARE(image.devicePixelRatio(), ratio);
    for (const QRgb colour : {kWhite, kGrey, kRed, kGreen, kBlue}) {
        QVERIFY(countColour(image, colour) > 0);
    }
    QCOMPARE(countColour(image, kWhite) + countColour(image, kGrey) + countColour(image, kRed) +
                 countColour(image, kGreen) + countColour(image, kBlue),
             image.width() * image.height());

    const QImage& shown = window.shown();
    const QPointF corner =
        QPointF(window.plot->geometry().topLeft() + window.plot->contentsRect().topLeft()) * ratio;
    const QRect onScreen(QPoint(int(std::floor(corner.x())), int(std::floor(corner.y()))),
                         image.size());
    // The frame may cover the image's outermost device pixels, and nothing else of it.
    const QRect inner = onScreen.adjusted(1, 1, -1, -1);
    int differing = 0;
    for (int y = inner.top(); y <= inner.bottom(); ++y) {
        for (int x = inner.left(); x <= inner.right(); ++x) {
            differing += shown.pixel(x, y) != image.pixel(x - onScreen.x(), y - onScreen.y());
        }
    }
    QCOMPARE(differing, 0);

    // Outwards from the middle of each side: white, then the frame, then the window's grey.
    const QPoint middle = onScreen.center();
    const std::array<std::pair<QPoint, QPoint>, 4> sides{
        {{QPoint(onScreen.left(), middle.y()), {-1, 0}},
         {QPoint(onScreen.right(), middle.y()), {1, 0}},
         {QPoint(middle.x(), onScreen.top()), {0, -1}},
         {QPoint(middle.x(), onScreen.bottom()), {0, 1}}}};
    for (const auto& [start, outwards] : sides) {
        QPoint p = start;
        while (shown.pixel(p) == kWhite) {
            p += outwards;
        }
        int frame = 0;
        for (; shown.pixelColor(p) != kWindowGrey; p += outwards) {
            QVERIFY2(shown.pixel(p) != kWhite, "white beyond the frame");
            ++frame;
        }
        QVERIFY2(frame >= 1, "no frame between the plot and the window");
        QVERIFY(frame <= int(std::ceil(ratio)) + 1);
    }
}

int main(int argc, char** argv) {
    const QTemporaryDir dir;
    if (!offscreen::setUpScreens(kRatios, dir)) {
        return 1;
    }

    QApplication application(argc, argv);
    TstPlotSurface test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_plotsurface.moc"
