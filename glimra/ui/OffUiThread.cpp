#include "glimra/ui/OffUiThread.h"

#include <QEventLoop>
#include <QMetaObject>
#include <atomic>
#include <thread>

namespace glimra {

void RunOffUiThread(const std::function<void()>& work) {
    QEventLoop loop;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done = true;
        QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    // The quit may arrive before the loop runs; then the flag ends it.
    if (!done) loop.exec();
    worker.join();
}

}  // namespace glimra
