#include "platform/InstanceLock.h"

#include "platform/AtomicFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <utility>

namespace platform {

InstanceLock::InstanceLock(InstanceLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), error_(other.error_)
{
}

InstanceLock& InstanceLock::operator=(InstanceLock&& other) noexcept
{
    if (this != &other) {
        Release();
        fd_ = std::exchange(other.fd_, -1);
        error_ = other.error_;
    }
    return *this;
}

bool InstanceLock::Acquire(const std::string& path)
{
    Release();
    if (path.empty()) {
        error_ = ENOENT;
        return false;
    }
    AtomicFile::CreateFolders(AtomicFile::FolderOf(path));
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) {
        error_ = errno;
        return false;
    }
    int rc;
    do
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        error_ = errno;
        ::close(fd);
        return false;
    }
    fd_ = fd;
    error_ = 0;
    return true;
}

void InstanceLock::Release()
{
    if (fd_ >= 0) {
        ::close(fd_);  // closing the only descriptor drops the flock
        fd_ = -1;
    }
}

}  // namespace platform
