// A third, independent account of the resize, written line by line from the
// rules of the routine: the bordered working image is built whole, the
// tables, the two passes and the header rewrite follow the written steps.
// Tiny pictures of every bit depth, many of them narrower or lower than the
// 15-tap filter, must give the same bytes here, in the straightforward
// version and in the library on each set of row loops.
#include "FilterTable.h"
#include "OstraInternal.h"
#include "ReferenceResize.h"
#include "TestImages.h"
#include "ostra/ReSize.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <random>

namespace {

using ostra::KernelPath;
using ostra_reference::ReferenceResize;
using ostra_test::ReadInt32;
using ostra_test::WriteInt32;

struct Literal {
    std::vector<uint8_t> pixels;
    std::array<uint8_t, 40> header{};
    int columnPhases = 0;
    int rowPhases = 0;
};

int LiteralReducePhases(int source, int target)
{
    const int primes[] = {2, 3, 5, 7, 11, 13, 17, 19, 23, 29};
    for (int prime : primes) {
        while (source % prime == 0 && target % prime == 0) {
            source /= prime;
            target /= prime;
        }
    }
    return target;
}

// table[p][i], 15 entries per phase.
std::vector<std::array<int, 15>> LiteralBuildFilter(int source, int target)
{
    const int taps = 15;
    const double ratio = (double)source / (double)target;
    const int half = taps / 2;
    const int phases = LiteralReducePhases(source, target);
    std::vector<std::array<int, 15>> table(phases);
    for (int p = 0; p < phases; p++) {
        double pos = p * ratio;
        double whole = (double)(long long)pos;
        double frac;
        if (ratio > 1) {
            frac = (pos - whole) / ratio;
        } else {
            frac = pos - whole;
        }
        double k[15];
        double sum = 0;
        for (int i = 0; i < 2 * half + 1; i++) {
            int x = i - half;
            double window = 0.54 + 0.46 * cos(x * 3.141593 / half);
            double xp;
            if (ratio > 1) {
                xp = x / ratio * 0.95;
            } else {
                xp = x;
            }
            double a = (xp - frac) * 3.141593;
            if (a == 0.0) {
                k[i] = 1.0;
            } else {
                k[i] = sin(a) / a * window;
            }
        }
        for (int i = 0; i < taps; i++) {
            sum = sum + k[i];
        }
        for (int i = 0; i < taps; i++) {
            k[i] = k[i] / sum;
        }
        for (int i = 0; i < taps; i++) {
            if (k[i] >= 1.0) {
                table[p][i] = 32767;
            } else {
                table[p][i] = (int)(k[i] * 32768);
            }
        }
    }
    return table;
}

uint8_t LiteralClamp(int s)
{
    if (s + 16384 < 0) {
        return 0;
    }
    if (s >= 8372224) {
        return 255;
    }
    return (uint8_t)((s + 16384) >> 15);
}

Literal LiteralResize(const uint8_t* info, const uint8_t* bits, int newWidth, int newHeight)
{
    Literal out;
    std::memcpy(out.header.data(), info, 40);
    const int sourceWidth = ReadInt32(info + 4);
    const int sourceHeight = ReadInt32(info + 8);
    const int bitCount = info[14] + 256 * info[15];
    const int extWidth = sourceWidth + 14;
    std::vector<uint8_t> extendedImage(size_t(extWidth) * (sourceHeight + 14) * 3);

    // The picture as rows of 24-bit pixels and the distance between them.
    const uint8_t* rows = bits;
    size_t rowStride = size_t(sourceWidth * 24 + 31) / 32 * 4;
    std::vector<uint8_t> copy;
    if (bitCount != 24) {
        const size_t inRow = size_t(sourceWidth * bitCount + 31) / 32 * 4;
        for (int y = 0; y < sourceHeight; y++) {
            const uint8_t* row = bits + inRow * y;
            for (int x = 0; x < sourceWidth; x++) {
                int index;
                if (bitCount == 1) {
                    index = (row[x / 8] >> (7 - x % 8)) & 1;
                } else if (bitCount == 4) {
                    index = (x % 2 == 0) ? (row[x / 2] >> 4) : (row[x / 2] & 0x0F);
                } else {
                    index = row[x];
                }
                const uint8_t* entry = info + 40 + 4 * index;
                copy.push_back(entry[0]);
                copy.push_back(entry[1]);
                copy.push_back(entry[2]);
            }
            for (int i = 0; i < sourceWidth % 4; i++) {
                copy.push_back(0);
            }
        }
        rows = copy.data();
        rowStride = size_t(sourceWidth) * 3 + sourceWidth % 4;
        out.header[14] = 24;
        out.header[15] = 0;
        WriteInt32(&out.header[16], 0);
        WriteInt32(&out.header[32], 0);
        WriteInt32(&out.header[36], 0);
    }

    // ExtendEdges.
    for (int y = 0; y < sourceHeight; y++) {
        const uint8_t* src = rows + rowStride * y;
        uint8_t* dst = &extendedImage[size_t(7 + y) * extWidth * 3];
        for (int i = 0; i < 7; i++) {
            std::memcpy(dst, src, 3);
            dst += 3;
        }
        std::memcpy(dst, src, size_t(sourceWidth) * 3);
        dst += size_t(sourceWidth) * 3;
        for (int i = 0; i < 7; i++) {
            std::memcpy(dst, src + size_t(sourceWidth - 1) * 3, 3);
            dst += 3;
        }
    }
    const size_t extRow = size_t(extWidth) * 3;
    for (int y = 0; y < 7; y++) {
        std::memcpy(&extendedImage[extRow * y], &extendedImage[extRow * 7], extRow);
    }
    for (int y = sourceHeight + 7; y <= sourceHeight + 13; y++) {
        std::memcpy(&extendedImage[extRow * y], &extendedImage[extRow * (sourceHeight + 6)], extRow);
    }

    const std::vector<std::array<int, 15>> columnTaps = LiteralBuildFilter(sourceWidth, newWidth);
    const std::vector<std::array<int, 15>> rowTaps = LiteralBuildFilter(sourceHeight, newHeight);
    out.columnPhases = int(columnTaps.size());
    out.rowPhases = int(rowTaps.size());

    // FilterImage.
    const size_t outRow = size_t(newWidth) * 3 + newWidth % 4;
    out.pixels.assign(outRow * newHeight, 0xCD);
    std::vector<uint8_t> middle(extRow);
    int q = 0;
    for (int r = 0; r < newHeight; r++) {
        const int base = sourceHeight * r / newHeight;
        for (int x = 0; x < extWidth; x++) {
            for (int ch = 0; ch < 3; ch++) {
                int s = 0;
                for (int k = 0; k < 15; k++) {
                    s += rowTaps[q][k] * extendedImage[extRow * (base + k) + 3 * x + ch];
                }
                middle[3 * x + ch] = LiteralClamp(s);
            }
        }
        uint8_t* dst = &out.pixels[outRow * r];
        int t = 0;
        for (int c = 0; c < newWidth; c++) {
            const int cbase = sourceWidth * c / newWidth;
            for (int ch = 0; ch < 3; ch++) {
                int s = 0;
                for (int k = 0; k < 15; k++) {
                    s += columnTaps[t][k] * middle[3 * (cbase + k) + ch];
                }
                *dst++ = LiteralClamp(s);
            }
            t++;
            if (t == out.columnPhases) {
                t = 0;
            }
        }
        for (int i = 0; i < newWidth % 4; i++) {
            *dst++ = 0;
        }
        q++;
        if (q == out.rowPhases) {
            q = 0;
        }
    }

    WriteInt32(&out.header[4], newWidth);
    WriteInt32(&out.header[8], newHeight);
    WriteInt32(&out.header[20], 0);
    return out;
}

// A picture of hard black and white areas with noise, a random colour
// table and random values in every header field the routine does not read.
ostra_test::TestBitmap MakePicture(int width, int height, int bitCount, uint32_t seed)
{
    std::mt19937 random(seed * 7919u + uint32_t(width * 31 + height * 17 + bitCount));
    ostra_test::TestBitmap bitmap;
    bitmap.info = ostra_test::MakeInfo(width, height, bitCount);
    for (int i : {0, 12, 16, 20, 24, 28, 32, 36}) {
        WriteInt32(&bitmap.info[size_t(i)], int32_t(random()));
    }
    bitmap.info[14] = uint8_t(bitCount);
    bitmap.info[15] = 0;
    for (size_t i = 40; i < bitmap.info.size(); ++i) {
        bitmap.info[i] = uint8_t(random() % 3 == 0 ? (random() % 2) * 255 : random());
    }
    bitmap.bits.resize(ostra_test::RowBytes(width, bitCount) * size_t(height));
    for (uint8_t& byte : bitmap.bits) {
        const uint32_t kind = random() % 4;
        byte = kind == 0 ? 0 : kind == 1 ? 255 : uint8_t(random());
    }
    return bitmap;
}

struct Case {
    int width;
    int height;
    int newWidth;
    int newHeight;
};

const Case kCases[] = {
    {5, 3, 3, 2},     {3, 4, 7, 5},     {1, 1, 1, 1},     {1, 1, 3, 2},      {1, 9, 4, 1},
    {9, 1, 1, 4},     {1, 20, 1, 7},    {20, 1, 7, 1},    {1, 5, 1, 5},      {6, 1, 6, 1},
    {2, 2, 2, 2},     {2, 2, 5, 5},     {2, 2, 1, 1},     {2, 3, 40, 33},    {14, 14, 15, 15},
    {15, 15, 14, 14}, {16, 16, 8, 8},   {7, 3, 40, 2},    {31, 17, 31, 17},  {40, 33, 9, 70},
    {13, 29, 13, 1},  {3, 3, 1, 17},    {257, 3, 100, 5}, {4, 60, 37, 3},    {300, 200, 123, 77},
    {64, 64, 128, 96}, {97, 41, 32, 41},
};

std::vector<KernelPath> AvailablePaths()
{
    std::vector<KernelPath> paths;
    for (KernelPath path : {KernelPath::Scalar, KernelPath::Sse2, KernelPath::Avx2}) {
        if (ostra::KernelPathAvailable(path)) {
            paths.push_back(path);
        }
    }
    return paths;
}

TEST(OstraLiteral, AllVersionsGiveTheBytesOfTheWrittenSteps)
{
    for (const Case& c : kCases) {
        for (int bitCount : {1, 4, 8, 24}) {
            for (uint32_t seed : {1u, 2u}) {
                SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "x" << bitCount << " -> "
                                                << c.newWidth << "x" << c.newHeight << " seed " << seed);
                const ostra_test::TestBitmap bitmap = MakePicture(c.width, c.height, bitCount, seed);
                const Literal expected = LiteralResize(bitmap.info.data(), bitmap.bits.data(), c.newWidth, c.newHeight);

                const ReferenceResize::Result reference =
                    ReferenceResize::Run(bitmap.info.data(), bitmap.bits.data(), c.newWidth, c.newHeight);
                ASSERT_EQ(reference.outcome, ReferenceResize::Outcome::Ok);
                EXPECT_EQ(reference.pixels, expected.pixels) << "straightforward version";
                EXPECT_EQ(reference.header, expected.header) << "straightforward version";
                EXPECT_EQ(reference.columnPhases, expected.columnPhases);
                EXPECT_EQ(reference.rowPhases, expected.rowPhases);

                for (KernelPath path : AvailablePaths()) {
                    SCOPED_TRACE(testing::Message() << "path " << int(path));
                    ASSERT_TRUE(ostra::TheEngine().SetKernelPath(path));
                    std::vector<uint8_t> info = bitmap.info;
                    const uint8_t* out = ReSize(info.data(), bitmap.bits.data(), c.newWidth, c.newHeight);
                    ASSERT_NE(out, nullptr);
                    EXPECT_EQ(std::vector<uint8_t>(out, out + expected.pixels.size()), expected.pixels);
                    EXPECT_EQ(0, std::memcmp(info.data(), expected.header.data(), 40));
                    EXPECT_EQ(0, std::memcmp(info.data() + 40, bitmap.info.data() + 40, info.size() - 40))
                        << "colour table";
                    EXPECT_EQ(ostra::TheEngine().columnPhases(), expected.columnPhases);
                    EXPECT_EQ(ostra::TheEngine().rowPhases(), expected.rowPhases);
                }
                ostra::TheEngine().SetKernelPath(ostra::BestKernelPath());
            }
        }
    }
}

// Many small random sizes on both sides of the filter's 15 taps, up and
// down, where nearly every output sample reaches into the border.
TEST(OstraLiteral, SmallRandomSizesGiveTheBytesOfTheWrittenSteps)
{
    std::mt19937 random(2024);
    const int depths[] = {1, 4, 8, 24};
    for (int n = 0; n < 300; ++n) {
        const Case c{int(random() % 40) + 1, int(random() % 40) + 1, int(random() % 40) + 1, int(random() % 40) + 1};
        const int bitCount = depths[random() % 4];
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "x" << bitCount << " -> " << c.newWidth << "x"
                                        << c.newHeight);
        const ostra_test::TestBitmap bitmap = MakePicture(c.width, c.height, bitCount, uint32_t(n));
        const Literal expected = LiteralResize(bitmap.info.data(), bitmap.bits.data(), c.newWidth, c.newHeight);
        const ReferenceResize::Result reference =
            ReferenceResize::Run(bitmap.info.data(), bitmap.bits.data(), c.newWidth, c.newHeight);
        ASSERT_EQ(reference.pixels, expected.pixels) << "straightforward version";
        for (KernelPath path : AvailablePaths()) {
            ASSERT_TRUE(ostra::TheEngine().SetKernelPath(path));
            std::vector<uint8_t> info = bitmap.info;
            const uint8_t* out = ReSize(info.data(), bitmap.bits.data(), c.newWidth, c.newHeight);
            ASSERT_NE(out, nullptr);
            ASSERT_EQ(std::vector<uint8_t>(out, out + expected.pixels.size()), expected.pixels) << "path " << int(path);
            ASSERT_EQ(0, std::memcmp(info.data(), expected.header.data(), 40));
        }
    }
    ostra::TheEngine().SetKernelPath(ostra::BestKernelPath());
}

// Weights worked out separately, in double arithmetic outside this code
// base, for a few size pairs.
TEST(OstraLiteral, FilterTablesHoldTheWorkedOutWeights)
{
    struct Row {
        int source;
        int target;
        int phase;
        std::array<int, 15> taps;
    };
    const Row rows[] = {
        {640, 320, 0, {-101, 99, 489, -353, -2177, 676, 9949, 15604, 9949, 676, -2177, -353, 489, 99, -101}},
        {3, 7, 0, {0, 0, 0, 0, 0, 0, 0, 32767, 0, 0, 0, 0, 0, 0, 0}},
        {3, 7, 1, {-110, 200, -478, 1013, -1921, 3490, -6850, 23925, 17126, -5395, 2561, -1256, 567, -231, 124}},
        {5, 3, 0, {-3, -211, 240, 880, -1767, -1838, 9731, 18707, 9731, -1838, -1767, 880, 240, -211, -3}},
        {5, 3, 2, {64, -193, -77, 1054, -561, -3237, 4908, 17597, 14175, 986, -2545, 313, 509, -148, -77}},
        {4, 5, 1, {-64, 116, -275, 575, -1067, 1864, -3348, 7893, 30134, -4350, 1843, -863, 380, -152, 81}},
        {640, 100, 1, {-41, 34, 327, 1062, 2285, 3758, 5031, 5641, 5353, 4281, 2829, 1481, 568, 140, 10}},
    };
    ostra::FilterTable table;
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.source << " -> " << row.target << " phase " << row.phase);
        ASSERT_GT(table.Build(row.source, row.target), row.phase);
        int phases = 0;
        const std::vector<int> reference = ReferenceResize::BuildFilter(row.source, row.target, &phases);
        const auto literal = LiteralBuildFilter(row.source, row.target);
        for (int k = 0; k < 15; ++k) {
            EXPECT_EQ(table.Taps(row.phase)[k], row.taps[size_t(k)]) << "tap " << k;
            EXPECT_EQ(reference[size_t(row.phase) * 15 + size_t(k)], row.taps[size_t(k)]) << "tap " << k;
            EXPECT_EQ(literal[size_t(row.phase)][size_t(k)], row.taps[size_t(k)]) << "tap " << k;
        }
    }
}

}  // namespace
