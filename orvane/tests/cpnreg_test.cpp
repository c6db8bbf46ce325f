#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "orvane/title/CPNReg.h"
#include "platform/Registry.h"

namespace fs = std::filesystem;
using namespace orvane;

namespace {

class CPNRegTest : public testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("orvane_reg_" + std::to_string(::getpid()) + "_" +
                                            testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        path_ = (dir_ / "machine.reg").string();
    }
    void TearDown() override { fs::remove_all(dir_); }

    void PutAlbum(int n, const std::string& dir, const std::string& file, const std::string& title)
    {
        platform::Registry reg(path_);
        ASSERT_TRUE(reg.SetString(CPNReg::KeyOf(n), "Cover Dir", dir));
        ASSERT_TRUE(reg.SetString(CPNReg::KeyOf(n), "Cover File Name", file));
        ASSERT_TRUE(reg.SetString(CPNReg::KeyOf(n), "Cover Title", title));
    }

    fs::path dir_;
    std::string path_;
};

TEST_F(CPNRegTest, ReadsAlbumsInNumberOrder)
{
    PutAlbum(7, "Trips", "img7", "Holidays");
    PutAlbum(0, "Family", "img0", "Home");
    PutAlbum(3, "Dogs", "img3", "Pets");
    CPNReg reg(path_);
    ASSERT_EQ(reg.ReadAlbumKeys(), 3);
    ASSERT_EQ(reg.albumCount(), 3);
    EXPECT_EQ(reg.albums()[0].albumNumber, 0);
    EXPECT_EQ(reg.albums()[1].albumNumber, 3);
    EXPECT_EQ(reg.albums()[1].coverDir, "Dogs");
    EXPECT_EQ(reg.albums()[1].coverFileName, "img3");
    EXPECT_EQ(reg.albums()[1].coverTitle, "Pets");
    EXPECT_EQ(reg.albums()[2].albumNumber, 7);
}

TEST_F(CPNRegTest, AnAlbumMissingAValueIsLeftOutAndTheOthersKeepTheirPlaces)
{
    PutAlbum(1, "A", "a", "Album A");
    {
        platform::Registry reg(path_);
        ASSERT_TRUE(reg.SetString(CPNReg::KeyOf(2), "Cover Dir", "B"));
        ASSERT_TRUE(reg.SetString(CPNReg::KeyOf(2), "Cover Title", "no file name"));
    }
    PutAlbum(5, "C", "c", "Album C");
    CPNReg reg(path_);
    EXPECT_FALSE(reg.ReadAlbumKey(2));
    ASSERT_EQ(reg.ReadAlbumKeys(), 2);
    EXPECT_EQ(reg.albums()[0].coverTitle, "Album A");
    EXPECT_EQ(reg.albums()[1].albumNumber, 5);
    EXPECT_EQ(reg.albums()[1].coverTitle, "Album C");
}

TEST_F(CPNRegTest, WritesStringsWithoutTerminatingZero)
{
    CPNReg reg(path_);
    ASSERT_TRUE(reg.AddAlbum({4, "Dir", "File", "Title"}));
    ASSERT_TRUE(reg.WriteAlbumKeys());
    platform::Registry raw(path_);
    const auto v = raw.GetValue(CPNReg::KeyOf(4), "Cover Title");
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(v->type, platform::REG_SZ);
    EXPECT_EQ(std::string(v->data.begin(), v->data.end()), "Title");
    EXPECT_EQ(v->data.size(), 5u);
    CPNReg again(path_);
    ASSERT_EQ(again.ReadAlbumKeys(), 1);
    EXPECT_EQ(again.albums()[0].coverDir, "Dir");
}

TEST_F(CPNRegTest, WriteAlbumKeysReplacesEveryAlbumKey)
{
    PutAlbum(0, "T", "default", "TitleScreen");
    PutAlbum(42, "x", "y", "z");
    CPNReg reg(path_);
    reg.AddAlbum({3, "d3", "f3", "t3"});
    reg.AddAlbum({7, "d7", "f7", "t7"});
    ASSERT_TRUE(reg.WriteAlbumKeys());
    platform::Registry raw(path_);
    for (int n = 0; n < 100; ++n)
        EXPECT_EQ(raw.KeyExists(CPNReg::KeyOf(n)), n == 3 || n == 7) << n;
}

TEST_F(CPNRegTest, TitleAlbumIsAlbumZero)
{
    PutAlbum(3, "d3", "f3", "t3");
    CPNReg reg(path_);
    ASSERT_TRUE(reg.DeleteAlbumKeys());
    ASSERT_TRUE(reg.WriteTitleAlbum());
    ASSERT_EQ(reg.ReadAlbumKeys(), 1);
    EXPECT_EQ(reg.albums()[0].albumNumber, 0);
    EXPECT_EQ(reg.albums()[0].coverDir, "Title");
    EXPECT_EQ(reg.albums()[0].coverFileName, "default");
    EXPECT_EQ(reg.albums()[0].coverTitle, "TitleScreen");
}

TEST_F(CPNRegTest, ListHoldsAtMostHundredAlbums)
{
    CPNReg reg(path_);
    for (int i = 0; i < 100; ++i)
        ASSERT_TRUE(reg.AddAlbum({static_cast<uint8_t>(i), "d", "f", "t"}));
    EXPECT_FALSE(reg.AddAlbum({0, "d", "f", "t"}));
    EXPECT_EQ(reg.albumCount(), 100);
}

}  // namespace
