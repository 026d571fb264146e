#include "command_button.h"

#include <QKeyEvent>

namespace app {

CommandButton::CommandButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {}

void CommandButton::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QPushButton::keyPressEvent(event);
        return;
    }
    // A held key presses once, as a held Space does: RUN would otherwise nest run after run.
    if (!event->isAutoRepeat()) {
        click();
    }
    event->accept();
}

}  // namespace app
