// Keeps a window's size in logical pixels when it moves to a screen of another pixel ratio, as
// Wayland compositors and Windows do. Qt's X11 backend keeps its size in device pixels instead:
// a window moved from a 1x screen to a 2x one would show only its top-left quarter there.
#pragma once

#include <QObject>
#include <QSize>

#include <optional>

class QWidget;

namespace app {

class LogicalSizeKeeper final : public QObject {
    Q_OBJECT

public:
    // Watches the window, which owns the keeper.
    explicit LogicalSizeKeeper(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void restore();

    QWidget* const window_;
    std::optional<QSize> size_;  // the size on the screen left, until it is given back
};

}  // namespace app
