// What presenting the animation costs Qt itself: a window shaped like the program's that, once its
// RUN is clicked, repaints the rectangle the plot repaints per frame, at the program's frame
// period and as often as a run does, and paints nothing into it. The end-to-end measurement
// drives it as it drives the program, so that the two can be compared in the same run.
//   usage: bench_floor [--blit]
#include "form1.h"  // for the frame period alone; the floor uses none of the program's code

#include <QApplication>
#include <QCommandLineParser>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

namespace {

constexpr QSize kClientSize(705, 212);
constexpr QRect kPlotGeometry(4, 4, 633, 201);
constexpr QRect kRunGeometry(644, 12, 53, 21);

// The rectangle the plot repaints per frame of a run at k = 14, in its own coordinates: the part
// of the picture that the frame changed, with a pixel to spare around it. This is the one of
// median area; over a run they are 292 to 631 pixels wide and 132 to 169 high.
constexpr QRect kFrameRect(63, 38, 542, 144);

// A run paints its first frame when RUN is clicked, then once per tick: the 260 frames after the
// first, and the erase of the last.
constexpr int kTicks = 261;

enum class Presenting {
    Repaint,  // the floor: one synchronous repaint per tick, painting nothing
    Blit,     // the usual pattern: a posted update, and a paintEvent blitting a ready image
};

class Plot final : public QWidget {
public:
    Plot(Presenting presenting, QWidget* parent) : QWidget(parent), presenting_(presenting) {
        setGeometry(kPlotGeometry);
        // As the program's plot: the window behind it is never painted for it.
        setAttribute(Qt::WA_OpaquePaintEvent);
        if (presenting_ == Presenting::Blit) {
            image_ = QImage(size() * devicePixelRatio(), QImage::Format_RGB32);
            image_.setDevicePixelRatio(devicePixelRatio());
            image_.fill(Qt::white);
        }
    }

    void present() {
        if (presenting_ == Presenting::Repaint) {
            repaint(kFrameRect);
        } else {
            update(kFrameRect);
        }
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        if (presenting_ == Presenting::Blit) {
            QPainter painter(this);
            painter.drawImage(event->rect(), image_, event->rect());
        }
    }

private:
    const Presenting presenting_;
    QImage image_;
};

class Floor final : public QWidget {
public:
    explicit Floor(Presenting presenting)
        : plot_(new Plot(presenting, this)), run_(new QPushButton(QStringLiteral("RUN"), this)) {
        setWindowTitle(QStringLiteral("bench_floor"));
        resize(kClientSize);
        run_->setGeometry(kRunGeometry);
        clock_.setTimerType(Qt::PreciseTimer);
        clock_.setInterval(app::kFramePeriod);
        connect(run_, &QPushButton::clicked, this, &Floor::run);
        connect(&clock_, &QTimer::timeout, this, &Floor::tick);
    }

private:
    void run() {
        ticks_ = 0;
        plot_->present();
        clock_.start();
    }

    void tick() {
        plot_->present();
        if (++ticks_ == kTicks) {
            clock_.stop();
        }
    }

    Plot* plot_;
    QPushButton* run_;
    QTimer clock_;
    int ticks_ = 0;
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Repaints the program's per-frame rectangle at its frame rate, painting nothing."));
    parser.addHelpOption();
    const QCommandLineOption blit(
        QStringLiteral("blit"),
        QStringLiteral("Post an update instead, and blit the rectangle from a ready image."));
    parser.addOption(blit);
    parser.process(application);

    Floor floor(parser.isSet(blit) ? Presenting::Blit : Presenting::Repaint);
    floor.show();
    return QApplication::exec();
}
