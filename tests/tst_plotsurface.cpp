#include "animation.h"
#include "offscreen_screens.h"
#include "palette.h"
#include "plot_picture.h"
#include "plot_surface.h"
#include "raster.h"
#include "sweep.h"

#include <QApplication>
#include <QBackingStore>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

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
    plot::setUp(plot.picture());
    animation.start(14.0);
    for (int i = 0; i < 30; ++i) {
        animation.step();
    }
    if (content == Content::NestedRun) {
        plot::setUp(plot.picture());
        animation.start(20.0);
    } else if (content == Content::AfterClear) {
        plot.picture().clear();
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

// What drawing and erasing the traces segment by segment leaves, each line walked in turn.
class PlainSurface final : public plot::Surface {
public:
    explicit PlainSurface(QSize size) : image_(size, QImage::Format_RGB32) { image_.fill(kWhite); }
    void scale(float left, float top, float right, float bottom) override {
        mapping_ = {left, top, right, bottom, image_.width(), image_.height()};
    }
    void line(float x1, float y1, float x2, float y2, QRgb colour) override {
        plot::drawLine(image_, mapping_.toPixel(x1, y1), mapping_.toPixel(x2, y2), colour);
    }
    void draw(const plot::Frame&, std::span<const plot::Segment> segments) override {
        for (const plot::Segment& s : segments) {
            line(s.x1, s.y1, s.x2, s.y2, s.colour);
        }
    }
    void erase(const plot::Frame& frame, std::span<const plot::Segment> segments) override {
        draw(frame, segments);
    }
    void clear() override { image_.fill(kWhite); }
    void flush() override {}
    const QImage& image() const { return image_; }

private:
    QImage image_;
    plot::PixelMapping mapping_;
};

// What a user does to the plot, in the window's order: RUN sets up the plot and starts a run
// over whatever runs are going; a tick steps the innermost run.
struct Action {
    enum { Run, Ticks, Clear } kind;
    double value = 0.0;  // the wave number of a run, or the count of ticks
};

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
    void changesOnlyWhatTheFramesChange_data();
    void changesOnlyWhatTheFramesChange();
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
    plot::setUp(surface.picture());
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
    plot::setUp(surface.picture());
    plot::TraceState trace;
    plot::sweep(surface.picture(), {0.0, 14.0, 7.0, trace}, SweepMode::Draw, trace);
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
    plot::setUp(surface.picture());
    plot::TraceState trace;
    for (double t = 0.0; t <= 1.3; t += 0.1) {
        plot::sweep(surface.picture(), {t, 14.0, 7.0, trace}, SweepMode::Draw, trace);
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
    plot::setUp(surface.picture());
    const QImage before = surface.image().copy();
    plot::TraceState trace{0.3, -0.2, 1.1};
    const plot::Frame frame{t, k, k / 2, trace};
    plot::sweep(surface.picture(), frame, SweepMode::Draw, trace);
    QVERIFY(surface.image() != before);
    plot::sweep(surface.picture(), frame, SweepMode::Erase, trace);
    QCOMPARE(surface.image(), before);
}

void TstPlotSurface::clearReturnsToWhiteAndKeepsTheScale() {
    QWidget parent;
    PlotSurface surface(kPlotGeometry, &parent);
    plot::setUp(surface.picture());
    surface.picture().clear();
    const QImage& image = surface.image();
    QCOMPARE(countColour(image, kWhite), image.width() * image.height());
    const auto y = float(plot::kBaselineY);
    surface.picture().line(plot::kPlotLeft, y, plot::kPlotRight, y, kGrey);
    surface.picture().flush();
    QCOMPARE(image.pixel(0, row(image, plot::kBaselineY)), kGrey);
}

void TstPlotSurface::flushRepaintsOnlyWhatChanged() {
    PlotSurface surface(QRect(QPoint(0, 0), kPlotGeometry.size()), nullptr);
    surface.show();
    QVERIFY(QTest::qWaitForWindowExposed(&surface));
    plot::setUp(surface.picture());
    surface.picture().line(0.0f, 0.0f, 1.0f, 0.5f, kRed);
    surface.picture().flush();
    // Nothing to flush twice over; a later paint of the whole widget shows the image.
    surface.picture().flush();
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
    plot::Animation movedRun(moved.plot->picture());
    drawContent(content, *moved.plot, movedRun);
    PlotWindow there(to);
    plot::Animation thereRun(there.plot->picture());
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
    plot::setUp(window.plot->picture());
    plot::Animation animation(window.plot->picture());
    animation.start(14.0);
    for (int i = 0; i < 170; ++i) {  // up to where the packets overlap
        animation.step();
        QCoreApplication::processEvents();
    }
    const QImage& image = window.plot->image();
    QCOMPARE(image.devicePixelRatio(), ratio);
    const std::array plotColours{kWhite, kGrey, kRed, kGreen, kBlue};
    int plotted = 0;
    for (const QRgb colour : plotColours) {
        QVERIFY(countColour(image, colour) > 0);
        plotted += countColour(image, colour);
    }
    QCOMPARE(plotted, image.width() * image.height());

    const QImage& shown = window.shown();
    const QPointF corner =
        QPointF(window.plot->geometry().topLeft() + window.plot->contentsRect().topLeft()) * ratio;
    const QRect onScreen(QPoint(int(std::floor(corner.x())), int(std::floor(corner.y()))),
                         image.size());
    // Every device pixel wholly inside the frame shows the image; those it shares with the frame
    // may be the frame's or white.
    const QRectF inside(corner, QSizeF(window.plot->contentsRect().size()) * ratio);
    const QRect inner(
        QPoint(int(std::ceil(inside.left())), int(std::ceil(inside.top()))),
        QPoint(int(std::floor(inside.right())) - 1, int(std::floor(inside.bottom())) - 1));
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
    std::array<QPoint, 4> innermost;  // the last white pixel out from each side, in their order
    for (std::size_t side = 0; side < sides.size(); ++side) {
        const auto& [start, outwards] = sides[side];
        QPoint p = start;
        while (shown.pixel(p) == kWhite) {
            p += outwards;
        }
        innermost[side] = p - outwards;
        int frame = 0;
        for (; shown.pixelColor(p) != kWindowGrey; p += outwards) {
            QVERIFY2(shown.pixel(p) != kWhite, "white beyond the frame");
            ++frame;
        }
        QVERIFY2(frame >= 1, "no frame between the plot and the window");
        QVERIFY(frame <= int(std::ceil(ratio)) + 1);
    }

    // Inside the frame's lines, into all four corners, there is only the plot; the lines run
    // straight to the corners, and past a corner there is no white.
    const QRect enclosed(QPoint(innermost[0].x(), innermost[2].y()),
                         QPoint(innermost[1].x(), innermost[3].y()));
    int foreign = 0;
    for (int y = enclosed.top(); y <= enclosed.bottom(); ++y) {
        for (int x = enclosed.left(); x <= enclosed.right(); ++x) {
            foreign += std::count(plotColours.begin(), plotColours.end(), shown.pixel(x, y)) == 0;
        }
    }
    QCOMPARE(foreign, 0);
    const auto isFrame = [&](int x, int y) {
        return shown.pixel(x, y) != kWhite && shown.pixelColor(x, y) != kWindowGrey;
    };
    for (int x = enclosed.left(); x <= enclosed.right(); ++x) {
        QVERIFY(isFrame(x, enclosed.top() - 1) && isFrame(x, enclosed.bottom() + 1));
    }
    for (int y = enclosed.top(); y <= enclosed.bottom(); ++y) {
        QVERIFY(isFrame(enclosed.left() - 1, y) && isFrame(enclosed.right() + 1, y));
    }
    const std::array<std::pair<QPoint, QPoint>, 4> corners{{{enclosed.topLeft(), {-1, -1}},
                                                            {enclosed.topRight(), {1, -1}},
                                                            {enclosed.bottomLeft(), {-1, 1}},
                                                            {enclosed.bottomRight(), {1, 1}}}};
    for (const auto& [from, outwards] : corners) {
        for (QPoint p = from + outwards; shown.pixelColor(p) != kWindowGrey; p += outwards) {
            QVERIFY2(shown.pixel(p) != kWhite, "white beyond a corner of the frame");
        }
    }

    // Frame and plot alike, what the changes left is what painting the whole plot shows.
    const QImage changed = shown.copy();
    window.plot->repaint();
    QCOMPARE(window.shown(), changed);
}

void TstPlotSurface::changesOnlyWhatTheFramesChange_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<std::vector<Action>>("actions");
    constexpr int kWholeRun = plot::kFramesPerRun;
    const std::array<std::pair<const char*, std::vector<Action>>, 7> scripts{{
        {"k 1", {{Action::Run, 1.0}, {Action::Ticks, kWholeRun}}},
        {"k 14", {{Action::Run, 14.0}, {Action::Ticks, kWholeRun}}},
        {"k 100", {{Action::Run, 100.0}, {Action::Ticks, kWholeRun}}},
        {"k 1000", {{Action::Run, 1000.0}, {Action::Ticks, kWholeRun}}},
        {"nested runs",
         {{Action::Run, 14.0},
          {Action::Ticks, 120},
          {Action::Run, 20.0},
          {Action::Ticks, 40},
          {Action::Run, 3.0},
          {Action::Ticks, 3 * kWholeRun}}},
        {"clear in a run",
         {{Action::Run, 14.0}, {Action::Ticks, 150}, {Action::Clear}, {Action::Ticks, kWholeRun}}},
        {"clear in nested runs",
         {{Action::Run, 14.0},
          {Action::Ticks, 100},
          {Action::Run, 14.0},
          {Action::Ticks, 10},
          {Action::Clear},
          {Action::Ticks, 2 * kWholeRun}}},
    }};
    // The plot's image at ratios 1 and 2.
    for (const QSize size : {QSize(631, 199), QSize(1262, 398)}) {
        for (const auto& [name, actions] : scripts) {
            QTest::addRow("%s, %dx%d", name, size.width(), size.height()) << size << actions;
        }
    }
}

// After every flush the picture is what drawing each segment in turn gives, and the presenter
// is told the smallest rectangle that holds every pixel whose colour changed.
void TstPlotSurface::changesOnlyWhatTheFramesChange() {
    QFETCH(QSize, size);
    QFETCH(std::vector<Action>, actions);
    plot::PlotPicture picture;
    picture.resize(size, 1.0);
    PlainSurface plain(size);
    QImage before = picture.image().copy();
    QRect told;
    picture.setPresenter([&](const QRect& changed) { told |= changed; });
    int flushes = 0;
    const auto matches = [&] {
        ++flushes;
        if (picture.image() != plain.image()) {
            return false;
        }
        QRect differing;
        for (int y = 0; y < size.height(); ++y) {
            const auto* now = reinterpret_cast<const QRgb*>(picture.image().constScanLine(y));
            auto* then = reinterpret_cast<QRgb*>(before.scanLine(y));
            for (int x = 0; x < size.width(); ++x) {
                if (now[x] != then[x]) {
                    differing |= QRect(x, y, 1, 1);
                    then[x] = now[x];
                }
            }
        }
        return std::exchange(told, QRect()) == differing;
    };
    const auto failedAt = [&] { return QStringLiteral("flush %1").arg(flushes).toLocal8Bit(); };
    plot::Animation pictured(picture);
    plot::Animation plainly(plain);
    for (const Action& action : actions) {
        if (action.kind == Action::Run) {
            plot::setUp(picture);
            plot::setUp(plain);
            QVERIFY2(matches(), failedAt());
            pictured.start(action.value);
            plainly.start(action.value);
            QVERIFY2(matches(), failedAt());
        } else if (action.kind == Action::Clear) {
            picture.clear();
            plain.clear();
            QVERIFY2(matches(), failedAt());
        } else {
            for (int i = 0; i < int(action.value) && pictured.running(); ++i) {
                pictured.step();
                plainly.step();
                QVERIFY2(matches(), failedAt());
            }
        }
    }
    QVERIFY(!pictured.running());
}

int main(int argc, char** argv) {
    const QTemporaryDir dir(offscreen::kConfigDir);
    if (!offscreen::setUpScreens(kRatios, dir)) {
        return 1;
    }

    QApplication application(argc, argv);
    TstPlotSurface test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_plotsurface.moc"
