#include "Pump.h"

#include <cerrno>
#include <poll.h>

#include "Tick.h"

namespace platform {

namespace {
thread_local PumpHook t_hook;
}

PumpHook SetThreadPumpHook(PumpHook hook)
{
    PumpHook previous = std::move(t_hook);
    t_hook = std::move(hook);
    return previous;
}

bool DefaultWait(int fd, short events, int timeoutMs)
{
    if (timeoutMs < 0)
        timeoutMs = 0;
    const uint32_t start = GetTickCount();
    for (;;) {
        const uint32_t elapsed = TicksSince(start);
        const int left = elapsed >= static_cast<uint32_t>(timeoutMs) ? 0 : timeoutMs - static_cast<int>(elapsed);
        pollfd p{fd, events, 0};
        // poll() with a negative fd ignores it and just sleeps for the time.
        const int n = poll(&p, 1, left);
        if (n > 0)
            return fd >= 0;
        if (n == 0)
            return false;
        if (errno != EINTR)
            return false;
        if (left == 0)
            return false;
    }
}

bool WaitForFd(int fd, short events, int timeoutMs)
{
    if (t_hook)
        return t_hook(fd, events, timeoutMs);
    return DefaultWait(fd, events, timeoutMs);
}

void PumpSleep(int ms)
{
    WaitForFd(-1, 0, ms);
}

}  // namespace platform
