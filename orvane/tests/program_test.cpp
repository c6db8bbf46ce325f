// The orvane program as a whole, run as its own process in a launcher folder
// laid out with the stand-in programs.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "orvane/launch/ChildProcess.h"
#include "platform/InstanceLock.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

class ProgramTest : public testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("orvane_prog_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        const std::string cmd = std::string(SUITE_BIN_DIR) + "/standins/make-demo-folder '" + dir_.string() + "' '" +
                                SUITE_BIN_DIR + "' > /dev/null";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::setenv("XDG_CONFIG_HOME", (dir_ / "xdg/config").c_str(), 1);
        ::setenv("MARLO_REGISTRY", (dir_ / "machine.reg").c_str(), 1);
    }
    void TearDown() override { fs::remove_all(dir_); }

    orvane::ChildProcess Run()
    {
        std::string program = (dir_ / "orvane").string();
        char* argv[] = {program.data(), nullptr};
        pid_t pid = -1;
        EXPECT_EQ(::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ), 0);
        return orvane::ChildProcess(pid);
    }

    // True once some process holds the launcher's lock.
    bool LockTaken() const
    {
        platform::InstanceLock probe;
        return !probe.Acquire((dir_ / "orv.key").string());
    }

    fs::path dir_;
};

TEST_F(ProgramTest, ASecondOrvaneEndsAtOnceWithZero)
{
    orvane::ChildProcess first = Run();
    ASSERT_TRUE(first.valid());
    bool taken = false;
    for (int i = 0; i < 600 && !taken; ++i) {
        taken = LockTaken();
        if (!taken)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_TRUE(taken) << "the first launcher never took its lock";

    orvane::ChildProcess second = Run();
    ASSERT_TRUE(second.WaitForExit(-1));
    ASSERT_TRUE(WIFEXITED(second.status()));
    EXPECT_EQ(WEXITSTATUS(second.status()), 0);

    // The first one is still there, holding the lock.
    EXPECT_TRUE(LockTaken());
    ::kill(first.pid(), SIGTERM);
    ASSERT_TRUE(first.WaitForExit(-1));
    EXPECT_FALSE(LockTaken());
}

}  // namespace
