#include "talvix/cardops/CardThread.h"

#include "platform/Pump.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

namespace talvix {

CardThread::CardThread()
{
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

CardThread::~CardThread()
{
    WaitDone();
    if (wakeFd_ >= 0)
        close(wakeFd_);
}

bool CardThread::Start(std::function<void()> body, Priority priority)
{
    WaitDone();
    ThreadDone.store(false, std::memory_order_release);
    started_ = true;
    const int fd = wakeFd_;
    try {
        thread_ = std::thread([this, fd, priority, body = std::move(body)] {
            if (priority == Priority::BelowNormal) {
                // One step below normal, for this thread only.
                const pid_t tid = static_cast<pid_t>(syscall(SYS_gettid));
                errno = 0;
                const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(tid));
                if (errno == 0)
                    setpriority(PRIO_PROCESS, static_cast<id_t>(tid), nice + 1);
            }
            body();
            ThreadDone.store(true, std::memory_order_release);
            if (fd >= 0) {
                const uint64_t one = 1;
                [[maybe_unused]] ssize_t n = write(fd, &one, sizeof one);
            }
        });
    } catch (const std::system_error&) {
        // No thread could be had: nothing ran, the operation ends here.
        started_ = false;
        ThreadDone.store(true, std::memory_order_release);
        return false;
    }
    return true;
}

void CardThread::WaitDone()
{
    if (!started_)
        return;
    while (!ThreadDone.load(std::memory_order_acquire)) {
        if (wakeFd_ >= 0)
            platform::WaitForFd(wakeFd_, POLLIN, 1000);
        else
            platform::PumpSleep(10);
    }
    Reclaim();
}

void CardThread::Reclaim()
{
    if (thread_.joinable())
        thread_.join();
    started_ = false;
    if (wakeFd_ >= 0) {
        uint64_t count = 0;
        [[maybe_unused]] ssize_t n = read(wakeFd_, &count, sizeof count);
    }
}

}  // namespace talvix
