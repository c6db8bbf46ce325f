#include "QtPump.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>
#include <memory>
#include <poll.h>

#include "platform/Tick.h"

namespace platform {

namespace {

// Ready now (or in error / hung up, which the caller's next read or write
// will report)?
bool ReadyNow(int fd, short events)
{
    if (fd < 0)
        return false;
    pollfd p{fd, events, 0};
    return poll(&p, 1, 0) > 0;
}

int Remaining(uint32_t start, int timeoutMs)
{
    const uint32_t elapsed = TicksSince(start);
    return elapsed >= static_cast<uint32_t>(timeoutMs) ? 0 : timeoutMs - static_cast<int>(elapsed);
}

}  // namespace

QtPump::QtPump() : previous_(SetThreadPumpHook(&QtPump::Wait)) {}

QtPump::~QtPump() { SetThreadPumpHook(std::move(previous_)); }

bool QtPump::Wait(int fd, short events, int timeoutMs)
{
    if (!QCoreApplication::instance())
        return DefaultWait(fd, events, timeoutMs);
    if (timeoutMs < 0)
        timeoutMs = 0;
    const uint32_t start = GetTickCount();

    // Whatever is pending runs first, so that a device that always has data
    // ready cannot starve the windows.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (ReadyNow(fd, events))
        return true;

    for (int left = Remaining(start, timeoutMs); left > 0; left = Remaining(start, timeoutMs)) {
        QEventLoop loop;
        bool timedOut = false;
        bool signalled = false;
        QTimer timer;
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
            timedOut = true;
            loop.quit();
        });
        std::unique_ptr<QSocketNotifier> readable;
        std::unique_ptr<QSocketNotifier> writable;
        auto wake = [&] {
            signalled = true;
            loop.quit();
        };
        if (fd >= 0 && (events & (POLLIN | POLLPRI))) {
            readable = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
            QObject::connect(readable.get(), &QSocketNotifier::activated, &loop, wake);
        }
        if (fd >= 0 && (events & POLLOUT)) {
            writable = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
            QObject::connect(writable.get(), &QSocketNotifier::activated, &loop, wake);
        }
        timer.start(left);
        loop.exec();

        // Readiness is asked of the descriptor itself: a nested wait on the
        // same descriptor may have taken the notifier's event.
        if (ReadyNow(fd, events))
            return true;
        if (timedOut)
            return false;
        if (!signalled) {
            // The loop was stopped from outside (the application is
            // quitting, so event loops no longer run): sleep out the rest
            // instead of returning early into a caller's retry loop.
            return DefaultWait(fd, events, Remaining(start, timeoutMs));
        }
        // Woken, but someone else took the data: wait on for the rest.
    }
    return ReadyNow(fd, events);
}

}  // namespace platform
