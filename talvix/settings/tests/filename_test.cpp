#include "talvix/settings/FileName.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

using talvix::FileName;
namespace fs = std::filesystem;

namespace {

class FileNameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/filename_test.XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string dir_;
};

}  // namespace

TEST(FileNameText, ExtensionOnlyWithinTheLastFiveBytes)
{
    const struct {
        const char* path;
        const char* ext;
    } cases[] = {
        {"/pics/a.jpeg", "jpeg"},
        {"/pics/a.JPG", "JPG"},
        {"/pics/a.b.tbm", "tbm"},
        {"/pics/a.html5", ""},    // the dot is six bytes from the end
        {"/pics/a.mpeg4", ""},
        {"/pics/name.", ""},
        {"/pics/.jpg", "jpg"},
        {"a.x", "x"},
        {"", ""},
        {".", ""},
        {"/pic.s/ab", ""},         // a dot in a folder name is no extension
        {"/pics/\xE5\x86\x99.jpg", "jpg"},
        {"/pics/\xE5\x86\x99\xE7\x9C\x9F", ""},  // UTF-8 bytes are never dots
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileName::GetExt(c.path), c.ext) << c.path;
        EXPECT_EQ(FileName(c.path).GetExt(), c.ext) << c.path;
    }
}

TEST(FileNameText, FolderNameAndParts)
{
    const struct {
        const char* path;
        const char* dir;
        const char* file;
        const char* base;
    } cases[] = {
        {"/usr/lib/talvix/talvix", "/usr/lib/talvix", "talvix", "talvix"},
        {"/home/me/TITLE/FRAME003.jpg", "/home/me/TITLE", "FRAME003.jpg", "FRAME003"},
        {"/home/me/archive.tar.gz", "/home/me", "archive.tar.gz", "archive.tar"},
        {"/home/me/.hidden", "/home/me", ".hidden", ".hidden"},
        {"/home/me/folder/", "/home/me/folder", "", ""},
        {"/file", "", "file", "file"},
        {"plain.txt", "", "plain.txt", "plain"},
        {"", "", "", ""},
    };
    for (const auto& c : cases) {
        FileName name(c.path);
        EXPECT_EQ(name.GetDir(), c.dir) << c.path;
        EXPECT_EQ(name.GetFileName(), c.file) << c.path;
        EXPECT_EQ(name.GetBaseName(), c.base) << c.path;
        EXPECT_EQ(name.GetDrive(), "") << c.path;
    }
}

TEST(FileNameText, FullPath)
{
    EXPECT_EQ(FileName::GetFullPath(""), "");
    EXPECT_EQ(FileName::GetFullPath("/a/b"), "/a/b");
    EXPECT_EQ(FileName::GetFullPath("x/y"), fs::current_path().string() + "/x/y");
}

TEST_F(FileNameTest, CheckPathCreatesNestedMissingFolders)
{
    const std::string target = dir_ + "/one/two/three/";
    EXPECT_FALSE(FileName::CheckPath(target, false));
    EXPECT_FALSE(fs::exists(dir_ + "/one"));  // testing creates nothing
    EXPECT_TRUE(FileName(target).CheckPath(true));
    EXPECT_TRUE(fs::is_directory(dir_ + "/one/two/three"));
    EXPECT_TRUE(FileName::CheckPath(target, false));
    EXPECT_TRUE(FileName::CheckPath(dir_ + "//one//two/", false));

    // Without the trailing "/" the last part is not looked at.
    EXPECT_TRUE(FileName::CheckPath(dir_ + "/one/four", false));
    EXPECT_FALSE(fs::exists(dir_ + "/one/four"));
    EXPECT_TRUE(FileName::CheckPath("/", false));
}

TEST_F(FileNameTest, CheckPathFailsOnAFileOrARelativePath)
{
    std::ofstream(dir_ + "/file") << "x";
    EXPECT_FALSE(FileName::CheckPath(dir_ + "/file/sub/", true));
    EXPECT_FALSE(fs::exists(dir_ + "/file/sub"));
    EXPECT_FALSE(FileName::CheckPath(dir_ + "/file/", false));
    EXPECT_TRUE(FileName::CheckPath(dir_ + "/file", false));  // the last part is not tested
    EXPECT_FALSE(FileName::CheckPath("relative/path/", true));
    EXPECT_FALSE(fs::exists("relative"));
    EXPECT_FALSE(FileName::CheckPath("", true));
    if (geteuid() != 0) {
        fs::create_directory(dir_ + "/ro");
        fs::permissions(dir_ + "/ro", fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(FileName::CheckPath(dir_ + "/ro/new/", true));
        fs::permissions(dir_ + "/ro", fs::perms::owner_all);
    }
}

TEST_F(FileNameTest, FileExistsOnlyForEntriesThatAreNotFolders)
{
    std::ofstream(dir_ + "/FRAME000.jpg") << "x";
    EXPECT_TRUE(FileName::FileExists(dir_ + "/FRAME000.jpg"));
    EXPECT_TRUE(FileName(dir_ + "/FRAME000.jpg").FileExists());
    EXPECT_FALSE(FileName::FileExists(dir_ + "/FRAME001.jpg"));
    EXPECT_FALSE(FileName::FileExists(dir_));
    EXPECT_FALSE(FileName::FileExists(""));
}
