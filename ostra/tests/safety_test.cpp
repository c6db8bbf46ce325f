// Sizes that cannot be served and input that cannot be read give the
// memory or format message and NULL; nothing is allocated or written.
#include "MemoryLimit.h"
#include "OstraInternal.h"
#include "ReferenceResize.h"
#include "TestImages.h"
#include "ostra/ReSize.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

using ostra_test::MakeInfo;
using ostra_test::MakeRandomBitmap;
using ostra_test::TestBitmap;

struct BadSize {
    const char* what;
    int width;
    int height;
    int bitCount;
    int newWidth;
    int newHeight;
};

const BadSize kBadSizes[] = {
    {"zero new width", 8, 8, 24, 0, 8},
    {"zero new height", 8, 8, 24, 8, 0},
    {"negative new width", 8, 8, 24, -5, 8},
    {"negative new height", 8, 8, 8, 8, INT_MIN},
    {"zero source width", 0, 8, 24, 8, 8},
    {"negative source height", 8, -8, 24, 8, 8},
    {"negative source width", INT_MIN, 8, 4, 8, 8},
    {"huge result", 8, 8, 24, INT_MAX, INT_MAX},
    {"huge result row", 8, 8, 24, INT_MAX, 2},
    {"huge source", INT_MAX, INT_MAX, 24, 8, 8},
    {"huge palette source", INT_MAX - 13, 70000, 8, 8, 8},
    {"wide one-bit source", INT_MAX, 3000, 1, 8, 8},
    {"wide source", INT_MAX, 3000, 24, 8, 8},
};

class OstraSafety : public testing::Test {
protected:
    // A good call first, so that each failure also has a result to release.
    void SetUp() override
    {
        std::vector<uint8_t> info = good_.info;
        ASSERT_NE(ReSize(info.data(), good_.bits.data(), 5, 5), nullptr);
    }

    // Runs ReSize and returns what it wrote to stderr; expects NULL, an
    // unchanged header and no result held.
    std::string Refused(std::vector<uint8_t>& info, const void* bits, int newWidth, int newHeight)
    {
        const std::vector<uint8_t> before = info;
        testing::internal::CaptureStderr();
        const uint8_t* out = ReSize(info.empty() ? nullptr : info.data(), bits, newWidth, newHeight);
        const std::string message = testing::internal::GetCapturedStderr();
        EXPECT_EQ(out, nullptr);
        EXPECT_EQ(info, before);
        EXPECT_EQ(ostra::TheEngine().resultPixels(), nullptr);
        return message;
    }

    const std::string memoryLine_ = std::string(ostra::TheEngine().texts().memoryMessage()) + "\n";
    const std::string formatLine_ = std::string(ostra::TheEngine().texts().formatMessage()) + "\n";
    const TestBitmap good_ = MakeRandomBitmap(9, 9, 24, 1);
};

TEST_F(OstraSafety, SizesThatCannotBeServedGiveTheMemoryMessage)
{
    // The pixels are never read: the sizes are refused first.
    const std::vector<uint8_t> bits(64, 0);
    for (const BadSize& c : kBadSizes) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> info = MakeInfo(c.width, c.height, c.bitCount);
        EXPECT_EQ(Refused(info, bits.data(), c.newWidth, c.newHeight), memoryLine_);
        SetUp();
    }
}

// The picture is taken in (and its bit depth judged) before the new size is
// used: an unsupported depth gives the format message whatever size is asked
// for, while a source too large to take in gives the memory message first.
TEST_F(OstraSafety, BitDepthIsJudgedBeforeTheNewSize)
{
    struct Order {
        const char* what;
        int width;
        int height;
        int bitCount;
        int newWidth;
        int newHeight;
        bool memory;
    };
    const Order cases[] = {
        {"zero new width", 8, 8, 16, 0, 8, false},
        {"negative new height", 8, 8, 32, 8, -1, false},
        {"huge result", 8, 8, 16, INT_MAX, INT_MAX, false},
        {"zero source width", 0, 8, 16, 8, 8, true},
        {"huge source", INT_MAX, INT_MAX, 16, 8, 8, true},
    };
    const std::vector<uint8_t> bits(64 * 8, 0);
    for (const Order& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> info = MakeInfo(c.width, c.height, c.bitCount);
        EXPECT_EQ(Refused(info, bits.data(), c.newWidth, c.newHeight), c.memory ? memoryLine_ : formatLine_);
        if (c.width > 0 && c.width < 100) {
            using ostra_reference::ReferenceResize;
            EXPECT_EQ(ReferenceResize::Run(info.data(), bits.data(), c.newWidth, c.newHeight).outcome,
                      c.memory ? ReferenceResize::Outcome::MemoryError : ReferenceResize::Outcome::FormatError);
        }
        SetUp();
    }
}

TEST_F(OstraSafety, MissingBlocksGiveTheFormatMessage)
{
    std::vector<uint8_t> info = good_.info;
    EXPECT_EQ(Refused(info, nullptr, 4, 4), formatLine_);
    SetUp();
    std::vector<uint8_t> none;
    EXPECT_EQ(Refused(none, good_.bits.data(), 4, 4), formatLine_);
}

TEST_F(OstraSafety, WorksAgainAfterAFailure)
{
    std::vector<uint8_t> info = MakeInfo(8, 8, 24);
    Refused(info, good_.bits.data(), 0, 0);
    info = good_.info;
    EXPECT_NE(ReSize(info.data(), good_.bits.data(), 3, 3), nullptr);
}

TEST(OstraMemoryLimit, ReadsAvailableMemoryAndFreeSwap)
{
    struct Case {
        const char* text;
        uint64_t bytes;
    };
    const Case cases[] = {
        {"MemTotal:       24000000 kB\nMemFree:  1000 kB\nMemAvailable:   21828336 kB\nSwapTotal: 0 kB\nSwapFree:  0 kB\n",
         21828336ull * 1024},
        {"MemAvailable: 1000 kB\nSwapFree: 24 kB", 1024ull * 1024},
        {"MemTotal: 5000 kB\nMemFree: 100 kB\n", 0},           // an old system that does not say
        {"MemAvailableX: 7 kB\nMemAvailable: 8 kB\n", 8192},  // whole names only
        {"MemAvailable: kB\n", 0},
        {"", 0},
        {"MemAvailable: 99999999999999999999999 kB\n", 0},     // not a number we can hold
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ostra::MemoryLimit::AvailableFromMeminfo(c.text), c.bytes) << c.text;
    }
    EXPECT_TRUE(ostra::MemoryLimit::Fits(1 << 20));
    EXPECT_FALSE(ostra::MemoryLimit::Fits(UINT64_MAX));
    EXPECT_FALSE(ostra::MemoryLimit::Fits(uint64_t(PTRDIFF_MAX) + 1));
}

TEST(OstraErrorTexts, JapaneseLocalesGetJapaneseTexts)
{
    const ostra::ErrorTexts japanese = ostra::ErrorTexts::ForLocale("ja_JP.UTF-8");
    EXPECT_STREQ(japanese.memoryMessage(), "メモリが足りません");
    EXPECT_STREQ(japanese.formatMessage(), "未対応のＢＭＰファイルです");
    for (const char* name : {"C", "en_US.UTF-8", "de_DE", "", "j"}) {
        const ostra::ErrorTexts english = ostra::ErrorTexts::ForLocale(name);
        EXPECT_STREQ(english.memoryMessage(), "Not enough memory.") << name;
        EXPECT_STREQ(english.formatMessage(), "No support fileformat.") << name;
    }
    EXPECT_STREQ(ostra::ErrorTexts::ForLocale(nullptr).memoryMessage(), "Not enough memory.");
}

}  // namespace
