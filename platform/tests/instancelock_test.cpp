#include "platform/InstanceLock.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;
namespace fs = std::filesystem;

namespace {

class InstanceLockTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/instancelock_test.XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        path_ = dir_ + "/tv10.key";
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string dir_;
    std::string path_;
};

}  // namespace

TEST_F(InstanceLockTest, SecondHolderIsRefusedUntilTheFirstIsGone)
{
    {
        InstanceLock first(path_);
        ASSERT_TRUE(first.held());
        InstanceLock second(path_);
        EXPECT_FALSE(second.held());
        EXPECT_EQ(second.error(), EWOULDBLOCK);

        InstanceLock moved(std::move(first));
        EXPECT_TRUE(moved.held());
        EXPECT_FALSE(first.held());
        EXPECT_FALSE(second.Acquire(path_));
    }
    InstanceLock again(path_);
    EXPECT_TRUE(again.held());
    again.Release();
    EXPECT_FALSE(again.held());
    EXPECT_TRUE(InstanceLock(path_).held());
}

TEST_F(InstanceLockTest, AnotherProcessIsRefusedAndTheLockDiesWithIt)
{
    int ready[2], quit[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(quit), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        InstanceLock lock(path_);
        char c = lock.held() ? 'y' : 'n';
        (void)!write(ready[1], &c, 1);
        (void)!read(quit[0], &c, 1);  // hold until told, then die without cleaning up
        _exit(0);
    }
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, 'y');
    InstanceLock mine(path_);
    EXPECT_FALSE(mine.held());
    EXPECT_EQ(mine.error(), EWOULDBLOCK);
    ASSERT_EQ(write(quit[1], "q", 1), 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(mine.Acquire(path_));
    for (int fd : {ready[0], ready[1], quit[0], quit[1]})
        close(fd);
}

TEST_F(InstanceLockTest, CreatesItsFolderAndReportsFailures)
{
    EXPECT_TRUE(InstanceLock(dir_ + "/state/orvane/orv.key").held());
    InstanceLock bad(dir_);  // a folder cannot be opened for writing
    EXPECT_FALSE(bad.held());
    EXPECT_NE(bad.error(), 0);
    EXPECT_FALSE(InstanceLock("").held());
}
