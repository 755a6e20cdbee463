#include "app/shell/ExposeWatcher.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace quelby {

ExposeWatcher::ExposeWatcher(QWidget& window) : QObject(&window) {
    if (QWindow* handle = window.windowHandle()) handle->installEventFilter(this);
}

bool ExposeWatcher::eventFilter(QObject* watched, QEvent* event) {
    if (!m_reported && event->type() == QEvent::Expose) {
        if (auto* handle = qobject_cast<QWindow*>(watched); handle && handle->isExposed()) {
            m_reported = true;
            emit exposed();
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace quelby
