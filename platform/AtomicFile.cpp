#include "platform/AtomicFile.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Owns one file descriptor.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { Reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }
    void Reset()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    bool Close()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
};

bool WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool FlockInterruptible(int fd)
{
    for (;;) {
        if (::flock(fd, LOCK_EX) == 0)
            return true;
        if (errno != EINTR)
            return false;
    }
}

}  // namespace

std::string AtomicFile::FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

AtomicFile::ReadResult AtomicFile::Read(const std::string& path, std::string& text)
{
    return Read(path, text, kMaxBytes);
}

AtomicFile::ReadResult AtomicFile::Read(const std::string& path, std::string& text, std::size_t maxBytes)
{
    text.clear();
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.ok())
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0
        || static_cast<unsigned long long>(st.st_size) > maxBytes)
        return ReadResult::Failed;
    text.resize(static_cast<size_t>(st.st_size));
    size_t got = 0;
    while (got < text.size()) {
        const ssize_t n = ::read(fd.get(), text.data() + got, text.size() - got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            text.clear();
            return ReadResult::Failed;
        }
        if (n == 0)
            break;  // the file shrank meanwhile
        got += static_cast<size_t>(n);
    }
    text.resize(got);
    return ReadResult::Ok;
}

bool AtomicFile::Replace(const std::string& givenPath, const void* data, std::size_t size)
{
    if (givenPath.empty() || givenPath.back() == '/' || (data == nullptr && size > 0))
        return false;
    std::string path = givenPath;
    struct stat link {};
    if (::lstat(givenPath.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        char* target = ::realpath(givenPath.c_str(), nullptr);
        if (target == nullptr)
            return false;
        path = target;
        std::free(target);
    }
    mode_t mode = 0644;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            return false;
        mode = st.st_mode & 07777;
    }
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    // The temporary's name must stay within the longest a file name may be
    // even when the file's own name nearly fills it.
    std::string temp = folder + "." + name.substr(0, 200) + ".XXXXXX";
    Fd fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (!fd.ok())
        return false;
    bool ok = ::fchmod(fd.get(), mode) == 0 && WriteAll(fd.get(), static_cast<const char*>(data), size)
              && ::fsync(fd.get()) == 0;
    ok = fd.Close() && ok;
    if (ok)
        ok = ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    Fd dir(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.ok())
        ::fsync(dir.get());
    return true;
}

bool AtomicFile::Write(const std::string& givenPath, const std::string& text)
{
    if (givenPath.empty() || givenPath.back() == '/')
        return false;
    // A symbolic link is kept: the file it points to is replaced.
    std::string path = givenPath;
    struct stat link {};
    if (::lstat(givenPath.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        char* target = ::realpath(givenPath.c_str(), nullptr);
        if (target == nullptr)
            return false;
        path = target;
        std::free(target);
    }
    // Only one writer at a time uses the temp name (callers hold a lock), and
    // a temp file left by a killed writer is simply reused.
    const std::string temp = path + ".tmp";
    mode_t mode = 0666;
    bool keepMode = false;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            return false;
        mode = st.st_mode & 07777;
        keepMode = true;
    }
    Fd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, mode));
    if (!fd.ok())
        return false;
    bool ok = WriteAll(fd.get(), text.data(), text.size());
    if (ok && keepMode)
        ok = ::fchmod(fd.get(), mode) == 0;
    if (ok)
        ok = ::fsync(fd.get()) == 0;
    ok = fd.Close() && ok;
    if (ok)
        ok = ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable.
    Fd dir(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.ok())
        ::fsync(dir.get());
    return true;
}

bool AtomicFile::CreateFolders(const std::string& folder)
{
    if (folder.empty())
        return false;
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    size_t pos = 0;
    while (pos != std::string::npos) {
        pos = folder.find('/', pos + 1);
        const std::string prefix = folder.substr(0, pos);
        if (prefix.empty())
            continue;
        if (::mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST)
            return false;
    }
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool AtomicFile::Update(const std::string& path, const std::string& lockPath,
                        const std::function<Edit(std::string& text)>& edit, bool createFolder)
{
    if (path.empty())
        return false;
    if (createFolder && !CreateFolders(FolderOf(path)))
        return false;
    Fd lock(lockPath.empty()
                ? ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                : ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666));
    if (!lock.ok() || !FlockInterruptible(lock.get()))
        return false;
    std::string text;
    if (Read(path, text) == ReadResult::Failed)
        return false;
    switch (edit(text)) {
    case Edit::Fail:
        return false;
    case Edit::Keep:
        return true;
    case Edit::Write:
        break;
    }
    return Write(path, text);
    // The lock is released when `lock` closes.
}

}  // namespace platform
