#include "imaging/JpegCodec.h"

#include <gtest/gtest.h>

#include "imaging/ByteOrder.h"
#include "PictureFixtures.h"
#include "TestDir.h"

using namespace imaging;

namespace {

std::vector<uint8_t> EncodeQuarters(int32_t w, int32_t h, int quality = 90) {
    std::vector<uint8_t> jpeg;
    EXPECT_TRUE(EncodeJpeg(BlockFromRgb32(QuarterImage(w, h)), quality, jpeg));
    return jpeg;
}

// The JPEG with `count` zero bytes put in front of its second marker
// segment, which the decoder skips with a warning ("extraneous bytes").
std::vector<uint8_t> WithBytesBeforeSecondSegment(const std::vector<uint8_t>& jpeg, size_t count) {
    // SOI (2 bytes), then the first segment: FF xx length(2) payload.
    const size_t first = 2;
    const size_t length = (size_t(jpeg[first + 2]) << 8) | jpeg[first + 3];
    const size_t second = first + 2 + length;
    std::vector<uint8_t> b(jpeg.begin(), jpeg.begin() + long(second));
    b.insert(b.end(), count, 0x00);
    b.insert(b.end(), jpeg.begin() + long(second), jpeg.end());
    return b;
}

}  // namespace

TEST(JpegCodec, HarmlessWarningStillGivesThePicture) {
    const std::vector<uint8_t> good = EncodeQuarters(64, 48);
    Rgb32Image expected;
    ASSERT_TRUE(DecodeJpegRgb32(good.data(), good.size(), expected));

    const std::vector<uint8_t> padded = WithBytesBeforeSecondSegment(good, 5);
    Rgb32Image img;
    ASSERT_TRUE(DecodeJpegRgb32(padded.data(), padded.size(), img));
    EXPECT_EQ(img.pixels, expected.pixels);
    PictureBlock block;
    ASSERT_TRUE(DecodeJpeg(padded.data(), padded.size(), block));
    Rgb32Image fromBlock;
    ASSERT_TRUE(ConvertToRgb32(block, fromBlock));
    EXPECT_EQ(fromBlock.pixels, expected.pixels);

    // Bytes after the end marker are no reason to refuse it either.
    std::vector<uint8_t> trailing = padded;
    trailing.insert(trailing.end(), {0x12, 0x34, 0xFF, 0x00});
    EXPECT_TRUE(DecodeJpegRgb32(trailing.data(), trailing.size(), img));
}

TEST(JpegCodec, RoundTripKeepsSizeAndColours) {
    TestDir dir;
    const Rgb32Image src = QuarterImage(64, 48);
    ASSERT_TRUE(EncodeJpegFile(BlockFromRgb32(src), dir.File("a.jpg"), 90));

    PictureBlock block;
    ASSERT_TRUE(DecodeJpegFile(dir.File("a.jpg"), block));
    BitmapLayout l;
    ASSERT_TRUE(block.Layout(l));
    EXPECT_EQ(l.width, 64);
    EXPECT_EQ(l.height, 48);
    EXPECT_EQ(l.bitsPerPixel, 24);
    EXPECT_FALSE(l.topDown);
    EXPECT_EQ(l.bitsOffset, 54u);

    Rgb32Image fromBlock, direct;
    ASSERT_TRUE(ConvertToRgb32(block, fromBlock));
    ASSERT_TRUE(DecodeJpegFileRgb32(dir.File("a.jpg"), direct));
    EXPECT_EQ(fromBlock.pixels, direct.pixels);  // both routes give the same picture
    // Away from the edges between the quarters the colours come back closely.
    for (auto [x, y] : {std::pair{8, 8}, {56, 8}, {8, 40}, {56, 40}}) {
        EXPECT_LE(ChannelDiff(direct.At(x, y), src.At(x, y)), 6) << x << "," << y;
    }
}

TEST(JpegCodec, LowerQualityGivesASmallerFile) {
    const Rgb32Image img = PatternImage(200, 150);
    std::vector<uint8_t> high, low;
    ASSERT_TRUE(EncodeJpeg(BlockFromRgb32(img), 90, high));
    ASSERT_TRUE(EncodeJpeg(BlockFromRgb32(img), 10, low));
    EXPECT_LT(low.size(), high.size());
}

TEST(JpegCodec, EightBitPictureIsEncodedThroughItsColourTable) {
    PictureBlock grey = PictureBlock::Create(16, 16, 8);
    BitmapLayout l;
    ASSERT_TRUE(grey.Layout(l));
    for (int32_t y = 0; y < 16; ++y) std::fill_n(grey.RowFromTop(l, y), 16, uint8_t(200));
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(EncodeJpeg(grey, 90, jpeg));
    Rgb32Image back;
    ASSERT_TRUE(DecodeJpegRgb32(jpeg.data(), jpeg.size(), back));
    EXPECT_LE(ChannelDiff(back.At(8, 8), PackRgb(200, 200, 200)), 2);
}

TEST(JpegCodec, DamagedDataIsRefused) {
    const std::vector<uint8_t> good = EncodeQuarters(64, 48);
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases;
    cases.push_back({"empty", {}});
    cases.push_back({"just the start marker", {0xFF, 0xD8}});
    cases.push_back({"not a JPEG", std::vector<uint8_t>(500, 'x')});
    cases.push_back({"cut in half", std::vector<uint8_t>(good.begin(), good.begin() + long(good.size() / 2))});
    cases.push_back({"cut before the end marker", std::vector<uint8_t>(good.begin(), good.end() - 2)});
    {
        auto b = good;  // scribble over the entropy-coded data
        for (size_t i = b.size() / 2; i < b.size() / 2 + 40; ++i) b[i] = 0xFF;
        cases.push_back({"scribbled", b});
    }
    {
        // Extraneous bytes first (a mere warning), then cut off: still refused.
        auto b = WithBytesBeforeSecondSegment(good, 3);
        b.resize(b.size() * 2 / 3);
        cases.push_back({"padded and cut", b});
    }
    for (const Case& c : cases) {
        PictureBlock block;
        Rgb32Image img;
        EXPECT_FALSE(DecodeJpeg(c.bytes.data(), c.bytes.size(), block)) << c.name;
        EXPECT_FALSE(DecodeJpegRgb32(c.bytes.data(), c.bytes.size(), img)) << c.name;
        EXPECT_TRUE(block.Empty()) << c.name;
        EXPECT_TRUE(img.Empty()) << c.name;
    }
}

TEST(JpegCodec, HugeDeclaredSizeIsRefusedBeforeAllocating) {
    std::vector<uint8_t> b = EncodeQuarters(16, 16);
    // Patch the frame header (SOF0: FF C0 len(2) precision(1) height(2) width(2)).
    bool patched = false;
    for (size_t i = 2; i + 8 < b.size(); ++i) {
        if (b[i] == 0xFF && b[i + 1] == 0xC0) {
            b[i + 5] = 60000 >> 8;
            b[i + 6] = 60000 & 0xFF;
            b[i + 7] = 60000 >> 8;
            b[i + 8] = 60000 & 0xFF;
            patched = true;
            break;
        }
    }
    ASSERT_TRUE(patched);
    PictureBlock block;
    Rgb32Image img;
    int32_t w = 0, h = 0;
    EXPECT_FALSE(ReadJpegSize(b.data(), b.size(), w, h));
    EXPECT_FALSE(DecodeJpeg(b.data(), b.size(), block));
    EXPECT_FALSE(DecodeJpegRgb32(b.data(), b.size(), img));
}

TEST(JpegCodec, MissingFileAndInvalidBlockFail) {
    TestDir dir;
    PictureBlock block;
    EXPECT_FALSE(DecodeJpegFile(dir.File("none.jpg"), block));
    std::vector<uint8_t> out;
    EXPECT_FALSE(EncodeJpeg(PictureBlock(), 90, out));
    EXPECT_FALSE(EncodeJpegFile(PictureBlock(), dir.File("x.jpg"), 90));
    EXPECT_FALSE(dir.Exists("x.jpg"));
}
