#include "talvix/settings/FormPlacement.h"

#include "talvix/settings/CProfile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace talvix;
namespace fs = std::filesystem;

namespace {

// A 1280x1024 screen with a 40-pixel panel at the bottom.
const WorkArea kWork{0, 0, 1280, 984};
constexpr int kScreenW = 1280;
constexpr int kScreenH = 1024;
const FormGeometry kDesigned{10, 20, 501, 301};
const FormGeometry kHalfCentred{320, 256, 640, 512};

StoredPlacement Stored(std::optional<int> top, std::optional<int> left, std::optional<int> width = {},
                       std::optional<int> height = {})
{
    return StoredPlacement{top, left, width, height};
}

}  // namespace

TEST(PlaceForm, SizeableForm)
{
    const struct {
        const char* what;
        StoredPlacement stored;
        FormGeometry expected;
    } cases[] = {
        {"all valid", Stored(100, 50, 700, 500), {50, 100, 700, 500}},
        {"top above the work area is clamped", Stored(-40, 50, 700, 500), {50, 0, 700, 500}},
        {"left of the work area is clamped", Stored(100, -8, 700, 500), {0, 100, 700, 500}},
        {"may reach past the right and bottom", Stored(900, 1200, 700, 500), {1200, 900, 700, 500}},
        {"top on the bottom edge still counts", Stored(984, 1280, 10, 10), {1280, 984, 10, 10}},
        {"top below the work area resets", Stored(985, 50, 700, 500), kHalfCentred},
        {"left right of the work area resets", Stored(100, 1281, 700, 500), kHalfCentred},
        {"negative width resets", Stored(100, 50, -1, 500), kHalfCentred},
        {"negative height resets", Stored(100, 50, 700, -1), kHalfCentred},
        {"zero size is taken", Stored(100, 50, 0, 0), {50, 100, 0, 0}},
        {"missing top", Stored({}, 50, 700, 500), kHalfCentred},
        {"missing left", Stored(100, {}, 700, 500), kHalfCentred},
        {"missing width", Stored(100, 50, {}, 500), kHalfCentred},
        {"missing height", Stored(100, 50, 700, {}), kHalfCentred},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlaceForm(c.stored, true, kDesigned, kWork, kScreenW, kScreenH), c.expected) << c.what;
}

TEST(PlaceForm, FixedSizeFormKeepsItsSize)
{
    // Only the position is restored; a stored size is never used.
    EXPECT_EQ(PlaceForm(Stored(100, 50), false, kDesigned, kWork, kScreenW, kScreenH),
              (FormGeometry{50, 100, 501, 301}));
    EXPECT_EQ(PlaceForm(Stored(100, 50, -1, 9999), false, kDesigned, kWork, kScreenW, kScreenH),
              (FormGeometry{50, 100, 501, 301}));
    // The default centres the designed size on the whole screen, truncating.
    EXPECT_EQ(PlaceForm(Stored({}, 50), false, kDesigned, kWork, kScreenW, kScreenH),
              (FormGeometry{389, 361, 501, 301}));
    // A form larger than the screen: the halves are negative and truncate toward zero.
    const FormGeometry huge{0, 0, 1283, 1027};
    EXPECT_EQ(PlaceForm(Stored(2000, 0), false, huge, kWork, kScreenW, kScreenH),
              (FormGeometry{-1, -1, 1283, 1027}));
}

TEST(PlaceForm, OddScreenAndOffsetWorkArea)
{
    const WorkArea work{60, 27, 1366, 768};  // panels on the left and on top
    EXPECT_EQ(PlaceForm(Stored(10, 10, 400, 300), true, kDesigned, work, 1366, 767),
              (FormGeometry{60, 27, 400, 300}));
    EXPECT_EQ(PlaceForm(Stored({}, {}), true, kDesigned, work, 1367, 767),
              (FormGeometry{342, 192, 683, 383}));
}

class FormPlacementFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/formplacement_test.XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        path_ = dir_ + "/tv10.ini";
    }
    void TearDown() override { fs::remove_all(dir_); }
    void WriteFile(const std::string& text) { std::ofstream(path_) << text; }

    std::string dir_;
    std::string path_;
};

TEST_F(FormPlacementFile, SaveWritesAllFourKeysInOrder)
{
    CProfile profile = CProfile::AtPath(path_, dir_);
    ASSERT_TRUE(SaveFormPlacement(profile, "frmFileMon", FormGeometry{5, -7, 300, 200}));
    std::ifstream in(path_);
    std::stringstream ss;
    ss << in.rdbuf();
    EXPECT_EQ(ss.str(), "[frmFileMon]\nTop=-7\nLeft=5\nHeight=200\nWidth=300\n");

    EXPECT_EQ(RestoreFormPlacement(profile, "FRMFILEMON", true, kDesigned, kWork, kScreenW, kScreenH),
              (FormGeometry{5, 0, 300, 200}));
}

TEST_F(FormPlacementFile, RestoreFromTheSettingsFile)
{
    WriteFile("[frmMain]\nTop=-40\nLeft=30\nWidth=800\nHeight=600\n"
              "[frmFileMon]\nTop=200\nLeft=300\n"
              "[frmBad]\nTop=20\nLeft=30\nWidth=-1\nHeight=600\n"
              "[frmLow]\nTop=5000\nLeft=30\nWidth=800\nHeight=600\n"
              "[frmText]\nTop=abc\nLeft=30\n");
    const CProfile profile = CProfile::AtPath(path_, dir_);
    EXPECT_EQ(RestoreFormPlacement(profile, "frmMain", true, kDesigned, kWork, kScreenW, kScreenH),
              (FormGeometry{30, 0, 800, 600}));
    EXPECT_EQ(RestoreFormPlacement(profile, "frmFileMon", false, kDesigned, kWork, kScreenW, kScreenH),
              (FormGeometry{300, 200, 501, 301}));
    EXPECT_EQ(RestoreFormPlacement(profile, "frmBad", true, kDesigned, kWork, kScreenW, kScreenH), kHalfCentred);
    EXPECT_EQ(RestoreFormPlacement(profile, "frmLow", true, kDesigned, kWork, kScreenW, kScreenH), kHalfCentred);
    EXPECT_EQ(RestoreFormPlacement(profile, "frmText", true, kDesigned, kWork, kScreenW, kScreenH), kHalfCentred);
    EXPECT_EQ(RestoreFormPlacement(profile, "frmNone", false, kDesigned, kWork, kScreenW, kScreenH),
              (FormGeometry{389, 361, 501, 301}));
}
