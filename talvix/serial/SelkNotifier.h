#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

namespace talvix {

// Message number of the link-layer notification (two values: the port error
// and the result code).
constexpr unsigned WM_SELK_NOTIFY = 1124;

// A registered watcher of the link layers. `callback` receives the two
// values; `executor` posts a task onto the thread that registered, so the
// callback runs there, later, never inside the link call. The Qt glue gives
// an executor that queues to the UI thread; plain C++ callers can use a
// NotifyQueue. An empty executor runs the callback at once on the sending
// thread.
struct NotifyObserver {
    std::function<void(uint32_t wParam, int32_t lParam)> callback;
    std::function<void(std::function<void()>)> executor;

    explicit operator bool() const { return static_cast<bool>(callback); }
};

// Holds the one observer of a link object and posts to it.
class SelkNotifier {
public:
    void Set(NotifyObserver observer);
    void Clear() { Set({}); }
    bool HasObserver() const;
    void Post(uint32_t wParam, int32_t lParam) const;

private:
    mutable std::mutex mutex_;
    NotifyObserver observer_;
};

// A simple queue for callers without an event loop: its executor stores the
// tasks and the owning thread runs them with RunPending().
class NotifyQueue {
public:
    std::function<void(std::function<void()>)> Executor();
    // Runs the tasks queued so far on the calling thread; returns how many.
    int RunPending();
    size_t Size() const;

private:
    mutable std::mutex mutex_;
    std::deque<std::function<void()>> tasks_;
};

}  // namespace talvix
