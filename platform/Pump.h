#pragma once
#include <cstdint>
#include <functional>

namespace platform {

// Waiting without freezing a window.
//
// The serial and transfer layers wait in two ways: for a while, or for a file
// descriptor to become ready (with a limit). On a worker thread both simply
// block in poll(). On the GUI thread the Qt glue installs a hook that runs the
// event loop for the same time instead, so windows keep painting and buttons
// keep answering while a device is slow. A wait never spins.
//
// The hook gets the descriptor (-1 for a plain delay), the poll() events of
// interest and the limit in milliseconds; it returns true when the descriptor
// became ready before the limit.
using PumpHook = std::function<bool(int fd, short events, int timeoutMs)>;

// Installs `hook` for the calling thread only; an empty hook restores the
// default (poll/sleep). Returns the previous hook.
PumpHook SetThreadPumpHook(PumpHook hook);

// Waits up to `timeoutMs` for `fd` to be ready for `events` (POLLIN, POLLOUT),
// through the calling thread's hook. Returns true when it is ready (or has an
// error or hang-up to report, which the caller's next read or write will tell).
bool WaitForFd(int fd, short events, int timeoutMs);

// Waits `ms` milliseconds through the calling thread's hook.
void PumpSleep(int ms);

// The default wait without any hook: poll() on the descriptor, or a sleep.
bool DefaultWait(int fd, short events, int timeoutMs);

}  // namespace platform
