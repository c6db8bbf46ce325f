#pragma once
#include <atomic>
#include <functional>
#include <thread>

namespace talvix {

// The one card worker thread and its completion flag `ThreadDone`.
//
// Start() clears the flag, runs the body on a new thread and sets the flag as
// the thread's last act, on every path. WaitDone() waits for the flag through
// the calling thread's pump hook (platform/Pump.h): on the GUI thread the Qt
// event loop keeps running, elsewhere the caller sleeps in poll(). The thread
// also writes to an eventfd when it ends, so the wait wakes at once and never
// spins. A new Start() first waits for a thread still running, so two card
// operations never share the link.
class CardThread {
public:
    CardThread();
    ~CardThread();
    CardThread(const CardThread&) = delete;
    CardThread& operator=(const CardThread&) = delete;

    enum class Priority { Normal, BelowNormal };

    // Starts `body`; false when no thread could be created (the flag is then set).
    bool Start(std::function<void()> body, Priority priority = Priority::Normal);

    // Waits until the thread has set ThreadDone and reclaims it.
    void WaitDone();

    // True while a started thread has not yet set ThreadDone.
    bool Running() const { return started_ && !ThreadDone.load(std::memory_order_acquire); }

    // The completion flag; the thread finishes all its writes before it sets it.
    std::atomic<bool> ThreadDone{true};

private:
    void Reclaim();

    std::thread thread_;
    bool started_ = false;
    int wakeFd_ = -1;
};

}  // namespace talvix
