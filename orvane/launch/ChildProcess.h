#pragma once
#include <sys/types.h>

#include "orvane/launch/UniqueFd.h"

namespace orvane {

// A started child process that we reap ourselves: its pid and a pidfd to wait
// on. An empty object stands for a start that gave no process (a document
// handed to a program that was already running).
class ChildProcess {
public:
    ChildProcess() = default;
    // Takes over a child of this process; opens its pidfd.
    explicit ChildProcess(pid_t pid);
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() = default;  // a running child is left running

    bool valid() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }

    // Sleeps until the process ends or `cancelFd` becomes readable (-1: no
    // cancel). Returns true when the process ended; it is then reaped and the
    // object is empty. An empty object counts as ended at once.
    bool WaitForExit(int cancelFd);

    // Exit status as waitpid gave it, after WaitForExit returned true.
    int status() const { return status_; }

private:
    pid_t pid_ = -1;
    UniqueFd pidfd_;
    int status_ = 0;
};

}  // namespace orvane
