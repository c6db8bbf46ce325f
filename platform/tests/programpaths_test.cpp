#include "platform/ProgramPaths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <unistd.h>

using namespace platform;
namespace fs = std::filesystem;

namespace {

class ProgramPathsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/programpaths_test.XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        const char* xdg = std::getenv("XDG_CONFIG_HOME");
        const char* home = std::getenv("HOME");
        savedXdg_ = xdg ? std::optional<std::string>(xdg) : std::nullopt;
        savedHome_ = home ? std::optional<std::string>(home) : std::nullopt;
    }
    void TearDown() override
    {
        Restore("XDG_CONFIG_HOME", savedXdg_);
        Restore("HOME", savedHome_);
        fs::remove_all(dir_);
    }
    static void Restore(const char* name, const std::optional<std::string>& value)
    {
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }

    std::string dir_;
    std::optional<std::string> savedXdg_, savedHome_;
};

}  // namespace

TEST_F(ProgramPathsTest, ProgramFolderIsTheFolderOfThisExecutable)
{
    const std::string file = ProgramPaths::ProgramFile();
    ASSERT_FALSE(file.empty());
    EXPECT_TRUE(fs::equivalent(file, "/proc/self/exe"));
    const std::string folder = ProgramPaths::ProgramFolder();
    EXPECT_EQ(folder + "/" + fs::path(file).filename().string(), file);
    EXPECT_NE(folder.back(), '/');
    EXPECT_TRUE(fs::is_directory(folder));
}

TEST_F(ProgramPathsTest, WritableProgramFolderKeepsTheFiles)
{
    EXPECT_EQ(ProgramPaths::StateFolder(dir_, "tv10"), dir_);
    EXPECT_EQ(ProgramPaths::StateFilePath(dir_, "tv10", "tv10.ini"), dir_ + "/tv10.ini");
}

TEST_F(ProgramPathsTest, OtherwiseTheConfigFolderIsUsed)
{
    const std::string missing = dir_ + "/not-there";
    setenv("XDG_CONFIG_HOME", (dir_ + "/cfg/").c_str(), 1);
    EXPECT_EQ(ProgramPaths::StateFilePath(missing, "tv10", "tv10.key"), dir_ + "/cfg/tv10/tv10.key");

    // A relative XDG_CONFIG_HOME does not count; HOME/.config is used.
    setenv("XDG_CONFIG_HOME", "relative/cfg", 1);
    setenv("HOME", dir_.c_str(), 1);
    EXPECT_EQ(ProgramPaths::StateFolder(missing, "orvane"), dir_ + "/.config/orvane");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(ProgramPaths::ConfigFolder("tv10"), dir_ + "/.config/tv10");

    if (geteuid() != 0) {  // root may write anywhere
        const std::string readOnly = dir_ + "/ro";
        fs::create_directory(readOnly);
        fs::permissions(readOnly, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_EQ(ProgramPaths::StateFolder(readOnly, "tv10"), dir_ + "/.config/tv10");
        fs::permissions(readOnly, fs::perms::owner_all);
    }
}
