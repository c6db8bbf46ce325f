#include "platform/Pump.h"
#include "platform/Tick.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <thread>
#include <unistd.h>

using namespace platform;

TEST(Pump, SleepWaitsAboutTheTimeAsked)
{
    const uint32_t start = GetTickCount();
    PumpSleep(30);
    const uint32_t took = TicksSince(start);
    EXPECT_GE(took, 29u);
    EXPECT_LT(took, 1000u);
}

TEST(Pump, FdWaitWakesWhenDataArrives)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    std::thread writer([&] {
        usleep(20000);
        ASSERT_EQ(write(fds[1], "x", 1), 1);
    });
    EXPECT_TRUE(WaitForFd(fds[0], POLLIN, 5000));
    writer.join();
    close(fds[0]);
    close(fds[1]);
}

TEST(Pump, FdWaitTimesOutWithoutData)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    EXPECT_FALSE(WaitForFd(fds[0], POLLIN, 20));
    close(fds[0]);
    close(fds[1]);
}

TEST(Pump, HookIsPerThreadAndReplaceable)
{
    int calls = 0;
    SetThreadPumpHook([&](int, short, int) { ++calls; return false; });
    PumpSleep(5);
    std::thread other([] { PumpSleep(1); });  // other thread keeps the default
    other.join();
    EXPECT_EQ(calls, 1);
    SetThreadPumpHook({});
    PumpSleep(1);
    EXPECT_EQ(calls, 1);
}
