#include "imaging/Resampler.h"

#include <gtest/gtest.h>

#include "PictureFixtures.h"

using namespace imaging;

TEST(Resampler, FlatColourStaysFlatAtAnySize) {
    Rgb32Image flat;
    flat.width = 37;
    flat.height = 23;
    flat.pixels.assign(37 * 23, PackRgb(10, 120, 250));
    for (auto [w, h] : {std::pair{1, 1}, {5, 3}, {37, 23}, {100, 80}, {640, 480}}) {
        Rgb32Image out = ResizeRgb32(flat, w, h);
        ASSERT_EQ(out.width, w);
        ASSERT_EQ(out.height, h);
        for (uint32_t p : out.pixels) ASSERT_EQ(p, PackRgb(10, 120, 250)) << w << "x" << h;
    }
}

TEST(Resampler, SameSizeIsACopyAndShrinkingAverages) {
    Rgb32Image img = PatternImage(9, 7);
    EXPECT_EQ(ResizeRgb32(img, 9, 7).pixels, img.pixels);

    // A fine black-and-white stripe pattern shrunk to a quarter turns grey.
    Rgb32Image stripes;
    stripes.width = 64;
    stripes.height = 4;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 64; ++x) stripes.pixels.push_back(x % 2 ? PackRgb(255, 255, 255) : PackRgb(0, 0, 0));
    Rgb32Image small = ResizeRgb32(stripes, 16, 1);
    for (uint32_t p : small.pixels) EXPECT_LE(ChannelDiff(p, PackRgb(128, 128, 128)), 20);
}

TEST(Resampler, QuartersKeepTheirPlacesWhenEnlarged) {
    Rgb32Image out = ResizeRgb32(QuarterImage(20, 10), 200, 150);
    EXPECT_EQ(out.At(10, 10), PackRgb(220, 30, 30));
    EXPECT_EQ(out.At(190, 10), PackRgb(30, 220, 30));
    EXPECT_EQ(out.At(10, 140), PackRgb(30, 30, 220));
    EXPECT_EQ(out.At(190, 140), PackRgb(230, 230, 230));
}

TEST(Resampler, BadSizesGiveNothing) {
    Rgb32Image img = PatternImage(4, 4);
    EXPECT_TRUE(ResizeRgb32(img, 0, 5).Empty());
    EXPECT_TRUE(ResizeRgb32(img, 5, -1).Empty());
    EXPECT_TRUE(ResizeRgb32(img, 60000, 60000).Empty());
    EXPECT_TRUE(ResizeRgb32(Rgb32Image{}, 5, 5).Empty());
    EXPECT_TRUE(ResizePicture(PictureBlock(), 5, 5).Empty());
    PictureBlock block = ResizePicture(BlockFromRgb32(img), 8, 2);
    BitmapLayout l;
    ASSERT_TRUE(block.Layout(l));
    EXPECT_EQ(l.width, 8);
    EXPECT_EQ(l.height, 2);
    EXPECT_EQ(l.bitsPerPixel, 24);
}
