#include "accessibility.h"
#include "fonts.h"
#include "form1.h"
#include "form_probe.h"
#include "palette.h"
#include "plot_surface.h"
#include "test_access.h"

#include <QAccessible>
#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <memory>

using app::Form1;

using probe::allWhite;
using probe::child;
using probe::onlyBaseline;
using probe::openMessage;
using probe::plotImage;
using probe::showsThePlot;

class TstForm1 : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void initialState();
    void geometry_data();
    void geometry();
    void captionsFit_data();
    void captionsFit();
    void closeButtonFont();
    void captionsInAProportionalFace_data();
    void captionsInAProportionalFace();
    void focusChain();
    void accessibility_data();
    void accessibility();
    void resizingMovesNothing();
    void captionsReadableOnADarkDesktop_data();
    void captionsReadableOnADarkDesktop();
    void enterPressesTheFocusedButton_data();
    void enterPressesTheFocusedButton();
    void longPasteIsKeptWhole();

    void runDrawsTheHeldFirstFrame();
    void uncheckingRunsToTheEnd();
    void checkingHoldsAndStopsTheClock();
    void editsDuringARunAreIgnored();
    void clearWipesMidRunAndTheRunGoesOn();
    void clearBeforeRunKeepsItBlank();
    void nestedRunThroughRealClicks();
    void refusedTextShowsAMessage_data();
    void refusedTextShowsAMessage();
    void refusalInsideARunPausesTheOuterRun();
    void uncomputableWaveNumberStopsWithAMessage();
    void endingTheProgram_data();
    void endingTheProgram();

private:
    std::unique_ptr<Form1> form_;
};

void TstForm1::initTestCase() {
    app::setUpFonts();
    app::installAccessibleInterfaces();
}

namespace {

// Waits until the desktop has made a window active. Only the compositor activates a window on
// Wayland, through its seat, and the headless one of the Wayland run has none: there the test
// does what the desktop would.
bool activated(QWidget* window) {
    if (QGuiApplication::platformName() == QLatin1String("wayland")) {
        if (!QTest::qWaitForWindowExposed(window)) {
            return false;
        }
        QApplication::setActiveWindow(window);
        return window->isActiveWindow();
    }
    return QTest::qWaitForWindowActive(window);
}

}  // namespace

void TstForm1::init() {
    form_ = std::make_unique<Form1>();
    form_->show();
    QVERIFY(activated(form_.get()));
}

void TstForm1::cleanup() {
    form_.reset();
}

void TstForm1::initialState() {
    const Form1& form = *form_;
    QCOMPARE(form.objectName(), QStringLiteral("Form1"));
    QCOMPARE(form.windowTitle(), QStringLiteral("電子波自己干渉"));
    QCOMPARE(form.size(), QSize(705, 212));
    QCOMPARE(form.palette().color(QPalette::Window), QColor(0xE0, 0xE0, 0xE0));
    QCOMPARE(child<QLineEdit>(form, "Text1")->text(), QStringLiteral("14"));
    QVERIFY(child<QCheckBox>(form, "Check1")->isChecked());
    QVERIFY(allWhite(plotImage(form)));
    QCOMPARE(QApplication::focusWidget(), child(form, "RUN"));
    QVERIFY(TestAccess::runs(form).empty());
    QVERIFY(!TestAccess::clockRunning(form));
    QCOMPARE(child<QLabel>(form, "Label1")->focusPolicy(), Qt::NoFocus);
    for (const char* name : {"Check1", "Label1"}) {
        QCOMPARE(child(form, name)->palette().color(QPalette::Window), QColor(0xE0, 0xE0, 0xE0));
        QVERIFY(child(form, name)->autoFillBackground());
    }
    // The check box and the label show no rectangle of their own.
    const QImage window = form_->grab().toImage();
    for (const QPoint& p : {QPoint(700, 5), QPoint(695, 93), QPoint(695, 110), QPoint(696, 45)}) {
        QCOMPARE(window.pixelColor(p), QColor(0xE0, 0xE0, 0xE0));
    }
}

void TstForm1::geometry_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<QString>("text");
    QTest::newRow("Close") << "Close" << QRect(640, 156, 65, 33) << "CLOSE";
    QTest::newRow("Command3") << "Command3" << QRect(644, 120, 53, 21) << "CLEAR";
    QTest::newRow("Check1") << "Check1" << QRect(636, 92, 61, 20) << "START";
    QTest::newRow("Picture2") << "Picture2" << QRect(4, 4, 633, 201) << "";
    QTest::newRow("Text1") << "Text1" << QRect(652, 60, 29, 18) << "14";
    QTest::newRow("RUN") << "RUN" << QRect(644, 12, 53, 21) << "RUN";
    QTest::newRow("Label1") << "Label1" << QRect(640, 44, 57, 17) << "Wave Num";
}

void TstForm1::geometry() {
    QFETCH(QString, name);
    QFETCH(QRect, rect);
    QFETCH(QString, text);
    auto* widget = form_->findChild<QWidget*>(name);
    QVERIFY(widget);
    QCOMPARE(widget->parentWidget(), form_.get());
    QCOMPARE(widget->geometry(), rect);
    QVERIFY(widget->isVisible());
    QVERIFY(widget->isEnabled());
    QString shown = widget->property("text").toString();
    QCOMPARE(shown, text);
}

void TstForm1::captionsFit_data() {
    QTest::addColumn<QString>("name");
    for (const char* name : {"RUN", "Command3", "Close", "Check1", "Label1", "Text1"}) {
        QTest::newRow(name) << name;
    }
}

// Each caption fits inside its control with the style's margins.
void TstForm1::captionsFit() {
    QFETCH(QString, name);
    auto* widget = form_->findChild<QWidget*>(name);
    const QString text = widget->property("text").toString();
    const QFontMetrics metrics(widget->font());
    const QStyle* style = widget->style();
    int room = widget->width();
    if (qobject_cast<QCheckBox*>(widget)) {
        room -= style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, widget) +
                style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, widget);
    } else if (qobject_cast<QPushButton*>(widget)) {
        room -= 2 * style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, widget) / 2;
    } else if (qobject_cast<QLineEdit*>(widget)) {
        room -= 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, widget) + 4;
    }
    QVERIFY2(metrics.horizontalAdvance(text) <= room,
             qPrintable(QStringLiteral("%1 needs %2 of %3 pixels")
                            .arg(text)
                            .arg(metrics.horizontalAdvance(text))
                            .arg(room)));
    QVERIFY(metrics.height() <= widget->height());
}

void TstForm1::closeButtonFont() {
    const QFont font = child(*form_, "Close")->font();
    QCOMPARE(font.family(), QStringLiteral("ＭＳ Ｐゴシック"));
    QCOMPARE(font.pointSize(), 12);
    QCOMPARE(font.weight(), QFont::Bold);
    QVERIFY(!font.italic() && !font.underline() && !font.strikeOut());
    const QFontInfo resolved(font);
    QVERIFY2(resolved.family().contains("Gothic") ||
                 resolved.family().contains(QStringLiteral("ゴシック")),
             qPrintable(resolved.family()));
    QVERIFY(resolved.bold());
}

void TstForm1::captionsInAProportionalFace_data() {
    QTest::addColumn<QString>("name");
    for (const char* name : {"RUN", "Label1", "Check1", "Command3", "message"}) {
        QTest::newRow(name) << name;
    }
}

// Where the desktop's face sets every Latin letter in one width, as IPAGothic, fontconfig's
// default under a Japanese locale, does, the captions and messages are in a proportional one.
void TstForm1::captionsInAProportionalFace() {
    const auto oneWidth = [](const QFont& font) {
        const QFontMetricsF metrics(font);
        return metrics.horizontalAdvance(QStringLiteral("iiii")) ==
               metrics.horizontalAdvance(QStringLiteral("WWWW"));
    };
    if (!oneWidth(QFontDatabase::systemFont(QFontDatabase::GeneralFont))) {
        QSKIP("The desktop's face is proportional here");
    }
    QFETCH(QString, name);
    const QWidget* widget = nullptr;
    if (name == "message") {
        child<QLineEdit>(*form_, "Text1")->setText("x");
        QTest::mouseClick(child(*form_, "RUN"), Qt::LeftButton);
        QVERIFY(openMessage(*form_));
        widget = openMessage(*form_)->findChild<QLabel*>("qt_msgbox_label");
    } else {
        widget = child(*form_, qPrintable(name));
    }
    QVERIFY(widget);
    QVERIFY2(!oneWidth(widget->font()), qPrintable(QFontInfo(widget->font()).family()));
}

void TstForm1::focusChain() {
    QStringList chain;
    for (int i = 0; i < 7; ++i) {
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus);
        chain << focus->objectName();
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    QCOMPARE(chain,
             QStringList({"RUN", "Text1", "Picture2", "Check1", "Command3", "Close", "RUN"}));
}

void TstForm1::accessibility_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::addColumn<QAccessible::Role>("role");
    QTest::addColumn<QString>("accessibleName");
    QTest::addColumn<QStringList>("described");
    // The window lists its controls in the order of the tab chain, each label before its field.
    QTest::newRow("RUN") << "RUN" << 0 << QAccessible::Button << "RUN" << QStringList{"animation"};
    QTest::newRow("Label1") << "Label1" << 1 << QAccessible::StaticText << "Wave Num"
                            << QStringList{};
    QTest::newRow("Text1") << "Text1" << 2 << QAccessible::EditableText << "Wave Num"
                           << QStringList{"wave number"};
    QTest::newRow("Picture2") << "Picture2" << 3 << QAccessible::Graphic << "Wave plot"
                              << QStringList{"real part in red", "imaginary part in green",
                                             "density in blue", "grey baseline"};
    QTest::newRow("Check1") << "Check1" << 4 << QAccessible::CheckBox << "START"
                            << QStringList{"holds"};
    QTest::newRow("Command3") << "Command3" << 5 << QAccessible::Button << "CLEAR"
                              << QStringList{"plot"};
    QTest::newRow("Close") << "Close" << 6 << QAccessible::Button << "CLOSE"
                           << QStringList{"program"};
}

// What assistive technology is told about each control.
void TstForm1::accessibility() {
    QFETCH(QString, name);
    QFETCH(int, index);
    QFETCH(QAccessible::Role, role);
    QFETCH(QString, accessibleName);
    QFETCH(QStringList, described);
    QAccessibleInterface* control =
        QAccessible::queryAccessibleInterface(child(*form_, qPrintable(name)));
    QVERIFY(control && control->isValid());
    QCOMPARE(control->role(), role);
    QCOMPARE(control->text(QAccessible::Name), accessibleName);
    QCOMPARE(control->childCount(), 0);  // one item each, the plot as one picture
    const QString description = control->text(QAccessible::Description);
    for (const QString& part : described) {
        QVERIFY2(description.contains(part), qPrintable(description));
    }
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(form_.get());
    QCOMPARE(window->role(), QAccessible::Window);
    QCOMPARE(window->childCount(), 7);
    QCOMPARE(window->child(index), control);
    QCOMPARE(window->indexOfChild(control), index);
    QCOMPARE(control->parent(), window);
}

void TstForm1::resizingMovesNothing() {
    form_->resize(1000, 500);
    QCOMPARE(child(*form_, "Close")->geometry(), QRect(640, 156, 65, 33));
    QCOMPARE(child(*form_, "Picture2")->geometry(), QRect(4, 4, 633, 201));
    form_->resize(300, 100);
    QCOMPARE(child(*form_, "RUN")->geometry(), QRect(644, 12, 53, 21));
}

void TstForm1::captionsReadableOnADarkDesktop_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("Label1") << "Label1";
    QTest::newRow("Check1") << "Check1";
}

// A dark desktop theme brings light text, which the captions on the fixed light grey must not
// take: the darkest pixel of the caption stands out from the grey as black text would.
void TstForm1::captionsReadableOnADarkDesktop() {
    QFETCH(QString, name);
    const QPalette saved = QApplication::palette();
    QApplication::setPalette(QPalette(QColor(0x30, 0x30, 0x30)));  // light text on dark grey
    QVERIFY(qGray(QApplication::palette().color(QPalette::WindowText).rgb()) > 200);
    const Form1 form;
    auto* widget = form.findChild<QWidget*>(name);
    QRect caption = widget->rect();
    if (qobject_cast<QCheckBox*>(widget)) {
        QStyleOptionButton option;
        option.initFrom(widget);
        caption = widget->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, widget);
    }
    const QImage image = widget->grab(caption).toImage();
    QApplication::setPalette(saved);
    // The luminance of a colour, and the contrast of two, as WCAG defines them.
    const auto luminance = [](QColor c) {
        const auto linear = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    double darkest = 1.0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            darkest = std::min(darkest, luminance(image.pixelColor(x, y)));
        }
    }
    const double contrast = (luminance(QColor(0xE0, 0xE0, 0xE0)) + 0.05) / (darkest + 0.05);
    QVERIFY2(contrast >= 7.0, qPrintable(QString::number(contrast)));
}

void TstForm1::enterPressesTheFocusedButton_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    for (const char* button : {"RUN", "Command3", "Close"}) {
        QTest::addRow("Return on %s", button)
            << button << Qt::Key_Return << Qt::KeyboardModifiers();
        QTest::addRow("Enter on %s", button)
            << button << Qt::Key_Enter << Qt::KeyboardModifiers(Qt::KeypadModifier);
    }
}

// Return and Enter press the focused button as Space does.
void TstForm1::enterPressesTheFocusedButton() {
    QFETCH(QString, button);
    QFETCH(Qt::Key, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QTest::mouseClick(child(*form_, "RUN"), Qt::LeftButton);
    QWidget* focused = child(*form_, qPrintable(button));
    focused->setFocus();
    QTest::keyClick(focused, key, modifiers);
    if (button == "RUN") {
        QCOMPARE(TestAccess::runs(*form_).size(), 2u);
    } else if (button == "Command3") {
        QVERIFY(allWhite(plotImage(*form_)));
    } else {
        QVERIFY(!form_->isVisible());
    }
}

// Wave Num takes a pasted text of any length; RUN reads all of it.
void TstForm1::longPasteIsKeptWhole() {
    // 1e-40001 times 1e40003; cut short anywhere, the text would read as zero or as nothing.
    const QString pasted = "0." + QString(40'000, '0') + "1e40003";
    auto* text = child<QLineEdit>(*form_, "Text1");
    text->selectAll();
    // What a paste does with the clipboard's text; the headless compositor of the Wayland run has
    // no clipboard.
    text->insert(pasted);
    QCOMPARE(text->text().size(), pasted.size());
    QTest::mouseClick(child(*form_, "RUN"), Qt::LeftButton);
    QVERIFY(!openMessage(*form_));
    QCOMPARE(TestAccess::runs(*form_).back().k, 100.0);
}

// START begins checked, so RUN draws the t = 0 frame and holds it.
void TstForm1::runDrawsTheHeldFirstFrame() {
    QTest::mouseClick(child(*form_, "RUN"), Qt::LeftButton);
    QCOMPARE(TestAccess::runs(*form_).size(), 1u);
    QCOMPARE(TestAccess::runs(*form_).back().k, 14.0);
    QCOMPARE(TestAccess::runs(*form_).back().t, 0.0);
    QVERIFY(!TestAccess::clockRunning(*form_));
    QVERIFY(!onlyBaseline(*form_));
    const QImage& image = plotImage(*form_);
    int blue = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            blue += image.pixel(x, y) == plot::qbColor(9) ? 1 : 0;
        }
    }
    QVERIFY(blue > 600);
    TestAccess::tick(*form_);
    QCOMPARE(TestAccess::runs(*form_).back().t, 0.0);
}

void TstForm1::uncheckingRunsToTheEnd() {
    QTest::mouseClick(child(*form_, "RUN"), Qt::LeftButton);
    QTest::mouseClick(child(*form_, "Check1"), Qt::LeftButton);
    QVERIFY(!child<QCheckBox>(*form_, "Check1")->isChecked());
    QVERIFY(TestAccess::clockRunning(*form_));
    int ticks = 0;
    while (!TestAccess::runs(*form_).empty()) {
        TestAccess::tick(*form_);
        ++ticks;
    }
    QCOMPARE(ticks, 261);
    QVERIFY(!TestAccess::clockRunning(*form_));
    QVERIFY(onlyBaseline(*form_));
}

void TstForm1::checkingHoldsAndStopsTheClock() {
    auto* check = child<QCheckBox>(*form_, "Check1");
    QTest::mouseClick(child(*form_, "RUN"), Qt::LeftButton);
    check->setFocus();
    QTest::keyClick(check, Qt::Key_Space);
    QVERIFY(TestAccess::clockRunning(*form_));
    for (int i = 0; i < 30; ++i) {
        TestAccess::tick(*form_);
    }
    QTest::keyClick(check, Qt::Key_Space);
    QVERIFY(check->isChecked());
    QVERIFY(!TestAccess::clockRunning(*form_));
    QVERIFY(showsThePlot(*form_));
    const QImage held = plotImage(*form_).copy();
    const plot::Frame shown = TestAccess::runs(*form_).back();
    TestAccess::tick(*form_);
    QCOMPARE(plotImage(*form_), held);
    QCOMPARE(TestAccess::runs(*form_).back(), shown);
}

void TstForm1::editsDuringARunAreIgnored() {
    auto* text = child<QLineEdit>(*form_, "Text1");
    QTest::mouseClick(child(*form_, "RUN"), Qt::LeftButton);
    text->clear();
    QTest::keyClicks(text, "20");
    child<QCheckBox>(*form_, "Check1")->setChecked(false);
    for (int i = 0; i < 5; ++i) {
        TestAccess::tick(*form_);
    }
    QCOMPARE(TestAccess::runs(*form_).back().k, 14.0);
    QCOMPARE(TestAccess::runs(*form_).back().v, 7.0);
}

void TstForm1::clearWipesMidRunAndTheRunGoesOn() {
    QTest::mouseClick(child(*form_, "RUN"), Qt::LeftButton);
    child<QCheckBox>(*form_, "Check1")->setChecked(false);
    for (int i = 0; i < 10; ++i) {
        TestAccess::tick(*form_);
    }
    const plot::Frame shown = TestAccess::runs(*form_).back();
    QTest::mouseClick(child(*form_, "Command3"), Qt::LeftButton);
    QVERIFY(allWhite(plotImage(*form_)));
    QCOMPARE(TestAccess::runs(*form_).back(), shown);
    QVERIFY(child<QCheckBox>(*form_, "Check1")->isChecked() == false);
    QCOMPARE(child<QLineEdit>(*form_, "Text1")->text(), QStringLiteral("14"));
    while (!TestAccess::runs(*form_).empty()) {
        TestAccess::tick(*form_);
    }
    // Later frames were drawn and erased on the cleared surface, with no baseline.
    QVERIFY(allWhite(plotImage(*form_)));
}

void TstForm1::clearBeforeRunKeepsItBlank() {
    QTest::mouseClick(child(*form_, "Command3"), Qt::LeftButton);
    QVERIFY(allWhite(plotImage(*form_)));
    QVERIFY(TestAccess::runs(*form_).empty());
}

void TstForm1::nestedRunThroughRealClicks() {
    auto* run = child(*form_, "RUN");
    auto* text = child<QLineEdit>(*form_, "Text1");
    QTest::mouseClick(run, Qt::LeftButton);
    text->setText("20");
    QTest::mouseClick(run, Qt::LeftButton);
    QCOMPARE(TestAccess::runs(*form_).size(), 2u);
    QCOMPARE(TestAccess::runs(*form_).back().k, 20.0);
    child<QCheckBox>(*form_, "Check1")->setChecked(false);
    for (int i = 0; i < 261; ++i) {
        TestAccess::tick(*form_);
    }
    QCOMPARE(TestAccess::runs(*form_).size(), 1u);
    QCOMPARE(TestAccess::runs(*form_).back().k, 14.0);
    QCOMPARE(TestAccess::runs(*form_).back().t, 0.0);
    while (!TestAccess::runs(*form_).empty()) {
        TestAccess::tick(*form_);
    }
    QVERIFY(onlyBaseline(*form_));
}

void TstForm1::refusedTextShowsAMessage_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("says");
    QTest::newRow("empty") << ""
                           << "Wave Num is empty";
    QTest::newRow("word") << "abc"
                          << "\"abc\" is not a number";
    QTest::newRow("comma") << "14,5"
                           << "\"14,5\" is not a number";
    QTest::newRow("too large") << "1e400"
                               << "\"1e400\" is out of range";
    QTest::newRow("markup") << "<b>abc</b>"
                            << "\"<b>abc</b>\" is not a number";
}

// After set-up, as a run always begins, the text is refused: only the baseline is drawn and
// the program goes on.
void TstForm1::refusedTextShowsAMessage() {
    QFETCH(QString, text);
    QFETCH(QString, says);
    child<QLineEdit>(*form_, "Text1")->setText(text);
    QSignalSpy focusMoves(qApp, &QApplication::focusChanged);
    QTest::mouseClick(child(*form_, "RUN"), Qt::LeftButton);
    QMessageBox* box = openMessage(*form_);
    QVERIFY(box);
    QCOMPARE(box->windowTitle(), form_->windowTitle());
    QVERIFY2(box->text().contains(says), qPrintable(box->text()));
    // As typed, tags and all: the message looks as its text does set as plain text.
    auto* shown = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    QVERIFY(shown);
    QLabel plain(box->text());
    plain.setTextFormat(Qt::PlainText);
    plain.setWordWrap(shown->wordWrap());
    plain.setAlignment(shown->alignment());
    plain.setFont(shown->font());
    plain.setPalette(shown->palette());
    plain.setContentsMargins(shown->contentsMargins());
    plain.resize(shown->size());
    QCOMPARE(shown->grab().toImage().convertToFormat(QImage::Format_RGB32),
             plain.grab().toImage().convertToFormat(QImage::Format_RGB32));
    // Every command waits for the message but CLOSE.
    for (const char* name : {"RUN", "Text1", "Check1", "Command3"}) {
        QVERIFY(!child(*form_, name)->isEnabled());
    }
    QVERIFY(child(*form_, "Close")->isEnabled());
    QVERIFY(TestAccess::runs(*form_).empty());
    QVERIFY(onlyBaseline(*form_));
    // The focus goes straight to the message, past no other control, so that a screen reader
    // reads the message first. Behind it, the window keeps its focus on a control that can have it.
    QVERIFY(activated(box));
    QTRY_COMPARE(focusMoves.count(), 1);
    QCOMPARE(focusMoves.at(0).at(1).value<QWidget*>()->window(), box);
    QVERIFY(form_->focusWidget()->isEnabled());
    QTest::keyClick(box, Qt::Key_Return);
    QTRY_VERIFY(!openMessage(*form_));
    QVERIFY(form_->isVisible());
    for (const char* name : {"RUN", "Text1", "Check1", "Command3"}) {
        QVERIFY(child(*form_, name)->isEnabled());
    }
    form_->activateWindow();  // as the window manager does when the message closes
    QVERIFY(activated(form_.get()));
    QCOMPARE(QApplication::focusWidget(), child(*form_, "RUN"));
}

void TstForm1::refusalInsideARunPausesTheOuterRun() {
    QTest::mouseClick(child(*form_, "RUN"), Qt::LeftButton);
    child<QCheckBox>(*form_, "Check1")->setChecked(false);
    TestAccess::tick(*form_);
    QVERIFY(TestAccess::clockRunning(*form_));
    const plot::Frame shown = TestAccess::runs(*form_).back();
    child<QLineEdit>(*form_, "Text1")->setText("x");
    QTest::mouseClick(child(*form_, "RUN"), Qt::LeftButton);
    QMessageBox* box = openMessage(*form_);
    QVERIFY(box);
    QVERIFY(!TestAccess::clockRunning(*form_));
    QCOMPARE(TestAccess::runs(*form_).size(), 1u);
    box->accept();
    QVERIFY(TestAccess::clockRunning(*form_));
    QCOMPARE(TestAccess::runs(*form_).back(), shown);
}

void TstForm1::uncomputableWaveNumberStopsWithAMessage() {
    child<QLineEdit>(*form_, "Text1")->setText("1.7e308");
    QTest::mouseClick(child(*form_, "RUN"), Qt::LeftButton);
    QMessageBox* box = openMessage(*form_);
    QVERIFY(box);
    // The wave number as typed, not as the 17 digits of the nearest double.
    QVERIFY2(box->text().contains("too large") && box->text().contains("1.7e+308"),
             qPrintable(box->text()));
    QVERIFY(TestAccess::runs(*form_).empty());
    QVERIFY(onlyBaseline(*form_));
    box->accept();
}

void TstForm1::endingTheProgram_data() {
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("throughTheFrame");
    for (const char* state : {"idle", "held", "running", "nested", "message"}) {
        QTest::addRow("CLOSE %s", state) << state << false;
        QTest::addRow("frame %s", state) << state << true;
    }
}

// The event loop ends with status 0 and nothing is drawn afterwards.
void TstForm1::endingTheProgram() {
    QFETCH(QString, state);
    QFETCH(bool, throughTheFrame);
    if (state != "idle") {
        QTest::mouseClick(child(*form_, "RUN"), Qt::LeftButton);
    }
    if (state == "nested") {
        QTest::mouseClick(child(*form_, "RUN"), Qt::LeftButton);
    }
    if (state == "message") {  // a refused RUN inside a held one
        child<QLineEdit>(*form_, "Text1")->setText("x");
        QTest::mouseClick(child(*form_, "RUN"), Qt::LeftButton);
        QVERIFY(openMessage(*form_));
    }
    if (state == "running" || state == "nested") {
        child<QCheckBox>(*form_, "Check1")->setChecked(false);
    }
    QTimer::singleShot(0, form_.get(), [this, throughTheFrame] {
        if (throughTheFrame) {
            form_->close();
        } else {
            QTest::mouseClick(child(*form_, "Close"), Qt::LeftButton);
        }
    });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!form_->isVisible());
    QVERIFY(TestAccess::runs(*form_).empty());
    QVERIFY(!TestAccess::clockRunning(*form_));
    QVERIFY(!openMessage(*form_));
    const QImage after = plotImage(*form_).copy();
    QCoreApplication::processEvents();
    QCOMPARE(plotImage(*form_), after);
}

QTEST_MAIN(TstForm1)
#include "tst_form1.moc"
