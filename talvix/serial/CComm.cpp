#include "CComm.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/Pump.h"
#include "platform/Tick.h"

namespace talvix {

CComm::CComm() = default;

CComm::~CComm()
{
    Close();
}

speed_t CComm::SpeedOf(int rate)
{
    switch (rate) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    default: return 0;
    }
}

bool CComm::Fail(int err)
{
    lastError_ = static_cast<uint32_t>(err);
    return false;
}

bool CComm::Open(int port)
{
    if (port < 1 || port > 4)
        return false;
    const std::string path = portMap_.DevicePath(port);
    return OpenPath(path, port);
}

bool CComm::OpenPath(const std::string& path, int number)
{
    if (fd_ >= 0)
        Close();
    if (path.empty())
        return Fail(ENOENT);
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return Fail(errno);
    // Only a terminal line will do; anything else is refused like a port
    // that is not RS-232.
    if (!isatty(fd)) {
        const int err = errno ? errno : ENOTTY;
        ::close(fd);
        return Fail(err == EINVAL ? ENOTTY : err);
    }
    if (ioctl(fd, TIOCEXCL) != 0) {
        const int err = errno;
        ::close(fd);
        return Fail(err);
    }
    fd_ = fd;
    portNumber_ = (number >= 1 && number <= 4) ? number : 0;
    bytesRead_ = 0;
    tcgetattr(fd_, &settings_);
    return true;
}

bool CComm::ApplySettings(const termios& wanted)
{
    int err = 0;
    if (tcsetattr(fd_, TCSANOW, &wanted) != 0)
        err = errno;
    termios got{};
    if (tcgetattr(fd_, &got) != 0)
        return Fail(errno);
    // A pseudo-terminal cannot keep parity and refuses (EINVAL) a call whose
    // only change is parity. Accept the line when everything else took.
    const tcflag_t parityBits = PARENB | PARODD;
    const bool sameOtherwise =
        (got.c_cflag & ~parityBits & (CSIZE | CSTOPB | CREAD | CLOCAL | CRTSCTS)) ==
            (wanted.c_cflag & ~parityBits & (CSIZE | CSTOPB | CREAD | CLOCAL | CRTSCTS)) &&
        got.c_iflag == wanted.c_iflag && got.c_lflag == wanted.c_lflag &&
        (got.c_oflag & OPOST) == (wanted.c_oflag & OPOST) &&
        cfgetispeed(&got) == cfgetispeed(&wanted) && cfgetospeed(&got) == cfgetospeed(&wanted);
    if (!sameOtherwise)
        return Fail(err ? err : EIO);
    settings_ = wanted;
    return true;
}

bool CComm::Setup()
{
    if (fd_ < 0)
        return false;
    termios t{};
    if (tcgetattr(fd_, &t) != 0)
        return Fail(errno);
    cfmakeraw(&t);
    t.c_cflag &= ~(CSIZE | CSTOPB | CRTSCTS);
    t.c_cflag |= CS8 | PARENB | PARODD | CREAD | CLOCAL;
    t.c_iflag &= ~(INPCK | IXON | IXOFF | IXANY | IGNPAR | PARMRK | ISTRIP);
    // VMIN 1 makes an empty non-blocking read say EAGAIN rather than 0,
    // so 0 can only mean that the other end is gone.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    cfsetispeed(&t, B9600);
    cfsetospeed(&t, B9600);
    if (!ApplySettings(t))
        return false;
    // Raise DTR and RTS. A pseudo-terminal has no modem lines; that is fine.
    int lines = TIOCM_DTR | TIOCM_RTS;
    if (ioctl(fd_, TIOCMBIS, &lines) != 0 && errno != ENOTTY && errno != EINVAL)
        return Fail(errno);
    return SetReadTimeout(80);
}

bool CComm::SetBaudRate(int rate)
{
    if (fd_ < 0)
        return false;
    const speed_t speed = SpeedOf(rate);
    if (speed == 0)
        return Fail(EINVAL);
    termios t{};
    if (tcgetattr(fd_, &t) != 0)
        return Fail(errno);
    // Keep what we asked for (a pty reads parity back cleared).
    t.c_cflag = (t.c_cflag & ~(PARENB | PARODD)) | (settings_.c_cflag & (PARENB | PARODD));
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    return ApplySettings(t);
}

bool CComm::SetReadTimeout(int constantMs)
{
    if (fd_ < 0 || constantMs < 0)
        return false;
    readTimeoutConstant_ = constantMs;
    return true;
}

bool CComm::Write(const uint8_t* bytes, size_t count)
{
    if (fd_ < 0 || bytes == nullptr || count == 0)
        return false;
    tcflush(fd_, TCIFLUSH);
    tcflush(fd_, TCOFLUSH);
    lastError_ = 0;
    // Hand every byte to the driver; the write limit is 5 ms per byte + 50 ms.
    const uint32_t start = platform::GetTickCount();
    const uint32_t limit = static_cast<uint32_t>(std::min<size_t>(count, 1000000) * 5 + 50);
    size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(fd_, bytes + done, count - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            lastError_ = static_cast<uint32_t>(errno);
            break;
        }
        const uint32_t elapsed = platform::TicksSince(start);
        if (elapsed >= limit)
            break;
        platform::WaitForFd(fd_, POLLOUT, static_cast<int>(limit - elapsed));
    }
    return true;
}

bool CComm::Read(uint8_t* buffer, size_t count)
{
    bytesRead_ = 0;
    if (fd_ < 0 || buffer == nullptr)
        return false;
    if (count == 0)
        return true;
    const uint64_t osLimit = static_cast<uint64_t>(count) * 5 + static_cast<uint64_t>(readTimeoutConstant_);
    const uint32_t limit = static_cast<uint32_t>(std::min<uint64_t>(osLimit, kReadGuardMs));
    const uint32_t start = platform::GetTickCount();
    size_t got = 0;
    bool idleAfterReady = false;
    while (got < count) {
        const ssize_t n = ::read(fd_, buffer + got, count - got);
        if (n > 0) {
            got += static_cast<size_t>(n);
            bytesRead_ = static_cast<int32_t>(got);
            idleAfterReady = false;
            continue;
        }
        if (n == 0) {  // hang-up: the other end is gone
            lastError_ = EIO;
            break;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN) {
            lastError_ = static_cast<uint32_t>(errno);
            break;
        }
        const uint32_t elapsed = platform::TicksSince(start);
        if (elapsed >= limit)
            break;
        if (idleAfterReady) {
            // The descriptor said ready but gave nothing: do not spin on it.
            platform::PumpSleep(std::min<int>(5, static_cast<int>(limit - elapsed)));
            idleAfterReady = false;
            continue;
        }
        idleAfterReady = platform::WaitForFd(fd_, POLLIN, static_cast<int>(limit - elapsed));
    }
    bytesRead_ = static_cast<int32_t>(got);
    return got == count;
}

int CComm::ReadAvailable(uint8_t* buffer, size_t room)
{
    bytesRead_ = 0;
    if (fd_ < 0 || buffer == nullptr)
        return -1;
    int waiting = 0;
    if (ioctl(fd_, FIONREAD, &waiting) != 0) {
        lastError_ = static_cast<uint32_t>(errno);
        bytesRead_ = -1;
        tcflush(fd_, TCIFLUSH);
        return -1;
    }
    if (waiting <= 0 || room == 0)
        return 0;
    const size_t want = std::min(static_cast<size_t>(waiting), room);
    ssize_t n;
    do {
        n = ::read(fd_, buffer, want);
    } while (n < 0 && errno == EINTR);
    if (n < 0 && errno == EAGAIN)
        return 0;
    if (n <= 0) {
        lastError_ = n < 0 ? static_cast<uint32_t>(errno) : EIO;
        bytesRead_ = -1;
        tcflush(fd_, TCIFLUSH);
        return -1;
    }
    bytesRead_ = static_cast<int32_t>(n);
    return bytesRead_;
}

bool CComm::WaitReadable(int timeoutMs)
{
    if (fd_ < 0)
        return false;
    return platform::WaitForFd(fd_, POLLIN, timeoutMs);
}

void CComm::Close()
{
    if (fd_ >= 0) {
        // Give up exclusive use: the line may stay open elsewhere (an
        // emulator holding its own end) and we want to be able to reopen it.
        ioctl(fd_, TIOCNXCL);
        ::close(fd_);
    }
    fd_ = -1;
    portNumber_ = 0;
}

}  // namespace talvix
