#include "RawPty.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace selksim {

RawPty::RawPty()
{
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
        return;
    char name[256];
    if (ptsname_r(master_, name, sizeof name) != 0)
        return;
    path_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ >= 0) {
        termios t{};
        tcgetattr(slave_, &t);
        cfmakeraw(&t);
        tcsetattr(slave_, TCSANOW, &t);
    }
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
}

RawPty::~RawPty()
{
    Hangup();
}

void RawPty::Hangup()
{
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
    slave_ = master_ = -1;
}

bool RawPty::Write(const std::vector<uint8_t>& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        pollfd p{master_, POLLOUT, 0};
        if (poll(&p, 1, 2000) <= 0)
            return false;
    }
    return true;
}

std::vector<uint8_t> RawPty::Read(int timeoutMs, size_t want)
{
    std::vector<uint8_t> out;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        uint8_t buf[4096];
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n > 0) {
            out.insert(out.end(), buf, buf + n);
            if (want > 0 && out.size() >= want)
                return out;
            continue;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return out;
        pollfd p{master_, POLLIN, 0};
        poll(&p, 1, static_cast<int>(left.count()));
    }
}

}  // namespace selksim
