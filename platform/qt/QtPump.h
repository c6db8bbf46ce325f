#pragma once
#include "platform/Pump.h"

namespace platform {

// The GUI thread's way of waiting: while the serial and transfer layers wait
// for a device (WaitForFd, PumpSleep), the Qt event loop keeps running, so
// windows repaint and buttons answer. A wait runs a local event loop with a
// socket notifier on the descriptor and a single-shot timer for the limit.
//
// Create one QtPump on the GUI thread once the QCoreApplication exists; it
// installs the hook for that thread and puts the previous one back when it
// is destroyed (on the same thread). Other threads keep the plain sleep.
class QtPump {
public:
    QtPump();
    ~QtPump();
    QtPump(const QtPump&) = delete;
    QtPump& operator=(const QtPump&) = delete;

    // The hook itself: waits up to `timeoutMs` for `fd` (-1: just the time)
    // while running events; true when the descriptor is ready (or reports an
    // error or hang-up). Without a QCoreApplication it waits like DefaultWait.
    static bool Wait(int fd, short events, int timeoutMs);

private:
    PumpHook previous_;
};

}  // namespace platform
