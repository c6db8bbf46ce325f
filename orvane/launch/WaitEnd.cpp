#include "orvane/launch/WaitEnd.h"

#include <fcntl.h>
#include <unistd.h>

#include <condition_variable>
#include <mutex>

#include "orvane/launch/UniqueFd.h"

namespace orvane {

struct WaitEnd::Shared {
    std::mutex mutex;
    std::condition_variable cv;
    bool handled = false;
    bool cancelled = false;
    bool finished = false;
    UniqueFd cancelRead;
    UniqueFd cancelWrite;
};

WaitEnd::WaitEnd(ChildProcess process, Send send)
    : shared_(std::make_shared<Shared>()), process_(std::move(process)), send_(std::move(send))
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
        shared_->cancelRead.Reset(fds[0]);
        shared_->cancelWrite.Reset(fds[1]);
    }
    thread_ = std::thread(&WaitEnd::Run, this);
}

WaitEnd::~WaitEnd()
{
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->cancelled = true;
    }
    shared_->cv.notify_all();
    if (shared_->cancelWrite.valid()) {
        const char b = 1;
        (void)!::write(shared_->cancelWrite.get(), &b, 1);
    }
    if (thread_.joinable())
        thread_.join();
}

bool WaitEnd::Finished() const
{
    std::lock_guard<std::mutex> lock(shared_->mutex);
    return shared_->finished;
}

void WaitEnd::Run()
{
    const bool ended = process_.WaitForExit(shared_->cancelRead.get());
    bool cancelled;
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        cancelled = shared_->cancelled;
    }
    if (ended && !cancelled && send_) {
        // `done` may outlive this object (a queued call dropped late), so it
        // holds the shared state, not the WaitEnd.
        std::weak_ptr<Shared> weak = shared_;
        send_([weak] {
            if (auto s = weak.lock()) {
                {
                    std::lock_guard<std::mutex> lock(s->mutex);
                    s->handled = true;
                }
                s->cv.notify_all();
            }
        });
        std::unique_lock<std::mutex> lock(shared_->mutex);
        shared_->cv.wait(lock, [this] { return shared_->handled || shared_->cancelled; });
    }
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->finished = true;
}

}  // namespace orvane
