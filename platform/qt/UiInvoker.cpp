#include "UiInvoker.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>

namespace platform {

UiInvoker::UiInvoker() : receiver_(std::make_unique<QObject>()) {}

UiInvoker::~UiInvoker() = default;

bool UiInvoker::OnUiThread() const { return QThread::currentThread() == receiver_->thread(); }

bool UiInvoker::Post(std::function<void()> call) const
{
    if (!call)
        return false;
    return QMetaObject::invokeMethod(receiver_.get(), std::move(call), Qt::QueuedConnection);
}

bool UiInvoker::Send(std::function<void()> call) const
{
    if (!call)
        return false;
    if (OnUiThread()) {
        // A blocking queued call to our own thread would wait for ever.
        call();
        return true;
    }
    return QMetaObject::invokeMethod(receiver_.get(), std::move(call), Qt::BlockingQueuedConnection);
}

}  // namespace platform
