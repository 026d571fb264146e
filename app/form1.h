// The program's one window: the plot area, the Wave Num field, the START hold and the RUN, CLEAR
// and CLOSE buttons, at fixed positions; it owns the frame clock that drives the animation.
#pragma once

#include "animation.h"
#include "command_button.h"
#include "plot_surface.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <array>
#include <chrono>

class TestAccess;

namespace app {

// About 60 frames a second: 261 frames take about 4.4 s on any machine fast enough to draw one
// frame within the period.
inline constexpr std::chrono::milliseconds kFramePeriod{17};

class Form1 : public QWidget {
    Q_OBJECT

public:
    explicit Form1(QWidget* parent = nullptr);

    // The controls in the order in which Tab visits them, and in which assistive technology
    // lists them. Tab skips Label1, which takes no focus; it stands before the field it names.
    std::array<QWidget*, 7> tabChain() const {
        return {run_, label1_, text1_, picture2_, check1_, command3_, close_};
    }

protected:
    bool focusNextPrevChild(bool next) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    friend class ::TestAccess;

    void tick();
    void run();
    void clear();
    void report(const std::optional<plot::Animation::Failure>& failure);
    void showMessage(const QString& text);
    void setCommandsEnabled(bool enabled);
    void updateClock();

    // Created in this order, which is also the order of the window's controls.
    CommandButton* close_;
    CommandButton* command3_;
    QCheckBox* check1_;
    plot::PlotSurface* picture2_;
    QLineEdit* text1_;
    CommandButton* run_;
    QLabel* label1_;

    // Draws on picture2_, so it comes after it, here and in the constructor; -Wuninitialized
    // (an error in CI) catches the two being swapped.
    plot::Animation animation_;
    QTimer clock_;
    QPointer<QMessageBox> message_;
    bool holdingFocus_ = false;  // while a message's controls are disabled in an active window
};

}  // namespace app
