#include "platform/AtomicFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

using namespace platform;
namespace fs = std::filesystem;

namespace {

class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/atomicfile_test.XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string PathOf(const std::string& name) const { return dir_ + "/" + name; }
    void Put(const std::string& name, const std::string& text) const
    {
        std::ofstream(PathOf(name), std::ios::binary) << text;
    }
    std::string Get(const std::string& name) const
    {
        std::ifstream in(PathOf(name), std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    std::vector<std::string> Entries() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    mode_t ModeOf(const std::string& name) const
    {
        struct stat st {};
        EXPECT_EQ(::stat(PathOf(name).c_str(), &st), 0);
        return st.st_mode & 07777;
    }

    std::string dir_;
};

TEST_F(AtomicFileTest, ReplaceMakesANewFileWithUsualPermissions)
{
    const std::string bytes("pic\0ture", 8);
    ASSERT_TRUE(AtomicFile::Replace(PathOf("a.jpg"), bytes.data(), bytes.size()));
    EXPECT_EQ(Get("a.jpg"), bytes);
    EXPECT_EQ(ModeOf("a.jpg"), mode_t(0644));
    EXPECT_EQ(Entries(), std::vector<std::string>{"a.jpg"});  // no temporary left
}

TEST_F(AtomicFileTest, ReplaceKeepsPermissionBitsAndEmptiesAFileWhenAskedTo)
{
    Put("a.bmp", "old contents");
    ASSERT_EQ(::chmod(PathOf("a.bmp").c_str(), 0640), 0);
    ASSERT_TRUE(AtomicFile::Replace(PathOf("a.bmp"), "new", 3));
    EXPECT_EQ(Get("a.bmp"), "new");
    EXPECT_EQ(ModeOf("a.bmp"), mode_t(0640));
    ASSERT_TRUE(AtomicFile::Replace(PathOf("a.bmp"), nullptr, 0));
    EXPECT_EQ(Get("a.bmp"), "");
    EXPECT_EQ(Entries(), std::vector<std::string>{"a.bmp"});
}

TEST_F(AtomicFileTest, ReplaceWorksForTheLongestFileName)
{
    const std::string name(255, 'n');
    Put(name, "old");
    ASSERT_TRUE(AtomicFile::Replace(PathOf(name), "new", 3));
    EXPECT_EQ(Get(name), "new");
    EXPECT_EQ(Entries(), std::vector<std::string>{name});
}

TEST_F(AtomicFileTest, ReplaceThroughALinkKeepsTheLink)
{
    Put("target.jpg", "old");
    fs::create_symlink(PathOf("target.jpg"), PathOf("link.jpg"));
    ASSERT_TRUE(AtomicFile::Replace(PathOf("link.jpg"), "new", 3));
    EXPECT_TRUE(fs::is_symlink(PathOf("link.jpg")));
    EXPECT_EQ(Get("target.jpg"), "new");
}

TEST_F(AtomicFileTest, ReplaceFailsCleanlyWhereNoFileCanBe)
{
    fs::create_directory(PathOf("folder"));
    Put("folder/inside", "kept");
    struct Case {
        const char* what;
        std::string path;
    };
    const Case cases[] = {
        {"missing folder", PathOf("none/a.jpg")},
        {"a folder in the way", PathOf("folder")},
        {"empty path", ""},
        {"path ending in a slash", PathOf("folder/")},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(AtomicFile::Replace(c.path, "x", 1)) << c.what;
    }
    EXPECT_EQ(Entries(), std::vector<std::string>{"folder"}) << "no temporary left";
    EXPECT_EQ(Get("folder/inside"), "kept");
}

TEST_F(AtomicFileTest, BoundedReadRefusesALargerFileAndTellsAMissingOne)
{
    Put("ten", "0123456789");
    fs::create_directory(PathOf("folder"));
    struct Case {
        const char* name;
        std::size_t limit;
        AtomicFile::ReadResult result;
        const char* text;
    };
    const Case cases[] = {
        {"ten", 10, AtomicFile::ReadResult::Ok, "0123456789"},
        {"ten", 100, AtomicFile::ReadResult::Ok, "0123456789"},
        {"ten", 9, AtomicFile::ReadResult::Failed, ""},
        {"none", 100, AtomicFile::ReadResult::Missing, ""},
        {"folder", 100, AtomicFile::ReadResult::Failed, ""},
    };
    for (const Case& c : cases) {
        std::string text = "stale";
        EXPECT_EQ(AtomicFile::Read(PathOf(c.name), text, c.limit), c.result) << c.name << " " << c.limit;
        EXPECT_EQ(text, c.text) << c.name << " " << c.limit;
    }
}

}  // namespace
