#include "imaging/FileRotation.h"

#include <gtest/gtest.h>

#include "imaging/JpegCodec.h"
#include "PictureFixtures.h"
#include "TestDir.h"

using namespace imaging;

namespace {

// Where the pixel (x, y) of a w x h source lands after the turn.
std::pair<int32_t, int32_t> Turned(int mode, int32_t x, int32_t y, int32_t w, int32_t h) {
    if (mode == kRotateClockwise) return {h - 1 - y, x};
    if (mode == kRotateCounterClockwise) return {y, w - 1 - x};
    return {w - 1 - x, h - 1 - y};
}

Rgb32Image LoadAny(const std::string& path) {
    Rgb32Image img;
    PictureBlock block;
    if (DecodeJpegFileRgb32(path, img)) return img;
    if (LoadBitmapFile(path, block)) ConvertToRgb32(block, img);
    return img;
}

}  // namespace

TEST(FileRotation, BitmapsTurnPixelExactAtEveryDepth) {
    TestDir dir;
    const Rgb32Image src = PatternImage(5, 3);
    for (int mode : {kRotateClockwise, kRotateCounterClockwise, kRotateHalf}) {
        const std::string path = dir.File("p.bmp");
        ASSERT_TRUE(SaveBitmapFile(path, BlockFromRgb32(src)));
        ASSERT_NE(FileRotation(path, path, mode), 0) << mode;
        Rgb32Image out = LoadAny(path);
        ASSERT_EQ(out.width, mode == kRotateHalf ? 5 : 3);
        ASSERT_EQ(out.height, mode == kRotateHalf ? 3 : 5);
        for (int32_t y = 0; y < 3; ++y)
            for (int32_t x = 0; x < 5; ++x) {
                auto [tx, ty] = Turned(mode, x, y, 5, 3);
                EXPECT_EQ(out.At(tx, ty), src.At(x, y)) << "mode " << mode << " at " << x << "," << y;
            }
    }
}

TEST(FileRotation, EightBitBitmapKeepsItsColourTable) {
    TestDir dir;
    PictureBlock b = PictureBlock::Create(3, 2, 8);
    BitmapLayout l;
    ASSERT_TRUE(b.Layout(l));
    const uint8_t values[2][3] = {{10, 20, 30}, {40, 50, 60}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) b.RowFromTop(l, y)[x] = values[y][x];
    const std::string path = dir.File("g.bmp");
    ASSERT_TRUE(SaveBitmapFile(path, b));
    ASSERT_NE(FileRotation(path, path, kRotateClockwise), 0);
    PictureBlock r;
    ASSERT_TRUE(LoadBitmapFile(path, r));
    BitmapLayout rl;
    ASSERT_TRUE(r.Layout(rl));
    EXPECT_EQ(rl.bitsPerPixel, 8);
    EXPECT_EQ(rl.width, 2);
    EXPECT_EQ(rl.height, 3);
    // Clockwise: the left column (bottom to top) becomes the top row.
    EXPECT_EQ(r.RowFromTop(rl, 0)[0], 40);
    EXPECT_EQ(r.RowFromTop(rl, 0)[1], 10);
    EXPECT_EQ(r.RowFromTop(rl, 2)[0], 60);
    EXPECT_EQ(r.RowFromTop(rl, 2)[1], 30);
}

// A picture made of whole coding blocks turns losslessly: four quarter turns
// give back the very same file contents' pixels.
TEST(FileRotation, WholeBlockJpegTurnsLosslessly) {
    TestDir dir;
    const std::string path = dir.File("q.jpg");
    ASSERT_TRUE(EncodeJpegFile(BlockFromRgb32(QuarterImage(64, 32)), path, 90));
    Rgb32Image before = LoadAny(path);
    ASSERT_NE(FileRotation(path, path, kRotateClockwise), 0);
    Rgb32Image once = LoadAny(path);
    ASSERT_EQ(once.width, 32);
    ASSERT_EQ(once.height, 64);
    // The red top-left quarter is now top-right.
    EXPECT_LE(ChannelDiff(once.At(28, 4), PackRgb(220, 30, 30)), 8);
    EXPECT_LE(ChannelDiff(once.At(4, 4), PackRgb(30, 30, 220)), 8);
    for (int i = 0; i < 3; ++i) ASSERT_NE(FileRotation(path, path, kRotateClockwise), 0);
    Rgb32Image back = LoadAny(path);
    EXPECT_EQ(back.pixels, before.pixels);
    // And the counter-clockwise turn undoes a clockwise one exactly.
    ASSERT_NE(FileRotation(path, path, kRotateClockwise), 0);
    ASSERT_NE(FileRotation(path, path, kRotateCounterClockwise), 0);
    EXPECT_EQ(LoadAny(path).pixels, before.pixels);
}

TEST(FileRotation, PartialBlockJpegIsReencodedWithoutLosingEdges) {
    TestDir dir;
    const std::string path = dir.File("odd.jpg");
    ASSERT_TRUE(EncodeJpegFile(BlockFromRgb32(QuarterImage(70, 45)), path, 90));
    ASSERT_NE(FileRotation(path, path, kRotateCounterClockwise), 0);
    Rgb32Image out = LoadAny(path);
    ASSERT_EQ(out.width, 45);
    ASSERT_EQ(out.height, 70);
    // Counter-clockwise: the green top-right quarter is now top-left, the
    // red top-left one bottom-left; the edge pixels are all there.
    EXPECT_LE(ChannelDiff(out.At(3, 3), PackRgb(30, 220, 30)), 10);
    EXPECT_LE(ChannelDiff(out.At(3, 66), PackRgb(220, 30, 30)), 10);
    EXPECT_LE(ChannelDiff(out.At(41, 66), PackRgb(30, 30, 220)), 10);
}

TEST(FileRotation, FailuresLeaveTheFileAlone) {
    TestDir dir;
    const std::string text = dir.Write("notes.txt", std::string("hello"));
    EXPECT_EQ(FileRotation(text, text, kRotateClockwise), 0);
    EXPECT_EQ(dir.Read("notes.txt"), "hello");
    EXPECT_EQ(FileRotation(dir.File("none.jpg"), dir.File("none.jpg"), 0), 0);

    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(EncodeJpeg(BlockFromRgb32(QuarterImage(32, 32)), 90, jpeg));
    jpeg.resize(jpeg.size() / 2);
    const std::string cut = dir.Write("cut.jpg", jpeg);
    EXPECT_EQ(FileRotation(cut, cut, kRotateClockwise), 0);
    EXPECT_EQ(dir.Read("cut.jpg"), std::string(jpeg.begin(), jpeg.end()));

    const std::string good = dir.Write("g.jpg", std::vector<uint8_t>(jpeg));
    EXPECT_EQ(FileRotation(good, good, 7), 0);  // unknown mode
    // No temporary files are left behind.
    int count = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.Path())) (void)e, ++count;
    EXPECT_EQ(count, 3);
}

TEST(FileRotation, JpegWithAHarmlessWarningIsStillTurnedLosslessly) {
    TestDir dir;
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(EncodeJpeg(BlockFromRgb32(PatternImage(64, 48)), 90, jpeg));
    // Three stray bytes before the second marker segment: the decoder warns
    // about extraneous bytes, the picture itself is whole.
    const size_t second = 2 + 2 + ((size_t(jpeg[4]) << 8) | jpeg[5]);
    std::vector<uint8_t> padded(jpeg.begin(), jpeg.begin() + long(second));
    padded.insert(padded.end(), {0x00, 0x00, 0x00});
    padded.insert(padded.end(), jpeg.begin() + long(second), jpeg.end());

    const std::string clean = dir.Write("clean.jpg", jpeg);
    const std::string stray = dir.Write("stray.jpg", padded);
    ASSERT_NE(FileRotation(clean, clean, kRotateClockwise), 0);
    ASSERT_NE(FileRotation(stray, stray, kRotateClockwise), 0);
    const Rgb32Image a = LoadAny(clean);
    const Rgb32Image b = LoadAny(stray);
    ASSERT_EQ(b.width, 48);
    ASSERT_EQ(b.height, 64);
    // The same coefficients turned: exactly the picture of the clean file,
    // not a copy decoded and encoded again.
    EXPECT_EQ(a.pixels, b.pixels);
}
