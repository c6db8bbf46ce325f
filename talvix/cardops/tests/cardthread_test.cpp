#include "talvix/cardops/CardThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace talvix;

TEST(CardThread, WaitReturnsAfterTheBodyWithEveryWriteVisible)
{
    CardThread t;
    int result = 0;
    ASSERT_TRUE(t.Start([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        result = 42;
    }));
    EXPECT_FALSE(t.ThreadDone.load());
    t.WaitDone();
    EXPECT_TRUE(t.ThreadDone.load());
    EXPECT_FALSE(t.Running());
    EXPECT_EQ(result, 42);
}

TEST(CardThread, ANewStartWaitsForTheRunningThread)
{
    CardThread t;
    std::atomic<int> running{0};
    std::atomic<int> most{0};
    auto body = [&] {
        const int now = ++running;
        if (now > most)
            most = now;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        --running;
    };
    ASSERT_TRUE(t.Start(body));
    ASSERT_TRUE(t.Start(body, CardThread::Priority::BelowNormal));
    t.WaitDone();
    EXPECT_EQ(most.load(), 1);
}

TEST(CardThread, WaitWithoutStartReturnsAtOnce)
{
    CardThread t;
    t.WaitDone();
    EXPECT_TRUE(t.ThreadDone.load());
}
