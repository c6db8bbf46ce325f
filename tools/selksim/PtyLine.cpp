#include "PtyLine.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace selksim {

PtyLine::~PtyLine()
{
    Close();
}

bool PtyLine::Create(const std::string& linkPath, std::string& error)
{
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    char name[256];
    if (ptsname_r(master_, name, sizeof name) != 0) {
        error = "ptsname failed";
        return false;
    }
    slaveName_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) {
        error = std::string("cannot open the slave: ") + std::strerror(errno);
        return false;
    }
    // Raw from the start, so nothing is echoed or translated before the PC
    // side applies its own settings.
    termios t{};
    tcgetattr(slave_, &t);
    cfmakeraw(&t);
    cfsetispeed(&t, B9600);
    cfsetospeed(&t, B9600);
    tcsetattr(slave_, TCSANOW, &t);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);

    // Replace an old link left behind, but never a file or folder that
    // happens to have the name.
    struct stat st {};
    if (::lstat(linkPath.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            error = linkPath + " exists and is not a link";
            return false;
        }
        ::unlink(linkPath.c_str());
    }
    if (::symlink(name, linkPath.c_str()) != 0) {
        error = "cannot link " + linkPath + ": " + std::strerror(errno);
        return false;
    }
    linkPath_ = linkPath;
    return true;
}

void PtyLine::Close()
{
    if (!linkPath_.empty())
        ::unlink(linkPath_.c_str());
    linkPath_.clear();
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
    slave_ = master_ = -1;
}

int PtyLine::PcRate() const
{
    if (slave_ < 0)
        return 0;
    termios t{};
    if (tcgetattr(slave_, &t) != 0)
        return 0;
    switch (cfgetospeed(&t)) {
    case B1200: return 1200;
    case B2400: return 2400;
    case B4800: return 4800;
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    case B115200: return 115200;
    case B230400: return 230400;
    default: return 0;
    }
}

namespace {

void AddNs(timespec& ts, long long ns)
{
    ns += ts.tv_nsec;
    ts.tv_sec += static_cast<time_t>(ns / 1000000000LL);
    ts.tv_nsec = static_cast<long>(ns % 1000000000LL);
}

}  // namespace

bool PtyLine::Send(const uint8_t* bytes, size_t count, int rate, bool pacing)
{
    if (master_ < 0)
        return false;
    if (rate <= 0)
        rate = 9600;
    const long long nsPerByte = 11LL * 1000000000LL / rate;
    // Chunks of about 4 ms of line time, sent on an absolute schedule so the
    // average rate is exact.
    const size_t chunk = pacing ? std::max<size_t>(1, static_cast<size_t>(4000000LL / nsPerByte)) : count;
    timespec due{};
    clock_gettime(CLOCK_MONOTONIC, &due);
    size_t done = 0;
    while (done < count) {
        const size_t piece = std::min(chunk, count - done);
        if (pacing) {
            AddNs(due, nsPerByte * static_cast<long long>(piece));
            while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr) == EINTR) {
            }
        }
        size_t sent = 0;
        while (sent < piece) {
            const ssize_t n = ::write(master_, bytes + done + sent, piece - sent);
            if (n > 0) {
                sent += static_cast<size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN)
                return false;
            // The PC is not reading; wait a while, then give the bytes up.
            pollfd p{master_, POLLOUT, 0};
            if (poll(&p, 1, 2000) <= 0)
                return true;
        }
        done += piece;
    }
    return true;
}

}  // namespace selksim
