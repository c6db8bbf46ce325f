#pragma once
#include <functional>
#include <memory>

class QObject;

namespace platform {

// Hands calls from worker threads to the UI thread, in place of posting or
// sending a window message.
//
// Create it on the UI thread; it belongs to that thread from then on and must
// outlive the workers that use it. Post queues a call and returns at once.
// Send runs the call on the UI thread and returns when it has run; called on
// the UI thread itself it simply runs the call. The UI thread must keep
// processing events (the event loop or the QtPump waits) for queued calls
// to run; a call still queued when the invoker is destroyed is dropped.
class UiInvoker {
public:
    UiInvoker();
    ~UiInvoker();
    UiInvoker(const UiInvoker&) = delete;
    UiInvoker& operator=(const UiInvoker&) = delete;

    // False when the call could not be queued.
    bool Post(std::function<void()> call) const;
    // False when the call could not be delivered.
    bool Send(std::function<void()> call) const;

    // True on the thread that created the invoker.
    bool OnUiThread() const;

private:
    std::unique_ptr<QObject> receiver_;
};

}  // namespace platform
