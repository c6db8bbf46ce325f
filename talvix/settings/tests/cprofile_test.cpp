#include "talvix/settings/CProfile.h"

#include "platform/ProgramPaths.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <sstream>

using talvix::CProfile;
namespace fs = std::filesystem;

namespace {

class CProfileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/cprofile_test.XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        path_ = dir_ + "/tv10.ini";
    }
    void TearDown() override { fs::remove_all(dir_); }

    void WriteFile(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    static std::string ReadFile(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }

    std::string dir_;
    std::string path_;
};

}  // namespace

TEST_F(CProfileTest, DefaultPathsComeFromTheProgramFolder)
{
    const std::string expected = platform::ProgramPaths::StateFilePath("tv10", "tv10.ini");
    const bool existed = fs::exists(expected);
    CProfile profile;
    EXPECT_EQ(profile.programFolder(), platform::ProgramPaths::ProgramFolder());
    EXPECT_EQ(profile.settingsPath(), expected);
    EXPECT_EQ(fs::exists(expected), existed) << "construction must not touch the file";
    CProfile orvane("orh10.ini", "orh10");
    EXPECT_EQ(orvane.settingsPath(), platform::ProgramPaths::StateFilePath("orh10", "orh10.ini"));
}

TEST_F(CProfileTest, EmptyValueReadsAsMissing)
{
    WriteFile(path_, "[INIT]\nICON=\nSAVEFOLDER=   \nWRITE=1\n");
    CProfile profile = CProfile::AtPath(path_, dir_);
    std::string text = "stale";
    EXPECT_FALSE(profile.ReadString("INIT", "ICON", text));
    EXPECT_EQ(text, "");
    EXPECT_FALSE(profile.ReadString("INIT", "SAVEFOLDER", text));
    int icon = 7;
    EXPECT_FALSE(profile.ReadInt("INIT", "ICON", icon));
    EXPECT_EQ(icon, 7);  // untouched: the caller keeps its default
    int write = 0;
    EXPECT_TRUE(profile.ReadInt("init", "write", write));
    EXPECT_EQ(write, 1);
}

TEST_F(CProfileTest, LongValueIsCutTo254Characters)
{
    CProfile profile = CProfile::AtPath(path_, dir_);
    ASSERT_TRUE(profile.WriteString("INIT", "SAVEFOLDER", std::string(300, 'p')));
    std::string text;
    ASSERT_TRUE(profile.ReadString("INIT", "SAVEFOLDER", text));
    EXPECT_EQ(text, std::string(254, 'p'));
}

TEST_F(CProfileTest, IntegersAsDecimalText)
{
    CProfile profile = CProfile::AtPath(path_, dir_);
    ASSERT_TRUE(profile.WriteInt("frmMain", "Top", -40));
    ASSERT_TRUE(profile.WriteInt("FRMMAIN", "Left", INT_MAX));
    ASSERT_TRUE(profile.WriteString("INIT", "SAVEFOLDER", ""));
    EXPECT_EQ(ReadFile(path_), "[frmMain]\nTop=-40\nLeft=2147483647\n\n[INIT]\nSAVEFOLDER=\n");

    const struct {
        const char* text;
        bool found;
        int value;
    } cases[] = {
        {"12", true, 12},       {"-3", true, -3},           {"+5", true, 5},
        {"0", true, 0},         {"-2147483648", true, INT_MIN},
        {"2147483648", false, 0}, {"12abc", false, 0},      {"abc", false, 0},
        {"1.5", false, 0},      {"+-1", false, 0},          {"+", false, 0},
        {"-", false, 0},        {"0x10", false, 0},         {"1 2", false, 0},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(profile.WriteString("T", "V", c.text));
        int value = 99;
        EXPECT_EQ(profile.ReadInt("t", "v", value), c.found) << c.text;
        EXPECT_EQ(value, c.found ? c.value : 99) << c.text;
    }
}

TEST_F(CProfileTest, MissingOrUnwritableFile)
{
    CProfile missing = CProfile::AtPath(dir_ + "/none.ini", dir_);
    std::string text;
    EXPECT_FALSE(missing.ReadString("INIT", "ICON", text));

    std::ofstream(dir_ + "/file") << "x";
    CProfile blocked = CProfile::AtPath(dir_ + "/file/tv10.ini", dir_);
    EXPECT_FALSE(blocked.WriteInt("INIT", "ICON", 1));
    EXPECT_FALSE(blocked.ReadString("INIT", "ICON", text));
}

TEST_F(CProfileTest, ShippedCopyIsReadUntilTheFirstChange)
{
    const std::string shipped = dir_ + "/program/tv10.ini";
    const std::string own = dir_ + "/config/tv10/tv10.ini";
    fs::create_directories(dir_ + "/program");
    WriteFile(shipped, "; shipped\n[INIT]\nWRITE=1\n");
    CProfile profile = CProfile::AtPath(own, dir_ + "/program", shipped);
    int write = 0;
    EXPECT_TRUE(profile.ReadInt("INIT", "WRITE", write));
    EXPECT_EQ(write, 1);

    ASSERT_TRUE(profile.WriteInt("INIT", "ICON", 2));
    EXPECT_EQ(ReadFile(own), "; shipped\n[INIT]\nWRITE=1\nICON=2\n");
    EXPECT_EQ(ReadFile(shipped), "; shipped\n[INIT]\nWRITE=1\n");

    // From now on the own file is the one that counts.
    WriteFile(shipped, "[INIT]\nWRITE=0\n");
    EXPECT_TRUE(profile.ReadInt("INIT", "WRITE", write));
    EXPECT_EQ(write, 1);
}

TEST_F(CProfileTest, WriteManyStartsFromTheShippedCopyAndMatchesSingleWrites)
{
    using platform::IniChange;
    const std::vector<IniChange> changes = {IniChange::Write("INIT", "ICON", "2"), IniChange::Write("Gallo", "Album", "0"),
                                            IniChange::DeleteKey("init", "write"), IniChange::Write("Gallo", "Dir0", "")};
    const std::string shipped = dir_ + "/program/tv10.ini";
    fs::create_directories(dir_ + "/program");
    WriteFile(shipped, "; shipped\n[INIT]\nWRITE=1\n");

    CProfile single = CProfile::AtPath(dir_ + "/one/tv10.ini", dir_ + "/program", shipped);
    ASSERT_TRUE(single.WriteString("INIT", "ICON", "2"));
    ASSERT_TRUE(single.WriteString("Gallo", "Album", "0"));
    ASSERT_TRUE(platform::IniFile(single.settingsPath()).DeleteKey("init", "write"));
    ASSERT_TRUE(single.WriteString("Gallo", "Dir0", ""));

    CProfile batch = CProfile::AtPath(dir_ + "/many/tv10.ini", dir_ + "/program", shipped);
    ASSERT_TRUE(batch.WriteMany(changes));
    EXPECT_EQ(ReadFile(batch.settingsPath()), ReadFile(single.settingsPath()));
    EXPECT_EQ(ReadFile(batch.settingsPath()), "; shipped\n[INIT]\nICON=2\n\n[Gallo]\nAlbum=0\nDir0=\n");
    EXPECT_EQ(ReadFile(shipped), "; shipped\n[INIT]\nWRITE=1\n");
}

TEST_F(CProfileTest, RefusedWriteManyTouchesNeitherFile)
{
    using platform::IniChange;
    const std::string shipped = dir_ + "/program/tv10.ini";
    fs::create_directories(dir_ + "/program");
    WriteFile(shipped, "[INIT]\nWRITE=1\n");
    const std::string own = dir_ + "/own/tv10.ini";
    CProfile profile = CProfile::AtPath(own, dir_ + "/program", shipped);
    EXPECT_FALSE(profile.WriteMany({IniChange::Write("INIT", "ICON", "2"), IniChange::Write("INIT", "A", "x\ny")}));
    EXPECT_FALSE(fs::exists(own));
    EXPECT_EQ(ReadFile(shipped), "[INIT]\nWRITE=1\n");

    WriteFile(path_, "[INIT]\nWRITE=1\n");
    CProfile plain = CProfile::AtPath(path_, dir_);
    EXPECT_FALSE(plain.WriteMany({IniChange::Write("INIT", "WRITE", "2"), IniChange::Write("INIT", "=", "x")}));
    EXPECT_EQ(ReadFile(path_), "[INIT]\nWRITE=1\n");
}
