#include "logical_size_keeper.h"

#include <QEvent>
#include <QWidget>

#include <utility>

namespace app {

LogicalSizeKeeper::LogicalSizeKeeper(QWidget* window) : QObject(window), window_(window) {
    window->installEventFilter(this);
}

bool LogicalSizeKeeper::eventFilter(QObject* watched, QEvent* event) {
    // The window still has the size it had on the screen it left. A platform that keeps the
    // device size resizes it right after this event; the size is given back once that is done.
    // Moved on across another screen before then, the window keeps the size of the first.
    if (watched == window_ && event->type() == QEvent::ScreenChangeInternal && !size_) {
        size_ = window_->size();
        QMetaObject::invokeMethod(this, &LogicalSizeKeeper::restore, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

void LogicalSizeKeeper::restore() {
    const QSize size = *std::exchange(size_, std::nullopt);
    // A maximised or full-screen window takes its size from the new screen.
    if ((window_->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) == 0) {
        window_->resize(size);
    }
}

}  // namespace app
