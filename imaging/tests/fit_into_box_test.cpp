#include "imaging/FitIntoBox.h"

#include <gtest/gtest.h>

#include <vector>

using imaging::FitIntoBox;
using imaging::ScaleRow;

namespace {

// A source picture whose every pixel tells its place: (row, column % 256, 7)
// for three bytes per pixel, rows padded to 4.
std::vector<uint8_t> Source(int w, int h, int bpp) {
    const size_t stride = (size_t(w) * bpp + 3) / 4 * 4;
    std::vector<uint8_t> s(stride * size_t(h), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &s[size_t(y) * stride + size_t(x) * bpp];
            p[0] = uint8_t(y);
            if (bpp == 3) {
                p[1] = uint8_t(x);
                p[2] = 7;
            }
        }
    return s;
}

bool RowIsWhite(const std::vector<uint8_t>& d, int row, int boxW, int bpp) {
    for (int i = 0; i < boxW * bpp; ++i)
        if (d[size_t(row) * boxW * bpp + i] != 255) return false;
    return true;
}

}  // namespace

TEST(FitIntoBox, SixFortyOneWideGoesIntoSixForty) {
    const int w = 641, h = 480, boxW = 640, boxH = 480, bpp = 3;
    auto src = Source(w, h, bpp);
    std::vector<uint8_t> dst(size_t(boxW) * boxH * bpp + 16, 0xAB);  // guard bytes after the box
    FitIntoBox(dst.data(), src.data(), boxW, boxH, w, h, bpp);
    // Rows 0..478 come from the source, row 479 stays white.
    for (int r = 0; r < 479; ++r) {
        ASSERT_FALSE(RowIsWhite(dst, r, boxW, bpp)) << r;
        for (int x = 0; x < boxW; ++x) ASSERT_EQ(dst[(size_t(r) * boxW + x) * bpp + 2], 7) << r << "," << x;
    }
    EXPECT_TRUE(RowIsWhite(dst, 479, boxW, bpp));
    // Source rows taken in order, one dropped near the start (the first
    // source row never fills the accumulator).
    EXPECT_EQ(dst[0], 1);
    EXPECT_EQ(dst[size_t(478) * boxW * bpp], uint8_t(479));
    for (int i = 0; i < 16; ++i) EXPECT_EQ(dst[size_t(boxW) * boxH * bpp + i], 0xAB);
}

TEST(FitIntoBox, SameSizeCopiesEveryPixel) {
    const int w = 640, h = 480, bpp = 3;
    auto src = Source(w, h, bpp);
    std::vector<uint8_t> dst(size_t(w) * h * bpp);
    FitIntoBox(dst.data(), src.data(), w, h, w, h, bpp);
    for (int y = 0; y < h; y += 37)
        for (int x = 0; x < w; x += 13) {
            const uint8_t* p = &dst[(size_t(y) * w + x) * bpp];
            ASSERT_EQ(p[0], uint8_t(y));
            ASSERT_EQ(p[1], uint8_t(x));
            ASSERT_EQ(p[2], 7);
        }
}

TEST(FitIntoBox, ProportionsKeptAndCentredOnWhite) {
    struct Case {
        int srcW, srcH, boxW, boxH;
        int firstRow, rows;       // rows written
        int firstCol, cols;       // pixels written per row
    };
    const std::vector<Case> cases = {
        {4, 2, 8, 8, 2, 4, 0, 8},     // scale 2: rows and pixels doubled, centred vertically
        {2, 4, 8, 8, 0, 8, 2, 4},     // centred horizontally
        {3, 3, 2, 2, 0, 2, 0, 2},     // scale 2/3: one of three dropped
        {10, 1, 5, 5, 2, 0, 0, 0},    // half a row rounds to nothing written: all white
    };
    for (const Case& c : cases) {
        const int bpp = 1;
        auto src = Source(c.srcW, c.srcH, bpp);
        std::vector<uint8_t> dst(size_t(c.boxW) * c.boxH);
        FitIntoBox(dst.data(), src.data(), c.boxW, c.boxH, c.srcW, c.srcH, bpp);
        for (int y = 0; y < c.boxH; ++y)
            for (int x = 0; x < c.boxW; ++x) {
                bool inside = y >= c.firstRow && y < c.firstRow + c.rows && x >= c.firstCol && x < c.firstCol + c.cols;
                uint8_t v = dst[size_t(y) * c.boxW + x];
                if (inside) EXPECT_NE(v, 255) << c.srcW << "x" << c.srcH << " at " << x << "," << y;
                else EXPECT_EQ(v, 255) << c.srcW << "x" << c.srcH << " at " << x << "," << y;
            }
    }
}

TEST(ScaleRow, RepeatsOrDropsPixelsAndFillsTheLastOne) {
    // scale 2.5 over 2 pixels: 2 copies of the first, 3 of the second, centred in 7.
    const uint8_t src[2] = {10, 20};
    uint8_t dst[7];
    std::fill(std::begin(dst), std::end(dst), 255);
    ScaleRow(dst, src, 7, 2, 1, 2.5);
    EXPECT_EQ(std::vector<uint8_t>(dst, dst + 7), (std::vector<uint8_t>{255, 10, 10, 20, 20, 20, 255}));

    // scale 0.5 over 5 pixels: round(2.5) = 3 wanted, 2 written, the last repeated.
    const uint8_t five[5] = {1, 2, 3, 4, 5};
    uint8_t out[4] = {255, 255, 255, 255};
    ScaleRow(out, five, 4, 5, 1, 0.5);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 4), (std::vector<uint8_t>{2, 4, 4, 255}));
}
