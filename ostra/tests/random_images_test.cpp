// Random pictures of every supported bit depth, resized by the library on
// each set of row loops, must equal the straightforward version byte for byte.
#include "OstraInternal.h"
#include "ReferenceResize.h"
#include "TestImages.h"
#include "ostra/ReSize.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

using ostra::KernelPath;
using ostra_reference::ReferenceResize;
using ostra_test::MakeRandomBitmap;

struct SizeCase {
    int width;
    int height;
    int bitCount;
    int newWidth;
    int newHeight;
};

const SizeCase kCases[] = {
    {37, 29, 24, 100, 75},    // upscale, odd sizes
    {101, 67, 8, 33, 20},     // downscale
    {64, 48, 4, 64, 48},      // same size
    {33, 17, 1, 50, 31},      // 1 bit, odd width
    {1, 1, 24, 9, 5},         // one pixel
    {5, 3, 24, 1, 1},         // down to one pixel
    {2, 7, 8, 16, 8},         // narrowest vector split
    {200, 150, 24, 57, 149},  // mixed directions
    {123, 45, 8, 122, 46},    // many phases
    {17, 300, 24, 19, 7},     // tall, strong vertical shrink
    {640, 480, 24, 100, 75},  // five phases each way
    {7, 9, 4, 300, 2},        // wide upscale, last group overlaps
    {1000, 3, 24, 13, 3},     // very large ratio
    {31, 31, 1, 17, 15},
    {45, 13, 4, 9, 40},
    {99, 12, 24, 8, 12},      // exactly one group of eight
    {6, 5, 24, 4, 3},         // one group of four, rows shorter than a vector
    {11, 4, 8, 7, 9},         // rows of 33 bytes: one vector and a bit
};

std::string PathName(const testing::TestParamInfo<KernelPath>& info)
{
    switch (info.param) {
    case KernelPath::Scalar:
        return "Scalar";
    case KernelPath::Sse2:
        return "Sse2";
    case KernelPath::Avx2:
        return "Avx2";
    }
    return "Unknown";
}

class OstraRandomImages : public testing::TestWithParam<KernelPath> {
protected:
    void SetUp() override
    {
        if (!ostra::KernelPathAvailable(GetParam())) {
            GTEST_SKIP() << "this processor lacks the vector path";
        }
        ASSERT_TRUE(ostra::TheEngine().SetKernelPath(GetParam()));
    }
    void TearDown() override { ostra::TheEngine().SetKernelPath(ostra::BestKernelPath()); }
};

TEST_P(OstraRandomImages, EqualTheStraightforwardVersion)
{
    for (const SizeCase& c : kCases) {
        for (uint32_t seed : {1u, 2u, 3u}) {
            SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "x" << c.bitCount << " -> " << c.newWidth
                                            << "x" << c.newHeight << " seed " << seed);
            const ostra_test::TestBitmap bitmap = MakeRandomBitmap(c.width, c.height, c.bitCount, seed);
            const ReferenceResize::Result expected =
                ReferenceResize::Run(bitmap.info.data(), bitmap.bits.data(), c.newWidth, c.newHeight);
            ASSERT_EQ(expected.outcome, ReferenceResize::Outcome::Ok);

            std::vector<uint8_t> info = bitmap.info;
            const uint8_t* out = ReSize(info.data(), bitmap.bits.data(), c.newWidth, c.newHeight);
            ASSERT_NE(out, nullptr);
            const std::vector<uint8_t> actual(out, out + expected.pixels.size());
            size_t firstDifference = 0;
            while (firstDifference < actual.size() && actual[firstDifference] == expected.pixels[firstDifference]) {
                ++firstDifference;
            }
            EXPECT_EQ(firstDifference, actual.size()) << "first differing byte";
            EXPECT_EQ(0, std::memcmp(info.data(), expected.header.data(), 40));
            EXPECT_EQ(ostra::TheEngine().columnPhases(), expected.columnPhases);
            EXPECT_EQ(ostra::TheEngine().rowPhases(), expected.rowPhases);
        }
    }
}

// Larger pictures: every available path gives the bytes of the scalar path.
TEST(OstraPaths, AgreeOnLargePictures)
{
    struct Large {
        int newWidth;
        int newHeight;
    };
    const ostra_test::TestBitmap bitmap = MakeRandomBitmap(640, 480, 24, 21);
    for (const Large& size : {Large{2560, 1920}, Large{100, 75}, Large{333, 777}}) {
        SCOPED_TRACE(testing::Message() << size.newWidth << "x" << size.newHeight);
        std::vector<uint8_t> expected;
        for (KernelPath path : {KernelPath::Scalar, KernelPath::Sse2, KernelPath::Avx2}) {
            if (!ostra::TheEngine().SetKernelPath(path)) {
                continue;
            }
            std::vector<uint8_t> info = bitmap.info;
            const uint8_t* out = ReSize(info.data(), bitmap.bits.data(), size.newWidth, size.newHeight);
            ASSERT_NE(out, nullptr);
            const size_t bytes = (size_t(size.newWidth) * 3 + size_t(size.newWidth) % 4) * size_t(size.newHeight);
            if (expected.empty()) {
                expected.assign(out, out + bytes);
            } else {
                EXPECT_TRUE(std::equal(expected.begin(), expected.end(), out)) << "path " << int(path);
            }
        }
        ostra::TheEngine().SetKernelPath(ostra::BestKernelPath());
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, OstraRandomImages, testing::Values(KernelPath::Scalar, KernelPath::Sse2, KernelPath::Avx2), PathName);

}  // namespace
