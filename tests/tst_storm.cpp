// An event storm on the real window: a seeded random sequence of clicks, edits, START toggles
// and frame ticks, with deep nests of RUN and the window closed in the middle of them, checked
// against a model of the run stack as it goes.
#include "animation.h"
#include "form1.h"
#include "form_probe.h"
#include "sweep.h"
#include "test_access.h"
#include "wave_number.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTest>

#include <memory>
#include <numeric>
#include <optional>
#include <vector>

using app::Form1;
using probe::child;

namespace {

using plot::kFramesPerRun;

constexpr int kActions = 10'000;
// Runs in the ordinary course of the storm are kept few enough that their frames can all be
// ticked through; the deep nests are ended by closing the window instead.
constexpr int kPendingFramesLimit = 2 * kFramesPerRun;
constexpr int kDeepestNest = 300;
constexpr int kNestsPerStorm = 1;

// What the storm expects of the run stack: each run's wave number and frames drawn.
struct ModelRun {
    double k = 0.0;
    int frame = 0;
    double t = plot::kTimeStart;
};

class Storm {
public:
    explicit Storm(quint32 seed) : seed_(seed), random_(seed) {
        for (int i = 0; i < kNestsPerStorm; ++i) {
            nestAt_.push_back(int(random_.bounded(kActions * 9 / 10)));
        }
        openWindow();
    }

    // Runs the whole storm; on failure, failure() says where, with the seed to replay it.
    bool play() {
        for (action_ = 0; action_ < kActions;) {
            if (!act()) {
                return false;
            }
        }
        return finish();
    }

    QString failure() const { return failure_; }
    int actions() const { return action_; }

private:
    bool act() {
        if (dismissMessage()) {
            return check();
        }
        if (std::find(nestAt_.begin(), nestAt_.end(), action_) != nestAt_.end()) {
            return nest();
        }
        const int dice = int(random_.bounded(100));
        if (dice < 60) {
            tick();
        } else if (dice < 70) {
            // Held most of the time, so that most ticks are cheap and the storm can be long.
            if (startChecked() && random_.bounded(3) != 0) {
                tick();
            } else {
                toggleStart();
            }
        } else if (dice < 74) {
            clear();
        } else if (dice < 94) {
            edit();
        } else {
            clickRun();
        }
        return check();
    }

    // RUN clicked again and again on a held frame, a little of the storm inside the nest, and
    // the window closed in the middle of it.
    bool nest() {
        setStart(true);
        const int depth = 1 + int(random_.bounded(kDeepestNest));
        for (int i = 0; i < depth && action_ < kActions; ++i) {
            edit();
            clickRun(/*bounded=*/false);
            if (!check() || (dismissMessage() && !check())) {
                return false;
            }
        }
        for (int i = 0; i < 50 && action_ < kActions; ++i) {
            if (!act()) {
                return false;
            }
        }
        return closeWindow();
    }

    void tick() {
        describe(QStringLiteral("tick"));
        TestAccess::tick(*form_);
        // The clock runs while there is a run, START is unchecked and no message is open.
        if (!model_.empty() && !startChecked() && probe::openMessage(*form_) == nullptr) {
            plotChanged_ = true;
            ModelRun& run = model_.back();
            run.t += plot::kTimeStep;
            if (++run.frame == kFramesPerRun) {
                model_.pop_back();
            }
        }
    }

    void toggleStart() {
        describe(QStringLiteral("START"));
        QTest::mouseClick(child(*form_, "Check1"), Qt::LeftButton);
    }

    void setStart(bool checked) {
        if (startChecked() != checked) {
            toggleStart();
        }
    }

    void clear() {
        describe(QStringLiteral("CLEAR"));
        QTest::mouseClick(child(*form_, "Command3"), Qt::LeftButton);
        clearedSinceSetUp_ = true;
        plotChanged_ = true;
    }

    void edit() {
        const QString text = randomText();
        describe(QStringLiteral("edit to \"%1\"").arg(text.left(20)));
        child<QLineEdit>(*form_, "Text1")->setText(text);
    }

    // A RUN in the ordinary course of the storm is refused while the runs already on the stack
    // have more frames left than the storm could tick through.
    void clickRun(bool bounded = true) {
        const QString text = child<QLineEdit>(*form_, "Text1")->text();
        const std::optional<double> k = computable(text);
        if (bounded && k && pendingFrames() + kFramesPerRun > kPendingFramesLimit) {
            tick();
            return;
        }
        describe(QStringLiteral("RUN \"%1\"").arg(text.left(20)));
        QTest::mouseClick(child(*form_, "RUN"), Qt::LeftButton);
        clearedSinceSetUp_ = false;
        plotChanged_ = true;
        if (k) {
            model_.push_back({*k});
        }
        expectMessage_ = !k;
    }

    bool dismissMessage() {
        QMessageBox* box = probe::openMessage(*form_);
        if (box == nullptr) {
            return false;
        }
        describe(QStringLiteral("dismiss \"%1\"").arg(box->text().left(40)));
        QTest::keyClick(box, Qt::Key_Return);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        expectMessage_ = false;
        return true;
    }

    bool closeWindow() {
        const bool throughTheFrame = random_.bounded(2) == 0;
        describe(throughTheFrame ? QStringLiteral("close the window") : QStringLiteral("CLOSE"));
        if (throughTheFrame) {
            form_->close();
        } else {
            QTest::mouseClick(child(*form_, "Close"), Qt::LeftButton);
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (!expect(!form_->isVisible(), "the window to be closed") ||
            !expect(TestAccess::runs(*form_).empty(), "no run to be left") ||
            !expect(!TestAccess::clockRunning(*form_), "the frame clock to be stopped") ||
            !expect(probe::openMessage(*form_) == nullptr, "no message to be left open")) {
            return false;
        }
        const QImage before = probe::plotImage(*form_).copy();
        TestAccess::tick(*form_);
        if (!expect(probe::plotImage(*form_) == before, "nothing to be drawn after closing")) {
            return false;
        }
        openWindow();
        return true;
    }

    // Unholds, dismisses and ticks until every run has finished, then looks at the plot.
    bool finish() {
        describe(QStringLiteral("finish"));
        // A message left open by the last action would take the click on START for itself.
        if (dismissMessage() && !check()) {
            return false;
        }
        setStart(false);
        while (!TestAccess::runs(*form_).empty()) {
            dismissMessage();
            tick();
            if (!check()) {
                return false;
            }
        }
        return expect(!TestAccess::clockRunning(*form_),
                      "the frame clock to stop with the last run");
    }

    // The invariants after every action.
    bool check() {
        const std::vector<plot::Frame> runs = TestAccess::runs(*form_);
        if (!expect(runs.size() == model_.size(), "the stack to hold the runs not finished")) {
            return false;
        }
        if (!model_.empty()) {
            const plot::Frame& run = runs.back();
            if (!expect(run.k == model_.back().k && run.t == model_.back().t,
                        "the innermost run to be the last one started, at its frame")) {
                return false;
            }
        } else if (plotChanged_ && !checkIdlePlot()) {
            return false;
        }
        plotChanged_ = false;
        if (!expect((probe::openMessage(*form_) != nullptr) == expectMessage_,
                    "a message to be open exactly when RUN was refused")) {
            return false;
        }
        // Memory stays bounded: dismissed messages are gone, nothing else piles up.
        return expect(expectMessage_ || form_->findChildren<QObject*>().size() <= children_,
                      "the window to keep no more objects than it started with");
    }

    // With no run left, the plot holds the baseline of the last RUN, or nothing after a CLEAR.
    bool checkIdlePlot() {
        const QImage& image = probe::plotImage(*form_);
        if (clearedSinceSetUp_) {
            return expect(image == white_, "a cleared plot to stay white");
        }
        return expect(image == baseline_, "the plot to hold only the baseline");
    }

    bool expect(bool condition, const char* what) {
        if (!condition && failure_.isEmpty()) {
            failure_ = QStringLiteral(
                           "seed %1 (replay with STORM_SEED=%1), action %2 (%3): "
                           "expected %4; depth %5, model depth %6")
                           .arg(seed_)
                           .arg(action_)
                           .arg(lastAction_, QString::fromLatin1(what))
                           .arg(TestAccess::runs(*form_).size())
                           .arg(model_.size());
        }
        return condition;
    }

    void describe(const QString& action) {
        lastAction_ = action;
        ++action_;
    }

    void openWindow() {
        form_ = std::make_unique<Form1>();
        form_->show();
        model_.clear();
        // Blank until the first RUN, which is what a CLEAR leaves too.
        clearedSinceSetUp_ = true;
        plotChanged_ = false;
        white_ = probe::plotImage(*form_).copy();
        white_.fill(probe::kWhite);
        baseline_ = probe::baselineOnly(*form_);
        expectMessage_ = false;
        children_ = form_->findChildren<QObject*>().size();
    }

    bool startChecked() const { return child<QCheckBox>(*form_, "Check1")->isChecked(); }

    int pendingFrames() const {
        return std::accumulate(model_.begin(), model_.end(), 0, [](int sum, const ModelRun& r) {
            return sum + kFramesPerRun - r.frame;
        });
    }

    // The wave number a RUN with this text runs, or nothing when it is refused or its first
    // frame cannot be computed.
    static std::optional<double> computable(const QString& text) {
        const app::WaveNumber k = app::parseWaveNumber(text);
        if (!k.accepted()) {
            return std::nullopt;
        }
        auto samples = std::make_unique<plot::FrameSamples>();
        plot::sampleSweep({plot::kTimeStart, k.value, k.value / 2.0, {}}, *samples);
        return plot::allFinite(*samples) ? std::optional(k.value) : std::nullopt;
    }

    // Good, bad and huge texts for Wave Num.
    QString randomText() {
        switch (random_.bounded(12)) {
            case 0:
                return QStringLiteral("abc");
            case 1:
                return {};
            case 2:
                return QStringLiteral("14,5");
            case 3:  // huge but a number
                return QString(1 + int(random_.bounded(20'000)), u'0') + QStringLiteral("14");
            case 4:  // huge and refused
                return {1 + int(random_.bounded(20'000)), u'x'};
            case 5:
                return QStringLiteral("1e400");
            case 6:  // accepted, but the field is not finite
                return QStringLiteral("1.7e308");
            case 7:
                return QStringLiteral("\u3000１４\u3000");
            case 8:
                return QString::number(random_.bounded(2000.0) - 1000.0, 'e', 6);
            default:
                return QString::number(int(random_.bounded(121)) - 60);
        }
    }

    const quint32 seed_;
    QRandomGenerator random_;
    std::vector<int> nestAt_;
    std::unique_ptr<Form1> form_;
    std::vector<ModelRun> model_;
    bool clearedSinceSetUp_ = false;
    bool plotChanged_ = false;
    QImage white_;
    QImage baseline_;
    bool expectMessage_ = false;
    qsizetype children_ = 0;
    int action_ = 0;
    QString lastAction_;
    QString failure_;
};

}  // namespace

class TstStorm : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void storm_data();
    void storm();
};

void TstStorm::initTestCase() {
    // Every message box shown on the offscreen platform warns that it cannot pass on its size
    // hints; thousands of them would bury any other output.
    static const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (!message.contains(QLatin1String("propagateSizeHints"))) {
                previous(type, context, message);
            }
        });
}

// Ten fixed seeds, and one that changes from run to run unless STORM_SEED fixes it.
void TstStorm::storm_data() {
    QTest::addColumn<quint32>("seed");
    for (quint32 seed = 1; seed <= 10; ++seed) {
        QTest::addRow("seed %u", seed) << seed;
    }
    bool fixed = false;
    const quint32 seed = qEnvironmentVariableIntValue("STORM_SEED", &fixed);
    const quint32 chosen = fixed ? seed : QRandomGenerator::global()->generate();
    QTest::addRow("seed %u%s", chosen, fixed ? "" : " (random)") << chosen;
}

void TstStorm::storm() {
    QFETCH(quint32, seed);
    Storm storm(seed);
    const bool passed = storm.play();
    QVERIFY2(passed, qPrintable(storm.failure()));
    QVERIFY(storm.actions() >= kActions);
}

QTEST_MAIN(TstStorm)
#include "tst_storm.moc"
