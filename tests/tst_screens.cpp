#include "form1.h"
#include "form_probe.h"
#include "offscreen_screens.h"
#include "palette.h"
#include "test_access.h"

#include <qpa/qplatformwindow.h>
#include <qpa/qwindowsysteminterface.h>
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <algorithm>
#include <array>

using app::Form1;

using probe::child;
using probe::plotImage;

using offscreen::screenOf;

namespace {

// Two screens side by side, as a laptop's panel and a projector of another scale.
constexpr std::array kRatios{1.0, 2.0};

// What the X11 backend passes on when the desktop has moved the window onto another screen:
// its new place in device pixels, at the size in device pixels it had, then the new screen.
// The desktop moves windows itself; a move by the program would already keep the logical size.
void desktopMoves(QWidget& window, qreal ratio) {
    QScreen* screen = screenOf(ratio);
    QPlatformWindow* native = window.windowHandle()->handle();
    // A screen starts at the same point in device and in logical pixels.
    native->setGeometry(
        QRect(screen->geometry().topLeft() + QPoint(60, 30), native->geometry().size()));
    QWindowSystemInterface::handleWindowScreenChanged<QWindowSystemInterface::SynchronousDelivery>(
        window.windowHandle(), screen);
}

int countColour(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        count += int(std::count(line, line + image.width(), colour));
    }
    return count;
}

}  // namespace

class TstScreens : public QObject {
    Q_OBJECT

private slots:
    void keepsItsSizeOnAScreenOfAnotherScale_data();
    void keepsItsSizeOnAScreenOfAnotherScale();
};

void TstScreens::keepsItsSizeOnAScreenOfAnotherScale_data() {
    QTest::addColumn<qreal>("from");
    QTest::addColumn<qreal>("to");
    QTest::newRow("1x to 2x and back") << 1.0 << 2.0;
    QTest::newRow("2x to 1x and back") << 2.0 << 1.0;
}

// Moved to the other screen and back by the desktop, the window keeps its size in logical
// pixels, stays where the desktop put it, shows every control and holds its frame, drawn again
// at the screen's ratio.
void TstScreens::keepsItsSizeOnAScreenOfAnotherScale() {
    QFETCH(qreal, from);
    QFETCH(qreal, to);
    Form1 form;
    form.move(screenOf(from)->geometry().topLeft() + QPoint(40, 40));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTest::mouseClick(child(form, "RUN"), Qt::LeftButton);
    const std::vector<plot::Frame> held = TestAccess::runs(form);
    const QSize size = form.size();

    for (const qreal ratio : {to, from}) {
        desktopMoves(form, ratio);
        const QWindow* window = form.windowHandle();
        const QPoint placed = window->handle()->geometry().topLeft();
        QCoreApplication::processEvents();
        QCOMPARE(window->screen(), screenOf(ratio));
        QCOMPARE(window->size(), size);
        QCOMPARE(form.size(), size);
        QCOMPARE(window->handle()->geometry(), QRect(placed, size * ratio));
        for (const QWidget* control : form.tabChain()) {
            QVERIFY2(QRect(QPoint(), window->size()).contains(control->geometry()),
                     qPrintable(control->objectName()));
        }
        QCOMPARE(TestAccess::runs(form), held);
        QVERIFY(!TestAccess::clockRunning(form));
        QCOMPARE(plotImage(form).devicePixelRatio(), ratio);
        QVERIFY(countColour(plotImage(form), plot::kDensityColour) > 600 * ratio);
    }
}

int main(int argc, char** argv) {
    const QTemporaryDir dir(offscreen::kConfigDir);
    if (!offscreen::setUpScreens(kRatios, dir)) {
        return 1;
    }
    QApplication application(argc, argv);
    TstScreens test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_screens.moc"
