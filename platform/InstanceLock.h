#pragma once
#include <string>

namespace platform {

// Keeps a second copy of a program from running: an exclusive, non-blocking
// flock on a lock file. The lock is held while the object lives and is
// released when it is destroyed (or the process ends, however it ends). The
// file itself stays, so that no two processes ever lock different files of
// the same name. The descriptor is not inherited by programs started from here.
class InstanceLock {
public:
    InstanceLock() = default;
    // Tries to take the lock at once; see held().
    explicit InstanceLock(const std::string& path) { Acquire(path); }
    ~InstanceLock() { Release(); }

    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    InstanceLock(InstanceLock&& other) noexcept;
    InstanceLock& operator=(InstanceLock&& other) noexcept;

    // Opens (creating when needed, with its folder) and locks `path`. False
    // when another holder has it (error() is EWOULDBLOCK) or the file cannot
    // be opened (error() is the errno). Releases a lock held before.
    bool Acquire(const std::string& path);
    void Release();

    bool held() const { return fd_ >= 0; }
    // errno of the last failed Acquire, 0 after a successful one.
    int error() const { return error_; }

private:
    int fd_ = -1;
    int error_ = 0;
};

}  // namespace platform
