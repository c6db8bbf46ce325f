#include "platform/Pump.h"
#include "platform/Tick.h"
#include "platform/qt/QtPump.h"
#include "platform/qt/UiInvoker.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <poll.h>
#include <thread>
#include <unistd.h>

using namespace platform;

namespace {

// Both ends of a pipe, closed at the end of the test.
struct Pipe {
    int fds[2] = {-1, -1};
    Pipe() { EXPECT_EQ(pipe(fds), 0); }
    ~Pipe()
    {
        close(fds[0]);
        close(fds[1]);
    }
    int reader() const { return fds[0]; }
    int writer() const { return fds[1]; }
};

}  // namespace

TEST(QtPump, TimerFiresDuringSleepOnTheUiThread)
{
    QtPump pump;
    bool fired = false;
    QTimer::singleShot(20, [&] { fired = true; });
    const uint32_t start = GetTickCount();
    PumpSleep(150);
    EXPECT_TRUE(fired);
    EXPECT_GE(TicksSince(start), 149u);  // the timer does not cut the sleep short
}

TEST(QtPump, PipeWriteWakesTheWait)
{
    QtPump pump;
    Pipe p;
    bool timerRan = false;
    QTimer::singleShot(10, [&] { timerRan = true; });
    std::thread writer([&] {
        usleep(60000);
        ASSERT_EQ(write(p.writer(), "x", 1), 1);
    });
    const uint32_t start = GetTickCount();
    EXPECT_TRUE(WaitForFd(p.reader(), POLLIN, 10000));
    EXPECT_LT(TicksSince(start), 9000u);  // woken by the data, not by the limit
    writer.join();
    EXPECT_TRUE(timerRan);

    // Data already there: ready at once; writing to an empty pipe too.
    EXPECT_TRUE(WaitForFd(p.reader(), POLLIN, 0));
    EXPECT_TRUE(WaitForFd(p.writer(), POLLOUT, 1000));
}

TEST(QtPump, WaitTimesOutWithoutData)
{
    QtPump pump;
    Pipe p;
    const uint32_t start = GetTickCount();
    EXPECT_FALSE(WaitForFd(p.reader(), POLLIN, 50));
    EXPECT_GE(TicksSince(start), 49u);
}

TEST(QtPump, HangUpCountsAsReady)
{
    QtPump pump;
    Pipe p;
    close(p.fds[1]);
    p.fds[1] = -1;
    EXPECT_TRUE(WaitForFd(p.reader(), POLLIN, 5000));
}

TEST(QtPump, PreviousHookComesBack)
{
    int calls = 0;
    SetThreadPumpHook([&](int, short, int) {
        ++calls;
        return false;
    });
    {
        QtPump pump;
        PumpSleep(1);
        EXPECT_EQ(calls, 0);
    }
    PumpSleep(1);
    EXPECT_EQ(calls, 1);
    SetThreadPumpHook(nullptr);

    // Without the pump a sleep runs no events.
    bool fired = false;
    QTimer::singleShot(5, [&] { fired = true; });
    PumpSleep(40);
    EXPECT_FALSE(fired);
    QCoreApplication::processEvents();
    EXPECT_TRUE(fired);
}

TEST(QtPump, WaitWhileTheApplicationQuitsStillSleepsTheTimeAsked)
{
    QtPump pump;
    uint32_t took = 0;
    QTimer::singleShot(0, [&] {
        QCoreApplication::exit(0);  // from now on event loops refuse to run
        const uint32_t start = GetTickCount();
        PumpSleep(80);
        took = TicksSince(start);
    });
    QCoreApplication::exec();
    EXPECT_GE(took, 79u);
}

TEST(UiInvoker, PostRunsOnTheUiThreadInOrder)
{
    QtPump pump;
    UiInvoker invoker;
    std::vector<int> order;
    std::atomic<bool> wrongThread{false};
    QThread* const ui = QThread::currentThread();
    std::thread worker([&] {
        EXPECT_FALSE(invoker.OnUiThread());
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(invoker.Post([&, i] {
                if (QThread::currentThread() != ui)
                    wrongThread = true;
                order.push_back(i);
            }));
    });
    worker.join();
    EXPECT_TRUE(order.empty());  // queued, not run on the worker
    for (int i = 0; i < 100 && order.size() < 3; ++i)
        PumpSleep(5);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    EXPECT_FALSE(wrongThread);
}

TEST(UiInvoker, SendWaitsUntilTheCallHasRun)
{
    QtPump pump;
    UiInvoker invoker;
    int value = 0;
    std::atomic<bool> done{false};
    std::atomic<int> seenAfterSend{-1};
    std::thread worker([&] {
        EXPECT_TRUE(invoker.Send([&] {
            EXPECT_TRUE(invoker.OnUiThread());
            value = 42;
        }));
        seenAfterSend = value;  // the call has run when Send returns
        done = true;
    });
    // The UI thread keeps waiting through the pump, as it does during card work.
    for (int i = 0; i < 1000 && !done; ++i)
        PumpSleep(5);
    worker.join();
    EXPECT_EQ(seenAfterSend, 42);

    // From the UI thread itself: runs at once, no dead-lock.
    int direct = 0;
    EXPECT_TRUE(invoker.Send([&] { direct = 7; }));
    EXPECT_EQ(direct, 7);
    EXPECT_FALSE(invoker.Post(nullptr));
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
