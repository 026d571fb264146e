// A push button that Return and Enter press as well as Space, as the buttons of Windows and of
// GTK programs do, without becoming a default button that the style would draw differently.
#pragma once

#include <QPushButton>

namespace app {

class CommandButton : public QPushButton {
    Q_OBJECT

public:
    CommandButton(const QString& text, QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace app
