#include "form1.h"

#include "fonts.h"
#include "logical_size_keeper.h"
#include "sweep.h"
#include "wave_number.h"

#include <QCloseEvent>
#include <QLocale>
#include <QScopedValueRollback>
#include <QShowEvent>

#include <limits>

namespace app {

namespace {

const QColor kBackground(0xE0, 0xE0, 0xE0);
constexpr QSize kClientSize(705, 212);

template <typename Widget>
Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

template <typename Widget>
Widget* place(Widget* widget, const char* name, const QRect& geometry) {
    widget->setGeometry(geometry);
    return named(widget, name);
}

// The text colours of Qt's light scheme, as a desktop without a theme has them. The window's grey
// is fixed and light, so its text keeps them whatever a dark desktop theme would apply.
const QColor kText(0x00, 0x00, 0x00);
const QColor kDisabledText(0xBE, 0xBE, 0xBE);

// Paints the control on the window's own grey, so that it shows no rectangle of its own.
void onWindowGrey(QWidget* widget) {
    QPalette palette = widget->palette();
    for (const QPalette::ColorGroup group :
         {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Window, kBackground);
        palette.setColor(group, QPalette::WindowText,
                         group == QPalette::Disabled ? kDisabledText : kText);
    }
    widget->setPalette(palette);
    // Buttons, the check box among them, would otherwise fill with the Button colour.
    widget->setBackgroundRole(QPalette::Window);
    widget->setAutoFillBackground(true);
}

}  // namespace

Form1::Form1(QWidget* parent)
    : QWidget(parent),
      close_(place(new CommandButton(QStringLiteral("CLOSE"), this), "Close", {640, 156, 65, 33})),
      command3_(
          place(new CommandButton(QStringLiteral("CLEAR"), this), "Command3", {644, 120, 53, 21})),
      check1_(place(new QCheckBox(QStringLiteral("START"), this), "Check1", {636, 92, 61, 20})),
      picture2_(named(new plot::PlotSurface({4, 4, 633, 201}, this), "Picture2")),
      text1_(place(new QLineEdit(QStringLiteral("14"), this), "Text1", {652, 60, 29, 18})),
      run_(place(new CommandButton(QStringLiteral("RUN"), this), "RUN", {644, 12, 53, 21})),
      label1_(place(new QLabel(QStringLiteral("Wave Num"), this), "Label1", {640, 44, 57, 17})),
      animation_(picture2_->picture()) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("電子波自己干渉"));
    resize(kClientSize);
    new LogicalSizeKeeper(this);
    setFont(interfaceFont(label1_->text(), label1_->width()));
    onWindowGrey(this);

    close_->setFont(closeButtonFont());
    check1_->setChecked(true);
    onWindowGrey(check1_);
    label1_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    onWindowGrey(label1_);
    text1_->setAlignment(Qt::AlignLeft);
    text1_->setMaxLength(std::numeric_limits<int>::max());  // no limit: a paste is kept whole

    // The buttons and the check box are named by their captions; the field and the plot are not.
    // The captions stay as they are in every language, also inside translated sentences.
    text1_->setAccessibleName(label1_->text());
    //: RUN is the caption of a button, which stays as it is in every language.
    text1_->setAccessibleDescription(tr("The wave number k, read when RUN is pressed"));
    picture2_->setAccessibleName(tr("Wave plot"));
    picture2_->setAccessibleDescription(
        tr("The sum of two electron wave packets over the position x: its real part in red, its "
           "imaginary part in green and its probability density in blue, above a grey baseline. "
           "While the packets overlap, the density shows interference fringes."));
    //: Wave Num is the caption of the field, which stays as it is in every language.
    run_->setAccessibleDescription(tr("Starts the animation for the wave number in Wave Num"));
    check1_->setAccessibleDescription(tr("While checked, the animation holds its current frame"));
    command3_->setAccessibleDescription(tr("Wipes the plot"));
    close_->setAccessibleDescription(tr("Ends the program"));

    label1_->setBuddy(text1_);
    const auto chain = tabChain();
    for (std::size_t i = 1; i < chain.size(); ++i) {
        setTabOrder(chain.at(i - 1), chain.at(i));
    }
    run_->setFocus();

    clock_.setTimerType(Qt::PreciseTimer);
    clock_.setInterval(kFramePeriod);
    connect(&clock_, &QTimer::timeout, this, &Form1::tick);
    connect(run_, &CommandButton::clicked, this, &Form1::run);
    connect(command3_, &CommandButton::clicked, this, &Form1::clear);
    connect(close_, &CommandButton::clicked, this, &QWidget::close);
    connect(check1_, &QCheckBox::toggled, this, &Form1::updateClock);
}

void Form1::tick() {
    report(animation_.step());
    updateClock();
}

void Form1::run() {
    plot::setUp(picture2_->picture());
    const QString text = text1_->text();
    const WaveNumber k = parseWaveNumber(text);
    if (!k.accepted()) {
        showMessage(refusalMessage(text, k.status));
        return;
    }
    report(animation_.start(k.value));
    updateClock();
}

void Form1::clear() {
    picture2_->picture().clear();
}

void Form1::report(const std::optional<plot::Animation::Failure>& failure) {
    if (failure) {
        showMessage(tr("The wave number %1 is too large: the waves cannot be computed, so the "
                       "animation for it has stopped.")
                        .arg(failure->k, 0, 'g', QLocale::FloatingPointShortest));
    }
}

void Form1::showMessage(const QString& text) {
    // Not exec(): a nested event loop would let the frame clock and further clicks in. Not modal
    // either: a modal box would make the window ignore being closed through its frame. Instead
    // the commands wait for the message, all but CLOSE, which ends the program in any state.
    message_ = new QMessageBox(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
    // The refused text is shown as it was typed: never read as markup, which QMessageBox would
    // otherwise guess it to be.
    message_->setTextFormat(Qt::PlainText);
    message_->setAttribute(Qt::WA_DeleteOnClose);
    message_->setWindowModality(Qt::NonModal);
    // Disabling the focused control would pass the focus along the tab chain, and a screen
    // reader would read out every control it passed before the message. In the active window the
    // focus stays where it is instead, until the message takes it (see changeEvent); it comes
    // back there with the controls.
    const QPointer<QWidget> focus = focusWidget();
    {
        const QScopedValueRollback hold(holdingFocus_, isActiveWindow());
        setCommandsEnabled(false);
    }
    connect(message_, &QMessageBox::finished, this, [this, focus] {
        message_.clear();
        setCommandsEnabled(true);
        if (focus) {
            focus->setFocus();
        }
        updateClock();
    });
    updateClock();
    message_->show();
}

void Form1::setCommandsEnabled(bool enabled) {
    for (QWidget* control : {static_cast<QWidget*>(run_), static_cast<QWidget*>(text1_),
                             static_cast<QWidget*>(check1_), static_cast<QWidget*>(command3_)}) {
        control->setEnabled(enabled);
    }
}

void Form1::updateClock() {
    const bool advancing = animation_.running() && !check1_->isChecked() && message_.isNull();
    if (!advancing) {
        clock_.stop();
    } else if (!clock_.isActive()) {
        clock_.start();
    }
}

bool Form1::focusNextPrevChild(bool next) {
    return holdingFocus_ || QWidget::focusNextPrevChild(next);
}

void Form1::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || isActiveWindow()) {
        return;
    }
    // Once another window, the message, has the focus, a disabled control that kept it passes it
    // on unheard, so that the window never comes back to a control that cannot take it.
    if (const QWidget* focus = focusWidget(); focus != nullptr && !focus->isEnabled()) {
        focusNextChild();
    }
}

void Form1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // In a web page Qt activates the window while its controls are still hidden, and the focus
    // then passes RUN by; it starts on RUN all the same.
    if (!event->spontaneous()) {
        run_->setFocus();
    }
}

void Form1::closeEvent(QCloseEvent* event) {
    clock_.stop();
    animation_.stop();
    if (message_) {
        message_->close();
    }
    event->accept();
}

}  // namespace app
