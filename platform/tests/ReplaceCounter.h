#pragma once
#include <sys/inotify.h>
#include <unistd.h>

#include <string>

namespace platform_test {

// Counts how often one file is replaced by a rename into its folder, which
// is how every atomic rewrite ends. Watching starts at construction; Count()
// gives the replacements seen so far.
class ReplaceCounter {
public:
    ReplaceCounter(const std::string& folder, std::string name) : name_(std::move(name))
    {
        fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        // Events of the temporary files are watched as well: they separate the
        // renames onto the file, which would otherwise be merged into one
        // event while nobody reads them.
        if (fd_ >= 0 && ::inotify_add_watch(fd_, folder.c_str(), IN_CREATE | IN_MOVED_FROM | IN_MOVED_TO) < 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~ReplaceCounter()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    ReplaceCounter(const ReplaceCounter&) = delete;
    ReplaceCounter& operator=(const ReplaceCounter&) = delete;

    bool ok() const { return fd_ >= 0; }

    // Replacements of the file since construction; -1 when the watch is not
    // working or lost events.
    int Count()
    {
        alignas(inotify_event) char buffer[8192];
        for (;;) {
            const ssize_t n = fd_ >= 0 ? ::read(fd_, buffer, sizeof buffer) : -1;
            if (n <= 0)
                break;
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->mask & IN_Q_OVERFLOW)
                    overflow_ = true;
                else if ((event->mask & IN_MOVED_TO) && event->len > 0 && name_ == event->name)
                    ++count_;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return fd_ < 0 || overflow_ ? -1 : count_;
    }

private:
    std::string name_;
    int fd_ = -1;
    int count_ = 0;
    bool overflow_ = false;
};

}  // namespace platform_test
