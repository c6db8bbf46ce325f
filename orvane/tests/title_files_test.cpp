#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "orvane/title/TitleFiles.h"

namespace fs = std::filesystem;
using namespace orvane;

namespace {

class TitleFilesTest : public testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("orvane_tf_" + std::to_string(::getpid()) + "_" +
                                            testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    void Touch(const std::string& name) { std::ofstream(dir_ / name) << "x"; }
    std::string P(const std::string& name) const { return (dir_ / name).string(); }
    fs::path dir_;
};

uint32_t Le32(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}

TEST_F(TitleFilesTest, BlankTitleIsAWhite640x480BitmapOf921654Bytes)
{
    ASSERT_TRUE(TitleFiles::WriteBlankTitle(P("TitleBase.bmp")));
    ASSERT_EQ(fs::file_size(dir_ / "TitleBase.bmp"), 921654u);
    std::ifstream in(dir_ / "TitleBase.bmp", std::ios::binary);
    std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(b.size(), 921654u);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(Le32(b, 2), 921654u);
    EXPECT_EQ(Le32(b, 6), 0u);
    EXPECT_EQ(Le32(b, 10), 54u);
    EXPECT_EQ(Le32(b, 14), 40u);
    EXPECT_EQ(Le32(b, 18), 640u);
    EXPECT_EQ(Le32(b, 22), 480u);
    EXPECT_EQ(b[26] | (b[27] << 8), 1);
    EXPECT_EQ(b[28] | (b[29] << 8), 24);
    EXPECT_EQ(Le32(b, 30), 0u);
    EXPECT_EQ(Le32(b, 34), 921600u);
    for (size_t i = 38; i < 54; ++i)
        EXPECT_EQ(b[i], 0) << i;
    for (size_t i = 54; i < b.size(); ++i)
        ASSERT_EQ(b[i], 255) << i;
}

TEST_F(TitleFilesTest, BlankTitleReplacesAnOldFileAndFailsInAMissingFolder)
{
    std::ofstream(dir_ / "TitleBase.bmp") << "old contents";
    ASSERT_TRUE(TitleFiles::WriteBlankTitle(P("TitleBase.bmp")));
    EXPECT_EQ(fs::file_size(dir_ / "TitleBase.bmp"), 921654u);
    EXPECT_FALSE(TitleFiles::WriteBlankTitle(P("no/such/folder/TitleBase.bmp")));
    EXPECT_FALSE(TitleFiles::WriteBlankTitle(""));
}

TEST_F(TitleFilesTest, NextFreeFrameNameCountsUpFromTheFirstGap)
{
    EXPECT_EQ(TitleFiles::NextFreeFrameName(P("FRAME000.jpg")), P("FRAME000.jpg"));
    Touch("FRAME000.jpg");
    Touch("FRAME001.jpg");
    EXPECT_EQ(TitleFiles::NextFreeFrameName(P("FRAME000.jpg")), P("FRAME002.jpg"));
    // A folder of the name does not count as taken; another letter case does.
    fs::create_directory(dir_ / "FRAME002.jpg");
    Touch("frame003.JPG");
    EXPECT_EQ(TitleFiles::NextFreeFrameName(P("FRAME000.jpg")), P("FRAME002.jpg"));
    fs::remove(dir_ / "FRAME002.jpg");
    Touch("FRAME002.jpg");
    EXPECT_EQ(TitleFiles::NextFreeFrameName(P("FRAME000.jpg")), P("FRAME004.jpg"));
    // A gap further down is found again.
    fs::remove(dir_ / "FRAME001.jpg");
    EXPECT_EQ(TitleFiles::NextFreeFrameName(P("FRAME000.jpg")), P("FRAME001.jpg"));
}

TEST_F(TitleFilesTest, AllThousandTakenGives999)
{
    for (int n = 0; n <= 999; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "FRAME%03d.jpg", n);
        Touch(name);
    }
    EXPECT_EQ(TitleFiles::NextFreeFrameName(P("FRAME000.jpg")), P("FRAME999.jpg"));
}

TEST(TitleFileNames, ThumbnailReplacesTheLastThreeCharacters)
{
    EXPECT_EQ(TitleFiles::ThumbnailPathOf("/g/TITLE/FRAME002.jpg"), "/g/TITLE/FRAME002.tbm");
    EXPECT_EQ(TitleFiles::ThumbnailPathOf("/g/TITLE/FRAME002.JPG"), "/g/TITLE/FRAME002.tbm");
}

}  // namespace
