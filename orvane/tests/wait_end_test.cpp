#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "orvane/launch/ShellStarter.h"
#include "orvane/launch/WaitEnd.h"

namespace fs = std::filesystem;
using namespace orvane;

namespace {

class StartAndWait : public testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("orvane_wait_" + std::to_string(::getpid()) + "_" +
                                            testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "work");
    }
    void TearDown() override { fs::remove_all(dir_); }

    void Script(const fs::path& path, const std::string& body, bool executable = true)
    {
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        ::chmod(path.c_str(), executable ? 0755 : 0644);
    }

    fs::path dir_;
};

TEST_F(StartAndWait, FindsABareNameInTheWorkingFolderAndRunsThere)
{
    Script(dir_ / "work" / "prog.exe", "pwd > where.txt");
    ShellStarter shell;
    ShellStarter::Result r = shell.Start("prog.exe", (dir_ / "work").string());
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_TRUE(r.process.valid());
    ASSERT_TRUE(r.process.WaitForExit(-1));
    EXPECT_TRUE(WIFEXITED(r.process.status()));
    std::ifstream in(dir_ / "work" / "where.txt");
    std::string where;
    std::getline(in, where);
    EXPECT_EQ(fs::canonical(where), fs::canonical(dir_ / "work"));
}

TEST_F(StartAndWait, AMissingProgramFails)
{
    ShellStarter shell;
    EXPECT_FALSE(shell.Start("no-such-program-here.exe", (dir_ / "work").string()).ok);
    EXPECT_FALSE(shell.Start("", (dir_ / "work").string()).ok);
    EXPECT_FALSE(shell.Start((dir_ / "nothing.exe").string(), "").ok);
}

TEST_F(StartAndWait, WaitEndSendsOnceAfterTheProgramEndsAndBlocksUntilHandled)
{
    Script(dir_ / "work" / "quick.exe", "sleep 0.2");
    ShellStarter shell;
    ShellStarter::Result r = shell.Start("quick.exe", (dir_ / "work").string());
    ASSERT_TRUE(r.ok) << r.error;

    std::mutex m;
    std::condition_variable cv;
    std::function<void()> done;
    int sends = 0;
    WaitEnd wait(std::move(r.process), [&](std::function<void()> d) {
        std::lock_guard<std::mutex> lock(m);
        done = std::move(d);
        ++sends;
        cv.notify_all();
    });
    {
        std::unique_lock<std::mutex> lock(m);
        ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(20), [&] { return sends > 0; }));
    }
    // The thread stays in its send until the window thread says it is done.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(wait.Finished());
    done();
    for (int i = 0; i < 200 && !wait.Finished(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(wait.Finished());
    EXPECT_EQ(sends, 1);
}

TEST_F(StartAndWait, DestroyingWaitEndCancelsAWaitInProgress)
{
    Script(dir_ / "work" / "long.exe", "sleep 30");
    ShellStarter shell;
    ShellStarter::Result r = shell.Start("long.exe", (dir_ / "work").string());
    ASSERT_TRUE(r.ok) << r.error;
    const pid_t pid = r.process.pid();
    std::atomic<int> sends{0};
    {
        WaitEnd wait(std::move(r.process), [&](std::function<void()> d) {
            ++sends;
            d();
        });
    }
    EXPECT_EQ(sends.load(), 0);
    ::kill(pid, SIGTERM);
    ChildProcess reap(pid);
    EXPECT_TRUE(reap.WaitForExit(-1));
}

TEST_F(StartAndWait, AStartWithoutAProcessEndsAtOnce)
{
    std::mutex m;
    std::condition_variable cv;
    bool sent = false;
    WaitEnd wait(ChildProcess(), [&](std::function<void()> d) {
        d();
        std::lock_guard<std::mutex> lock(m);
        sent = true;
        cv.notify_all();
    });
    std::unique_lock<std::mutex> lock(m);
    EXPECT_TRUE(cv.wait_for(lock, std::chrono::seconds(10), [&] { return sent; }));
}

}  // namespace
