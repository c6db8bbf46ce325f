// The cases a caller meets at the edges: same size, phase counts, narrow
// rows and their padding, palette input, and refused bit depths.
#include "OstraInternal.h"
#include "ReferenceResize.h"
#include "TestImages.h"
#include "ostra/ReSize.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using ostra_reference::ReferenceResize;
using ostra_test::MakeInfo;
using ostra_test::MakeRandomBitmap;
using ostra_test::ReadInt32;
using ostra_test::TestBitmap;

size_t OutRowBytes(int width)
{
    return size_t(width) * 3 + size_t(width) % 4;
}

// Runs ReSize and expects the same bytes and header as the straightforward
// version.
const uint8_t* ResizeLikeReference(std::vector<uint8_t>& info, const std::vector<uint8_t>& bits, int newWidth,
                                   int newHeight)
{
    const ReferenceResize::Result expected = ReferenceResize::Run(info.data(), bits.data(), newWidth, newHeight);
    const uint8_t* out = ReSize(info.data(), bits.data(), newWidth, newHeight);
    EXPECT_NE(out, nullptr);
    if (out != nullptr) {
        EXPECT_EQ(std::vector<uint8_t>(out, out + expected.pixels.size()), expected.pixels);
        EXPECT_EQ(0, std::memcmp(info.data(), expected.header.data(), 40));
    }
    return out;
}

TEST(OstraEdgeCases, SameSizeGivesTheSamePixels)
{
    const TestBitmap bitmap = MakeRandomBitmap(640, 480, 24, 11);
    std::vector<uint8_t> info = bitmap.info;
    const uint8_t* out = ReSize(info.data(), bitmap.bits.data(), 640, 480);
    ASSERT_NE(out, nullptr);
    for (int y = 0; y < 480; ++y) {
        ASSERT_EQ(0, std::memcmp(out + OutRowBytes(640) * y, bitmap.bits.data() + OutRowBytes(640) * y, 640 * 3))
            << "row " << y;
    }
    EXPECT_EQ(ostra::TheEngine().columnPhases(), 1);
    EXPECT_EQ(ostra::TheEngine().rowPhases(), 1);
}

// Through a same-size resize, every pixel comes out as its colour-table
// entry, which checks the unpacking of each bit depth directly.
TEST(OstraEdgeCases, PaletteInputAtSameSizeGivesTheTableColours)
{
    for (int bitCount : {1, 4, 8}) {
        SCOPED_TRACE(bitCount);
        const int width = 33;
        const int height = 5;
        const TestBitmap bitmap = MakeRandomBitmap(width, height, bitCount, 5);
        const size_t inRow = ostra_test::RowBytes(width, bitCount);
        std::vector<uint8_t> info = bitmap.info;
        const uint8_t* out = ReSize(info.data(), bitmap.bits.data(), width, height);
        ASSERT_NE(out, nullptr);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const uint8_t* row = &bitmap.bits[inRow * y];
                unsigned index;
                if (bitCount == 1) {
                    index = (row[x / 8] >> (7 - x % 8)) & 1;
                } else if (bitCount == 4) {
                    index = x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 15;
                } else {
                    index = row[x];
                }
                const uint8_t* entry = &bitmap.info[40 + 4 * index];
                const uint8_t* pixel = out + OutRowBytes(width) * y + 3 * x;
                ASSERT_EQ(0, std::memcmp(pixel, entry, 3)) << "pixel " << x << "," << y;
            }
        }
    }
}

TEST(OstraEdgeCases, SixFortyByFourEightyToHundredBySeventyFiveBuildsFivePhasesEachWay)
{
    EXPECT_EQ(ostra::FilterTable::ReducePhases(640, 100), 5);
    EXPECT_EQ(ostra::FilterTable::ReducePhases(480, 75), 5);
    EXPECT_EQ(ostra::FilterTable::ReducePhases(641, 640), 640);
    EXPECT_EQ(ostra::FilterTable::ReducePhases(640, 320), 1);
    const TestBitmap bitmap = MakeRandomBitmap(640, 480, 24, 3);
    std::vector<uint8_t> info = bitmap.info;
    ResizeLikeReference(info, bitmap.bits, 100, 75);
    EXPECT_EQ(ostra::TheEngine().columnPhases(), 5);
    EXPECT_EQ(ostra::TheEngine().rowPhases(), 5);
}

TEST(OstraEdgeCases, ThreeWideRowsSkipTheirPaddingAndFiveWideOutputIsPadded)
{
    // Input rows of 9 pixel bytes and 3 padding bytes; the padding holds
    // bright bytes that must not leak into the picture.
    const int height = 4;
    std::vector<uint8_t> info = MakeInfo(3, height, 24);
    std::vector<uint8_t> bits(12 * height);
    for (int y = 0; y < height; ++y) {
        for (int i = 0; i < 9; ++i) {
            bits[12 * y + i] = uint8_t(10 * y + i);
        }
        bits[12 * y + 9] = bits[12 * y + 10] = bits[12 * y + 11] = 0xFF;
    }
    const uint8_t* out = ResizeLikeReference(info, bits, 5, 3);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(ReadInt32(&info[4]), 5);
    EXPECT_EQ(ReadInt32(&info[8]), 3);
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(out[16 * y + 15], 0) << "padding of row " << y;
        for (int i = 0; i < 15; ++i) {
            EXPECT_LT(out[16 * y + i], 60) << "row " << y << " byte " << i;
        }
    }

    // Same size: exactly the input bytes, without the input's padding.
    std::vector<uint8_t> same = MakeInfo(3, height, 24);
    out = ReSize(same.data(), bits.data(), 3, height);
    ASSERT_NE(out, nullptr);
    for (int y = 0; y < height; ++y) {
        EXPECT_EQ(0, std::memcmp(out + 12 * y, &bits[12 * y], 9));
        EXPECT_EQ(out[12 * y + 9] | out[12 * y + 10] | out[12 * y + 11], 0);
    }
}

TEST(OstraEdgeCases, GreyEightBitGivesEqualChannelsAndATwentyFourBitHeader)
{
    TestBitmap bitmap = MakeRandomBitmap(50, 40, 8, 9);
    for (int i = 0; i < 256; ++i) {
        uint8_t* entry = &bitmap.info[40 + 4 * i];
        entry[0] = entry[1] = entry[2] = uint8_t(i);
        entry[3] = 0;
    }
    std::vector<uint8_t> info = bitmap.info;
    const uint8_t* out = ResizeLikeReference(info, bitmap.bits, 77, 31);
    ASSERT_NE(out, nullptr);
    for (int y = 0; y < 31; ++y) {
        for (int x = 0; x < 77; ++x) {
            const uint8_t* p = out + OutRowBytes(77) * y + 3 * x;
            ASSERT_EQ(p[0], p[1]);
            ASSERT_EQ(p[1], p[2]);
        }
    }
    EXPECT_EQ(info[14] | info[15] << 8, 24);
    EXPECT_EQ(ReadInt32(&info[16]), 0);  // compression
    EXPECT_EQ(ReadInt32(&info[20]), 0);  // image size
    EXPECT_EQ(ReadInt32(&info[32]), 0);  // colours used
    EXPECT_EQ(ReadInt32(&info[36]), 0);  // important colours
    // Everything else is written back unchanged.
    EXPECT_EQ(0, std::memcmp(&info[0], &bitmap.info[0], 4));
    EXPECT_EQ(0, std::memcmp(&info[12], &bitmap.info[12], 2));
    EXPECT_EQ(0, std::memcmp(&info[24], &bitmap.info[24], 8));
}

TEST(OstraEdgeCases, TwentyFourBitInputKeepsItsOtherHeaderFields)
{
    TestBitmap bitmap = MakeRandomBitmap(20, 10, 24, 2);
    ostra_test::WriteInt32(&bitmap.info[32], 7);  // colours used, left alone for 24 bits
    std::vector<uint8_t> info = bitmap.info;
    ASSERT_NE(ResizeLikeReference(info, bitmap.bits, 13, 8), nullptr);
    EXPECT_EQ(ReadInt32(&info[20]), 0);
    EXPECT_EQ(ReadInt32(&info[32]), 7);
    EXPECT_EQ(0, std::memcmp(&info[12], &bitmap.info[12], 8));
}

TEST(OstraEdgeCases, ThirtyThreeWideOneBitRowsAreEightBytes)
{
    // A picture whose rows differ: reading rows at the wrong length would
    // shift them.
    const int height = 6;
    std::vector<uint8_t> info = MakeInfo(33, height, 1);
    const uint8_t black[4] = {0, 0, 0, 0};
    const uint8_t white[4] = {255, 255, 255, 0};
    std::memcpy(&info[40], black, 4);
    std::memcpy(&info[44], white, 4);
    ASSERT_EQ(ostra_test::RowBytes(33, 1), 8u);
    std::vector<uint8_t> bits(8 * height, 0);
    for (int y = 0; y < height; ++y) {
        bits[8 * y + y / 2] = 0x80 >> y;            // one white pixel per row
        bits[8 * y + 4] = uint8_t(y == 3 ? 0x80 : 0);  // pixel 32 white in row 3
        bits[8 * y + 5] = bits[8 * y + 6] = bits[8 * y + 7] = 0xFF;  // padding
    }
    const std::vector<uint8_t> original = info;
    const uint8_t* out = ResizeLikeReference(info, bits, 33, height);
    ASSERT_NE(out, nullptr);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < 33; ++x) {
            const bool isWhite = x == (y / 2) * 8 + y || (y == 3 && x == 32);
            ASSERT_EQ(out[OutRowBytes(33) * y + 3 * x], isWhite ? 255 : 0) << x << "," << y;
        }
    }
    info = original;
    ResizeLikeReference(info, bits, 70, 13);
}

TEST(OstraEdgeCases, SixteenBitIsRefusedAndReleasesThePreviousResult)
{
    const TestBitmap good = MakeRandomBitmap(16, 16, 24, 1);
    std::vector<uint8_t> goodInfo = good.info;
    ASSERT_NE(ReSize(goodInfo.data(), good.bits.data(), 8, 8), nullptr);
    ASSERT_NE(ostra::TheEngine().resultPixels(), nullptr);

    std::vector<uint8_t> info = MakeInfo(16, 16, 16);
    const std::vector<uint8_t> before = info;
    const std::vector<uint8_t> bits(32 * 16, 0x55);
    testing::internal::CaptureStderr();
    const uint8_t* out = ReSize(info.data(), bits.data(), 8, 8);
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(message, std::string(ostra::TheEngine().texts().formatMessage()) + "\n");
    EXPECT_EQ(info, before);
    EXPECT_EQ(ostra::TheEngine().resultPixels(), nullptr);

    for (int bitCount : {0, 2, 32}) {
        info = MakeInfo(16, 16, bitCount);
        testing::internal::CaptureStderr();
        EXPECT_EQ(ReSize(info.data(), bits.data(), 8, 8), nullptr) << bitCount;
        testing::internal::GetCapturedStderr();
    }
}

TEST(OstraEdgeCases, ResultStaysValidUntilTheNextCall)
{
    const TestBitmap bitmap = MakeRandomBitmap(30, 20, 24, 4);
    std::vector<uint8_t> info = bitmap.info;
    const uint8_t* out = ReSize(info.data(), bitmap.bits.data(), 12, 9);
    ASSERT_NE(out, nullptr);
    const std::vector<uint8_t> copy(out, out + OutRowBytes(12) * 9);
    // Reading the whole block is valid (the sanitizer build checks it).
    EXPECT_EQ(std::vector<uint8_t>(out, out + copy.size()), copy);
    info = bitmap.info;
    const uint8_t* second = ReSize(info.data(), bitmap.bits.data(), 12, 9);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(second, second + copy.size()), copy);
}

}  // namespace

namespace {

// The previous result may be fed back in: the input is taken in before the
// previous result is given up, so a chain of resizes works like separate
// calls on copies.
TEST(OstraEdgeCases, PreviousResultCanBeResizedAgain)
{
    struct Step {
        int newWidth;
        int newHeight;
    };
    for (int bitCount : {24, 8}) {
        SCOPED_TRACE(bitCount);
        const TestBitmap bitmap = MakeRandomBitmap(48, 40, bitCount, 17);
        std::vector<uint8_t> info = bitmap.info;
        const uint8_t* previous = ReSize(info.data(), bitmap.bits.data(), 61, 37);
        ASSERT_NE(previous, nullptr);
        for (const Step& step : {Step{20, 33}, Step{20, 33}, Step{100, 9}, Step{5, 5}}) {
            SCOPED_TRACE(testing::Message() << step.newWidth << "x" << step.newHeight);
            const size_t bytes = OutRowBytes(ReadInt32(&info[4])) * size_t(ReadInt32(&info[8]));
            const std::vector<uint8_t> input(previous, previous + bytes);
            const ReferenceResize::Result expected =
                ReferenceResize::Run(info.data(), input.data(), step.newWidth, step.newHeight);
            const uint8_t* out = ReSize(info.data(), previous, step.newWidth, step.newHeight);
            ASSERT_NE(out, nullptr);
            EXPECT_EQ(std::vector<uint8_t>(out, out + expected.pixels.size()), expected.pixels);
            EXPECT_EQ(0, std::memcmp(info.data(), expected.header.data(), 40));
            previous = out;
        }
    }
}

}  // namespace
