#include "raster.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <set>
#include <utility>
#include <vector>

using plot::drawLine;

namespace {

constexpr QRgb kInk = qRgb(1, 2, 3);
constexpr QRgb kPaper = qRgb(255, 255, 255);

QImage blank(int width = 40, int height = 30) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(kPaper);
    return image;
}

std::set<std::pair<int, int>> inked(const QImage& image) {
    std::set<std::pair<int, int>> pixels;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != kPaper) {
                pixels.insert({x, y});
            }
        }
    }
    return pixels;
}

QRect boundingBox(const QImage& image) {
    QRect box;
    for (const auto& [x, y] : inked(image)) {
        box |= QRect(x, y, 1, 1);
    }
    return box;
}

}  // namespace

class TstRaster : public QObject {
    Q_OBJECT

private slots:
    void everyOctant_data();
    void everyOctant();
    void singlePoint();
    void clippedAtEveryEdge_data();
    void clippedAtEveryEdge();
    void redrawingInWhiteErasesExactly();
    void batchDrawsWhatTheLinesDraw();
    void mappingPicksTheContainingPixel_data();
    void mappingPicksTheContainingPixel();
};

void TstRaster::everyOctant_data() {
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    const QPoint c(20, 15);
    const QPoint ends[] = {{32, 19}, {24, 27}, {16, 27}, {8, 19},  {8, 11},  {16, 3},
                           {24, 3},  {32, 11}, {32, 15}, {20, 27}, {20, 3},  {8, 15},
                           {32, 27}, {8, 3},   {21, 16}, {19, 14}, {25, 15}, {20, 16}};
    for (const QPoint& end : ends) {
        QTest::addRow("to %d,%d", end.x(), end.y()) << c << end;
        QTest::addRow("from %d,%d", end.x(), end.y()) << end << c;
    }
}

// Both end points are drawn, one pixel per step of the major axis, each within half a pixel of
// the ideal line, and the pixels form a connected chain.
void TstRaster::everyOctant() {
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QImage image = blank();
    const QRect touched = drawLine(image, from, to, kInk);
    const auto pixels = inked(image);
    QCOMPARE(image.pixel(from), kInk);
    QCOMPARE(image.pixel(to), kInk);
    const int steps = std::max(std::abs(to.x() - from.x()), std::abs(to.y() - from.y()));
    QCOMPARE(int(pixels.size()), steps + 1);
    const double fx = to.x() - from.x();
    const double fy = to.y() - from.y();
    std::set<int> majorSteps;
    for (const auto& [x, y] : pixels) {
        // Distance from the ideal line along the minor axis.
        const double offMinor = std::abs(fy * (x - from.x()) - fx * (y - from.y())) /
                                std::max(std::abs(fx), std::abs(fy));
        QVERIFY2(offMinor <= 0.5 + 1e-9, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        majorSteps.insert(std::abs(fx) >= std::abs(fy) ? x : y);
    }
    QCOMPARE(int(majorSteps.size()), steps + 1);
    QCOMPARE(touched, QRect(QPoint(std::min(from.x(), to.x()), std::min(from.y(), to.y())),
                            QPoint(std::max(from.x(), to.x()), std::max(from.y(), to.y()))));
}

void TstRaster::singlePoint() {
    QImage image = blank();
    QCOMPARE(drawLine(image, QPoint(5, 6), QPoint(5, 6), kInk), QRect(5, 6, 1, 1));
    QCOMPARE(inked(image).size(), 1u);
}

void TstRaster::clippedAtEveryEdge_data() {
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    const auto add = [](const char* name, QPoint from, QPoint to) {
        QTest::addRow("%s", name) << from << to;
        QTest::addRow("%s, reversed", name) << to << from;
    };
    add("left", QPoint(5, 10), QPoint(-7, 14));
    add("right", QPoint(35, 10), QPoint(47, 4));
    add("top", QPoint(20, 4), QPoint(14, -9));
    add("bottom", QPoint(20, 25), QPoint(26, 41));
    add("corner", QPoint(36, 26), QPoint(45, 35));
    add("steep left", QPoint(2, 5), QPoint(-3, 28));
    add("along a row", QPoint(-150, 7), QPoint(190, 7));
    add("along a column", QPoint(13, 180), QPoint(13, -150));
    add("diagonal", QPoint(-100, -90), QPoint(80, 90));
    // Lines from far outside into the image or across it, in every direction: where such a walk
    // comes into the image is worked out, not walked to.
    QRandomGenerator random(20240611);
    const QRect image(0, 0, 40, 30);
    for (int i = 0; i < 200; ++i) {
        QPoint from;
        do {
            from = QPoint(random.bounded(-200, 240), random.bounded(-200, 230));
        } while (image.contains(from));
        const QPoint through(random.bounded(40), random.bounded(30));
        const QPoint to = i % 2 ? through : 2 * through - from;
        QTest::addRow("random %d", i) << from << to;
    }
}

// Clipping keeps exactly the pixels that the whole line draws inside the image, and returns
// their bounding rectangle.
void TstRaster::clippedAtEveryEdge() {
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    const QPoint shift(std::max({0, -from.x(), -to.x()}), std::max({0, -from.y(), -to.y()}));
    QImage whole = blank(std::max({40, from.x() + 1, to.x() + 1}) + shift.x(),
                         std::max({30, from.y() + 1, to.y() + 1}) + shift.y());
    drawLine(whole, from + shift, to + shift, kInk);
    QImage image = blank();
    const QRect touched = drawLine(image, from, to, kInk);
    QCOMPARE(image, whole.copy(QRect(shift, image.size())));
    QCOMPARE(touched, boundingBox(image));
}

// A fan of lines drawn over each other and then again in white leaves the paper untouched,
// including where they cross.
void TstRaster::redrawingInWhiteErasesExactly() {
    QImage image = blank();
    std::vector<std::pair<QPoint, QPoint>> lines;
    lines.reserve(60);
    for (int i = 0; i < 60; ++i) {
        lines.emplace_back(QPoint((i * 7) % 45 - 3, (i * 11) % 35 - 2),
                           QPoint((i * 13) % 43 - 1, (i * 5) % 33 - 1));
    }
    for (const auto& [a, b] : lines) {
        drawLine(image, a, b, kInk);
    }
    QVERIFY(!inked(image).empty());
    for (const auto& [a, b] : lines) {
        drawLine(image, a, b, kPaper);
    }
    QVERIFY(inked(image).empty());
}

// A batch of overlapping segments, partly outside, drawn and then drawn again in other colours,
// gives exactly the pixels of drawing each line in turn, and tells which it wrote and where it
// changed the image.
void TstRaster::batchDrawsWhatTheLinesDraw() {
    const plot::PixelMapping mapping(0.0, 0.0, 40.0, 30.0, 40, 30);
    QImage viaBatch = blank();
    QImage direct = blank();
    std::vector<plot::Segment> batch;
    for (int i = 0; i < 200; ++i) {
        const float x = float(i % 50) - 5.0f;
        const float y = float((i * 7) % 37) - 3.5f;
        batch.push_back({x, y, x + 0.9f, y + float(i % 23) - 11.0f, qRgb(i, 0, 0)});
    }
    const auto drawDirectly = [&] {
        for (const plot::Segment& s : batch) {
            drawLine(direct, mapping.toPixel(s.x1, s.y1), mapping.toPixel(s.x2, s.y2), s.colour);
        }
    };
    const plot::PixelBuffer buffer = plot::PixelBuffer::of(viaBatch);
    plot::PixelJournal journal(std::size_t(viaBatch.width() * viaBatch.height()));
    plot::BatchPixels pixels;
    pixels.draw(buffer, journal, mapping, batch);
    const QRect changed = journal.settle(buffer);
    drawDirectly();
    QCOMPARE(viaBatch, direct);
    const std::set<std::uint32_t> written(pixels.offsets().begin(), pixels.offsets().end());
    std::set<std::uint32_t> inkedOffsets;
    for (const auto& [x, y] : inked(direct)) {
        inkedOffsets.insert(std::uint32_t(y * direct.width() + x));
    }
    QCOMPARE(written, inkedOffsets);
    const QRect box = boundingBox(direct);
    QCOMPARE(changed, box);

    for (int round = 1; round < 3; ++round) {
        for (plot::Segment& s : batch) {
            s.colour = round == 1 ? qRgb(int(s.colour & 0xff), 60, 7) : kPaper;
        }
        pixels.redraw(buffer, journal, batch);
        QCOMPARE(journal.settle(buffer), box);  // every pixel changes colour each round
        drawDirectly();
        QCOMPARE(viaBatch, direct);
    }
    QCOMPARE(viaBatch, blank());
}

void TstRaster::mappingPicksTheContainingPixel_data() {
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<QPoint>("pixel");
    // The plot's own rectangle on an image of 631 x 199 pixels.
    QTest::newRow("top left") << -4.0 << double(1.8f) << QPoint(0, 0);
    QTest::newRow("density zero") << -4.0 << double(-5.5f) << QPoint(0, 179);
    QTest::newRow("baseline") << -4.0 << double(-5.54f) << QPoint(0, 180);
    QTest::newRow("left of the plot") << double(-4.42f) << 0.0 << QPoint(-20, 44);
    QTest::newRow("right edge") << double(9.49f) << double(-6.2f) << QPoint(630, 196);
}

void TstRaster::mappingPicksTheContainingPixel() {
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(QPoint, pixel);
    const plot::PixelMapping mapping(-4.0f, 1.8f, 9.5f, -6.3f, 631, 199);
    QCOMPARE(mapping.toPixel(x, y), pixel);
}

QTEST_APPLESS_MAIN(TstRaster)
#include "tst_raster.moc"
