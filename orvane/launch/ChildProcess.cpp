#include "orvane/launch/ChildProcess.h"

#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace orvane {

namespace {

int OpenPidFd(pid_t pid)
{
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    errno = ENOSYS;
    return -1;
#endif
}

}  // namespace

ChildProcess::ChildProcess(pid_t pid) : pid_(pid), pidfd_(pid > 0 ? OpenPidFd(pid) : -1) {}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)), pidfd_(std::move(other.pidfd_)), status_(other.status_)
{
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept
{
    if (this != &other) {
        pid_ = std::exchange(other.pid_, -1);
        pidfd_ = std::move(other.pidfd_);
        status_ = other.status_;
    }
    return *this;
}

bool ChildProcess::WaitForExit(int cancelFd)
{
    if (pid_ <= 0)
        return true;
    if (pidfd_.valid()) {
        for (;;) {
            pollfd fds[2] = {{pidfd_.get(), POLLIN, 0}, {cancelFd, POLLIN, 0}};
            const int n = ::poll(fds, cancelFd >= 0 ? 2 : 1, -1);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            if (fds[0].revents != 0)
                break;
            if (cancelFd >= 0 && fds[1].revents != 0)
                return false;
        }
    }
    // Without a pidfd (very old kernels) the wait simply blocks here.
    int status = 0;
    pid_t r;
    do {
        r = ::waitpid(pid_, &status, 0);
    } while (r < 0 && errno == EINTR);
    status_ = r == pid_ ? status : 0;
    pid_ = -1;
    pidfd_.Reset();
    return true;
}

}  // namespace orvane
