#include "UiNotify.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>

namespace talvix::ui {

NotifyObserver MakeUiObserver(QObject* receiver, std::function<void(uint32_t wParam, int32_t lParam)> callback)
{
    NotifyObserver observer;
    QPointer<QObject> guard(receiver);
    observer.callback = [guard, callback = std::move(callback)](uint32_t wParam, int32_t lParam) {
        // Runs on the UI thread; the receiver is destroyed only there.
        if (guard)
            callback(wParam, lParam);
    };
    observer.executor = [](std::function<void()> task) {
        QCoreApplication* app = QCoreApplication::instance();
        if (app)
            QMetaObject::invokeMethod(app, std::move(task), Qt::QueuedConnection);
    };
    return observer;
}

}  // namespace talvix::ui
