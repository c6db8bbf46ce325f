// Damaged files of every kind: whatever the bytes, reading never goes out of
// bounds (the sanitizer build checks) and never allocates beyond the limits.
#include <gtest/gtest.h>

#include <random>

#include "imaging/BitmapFile.h"
#include "imaging/ByteOrder.h"
#include "imaging/FileRotation.h"
#include "imaging/JpegCodec.h"
#include "imaging/PictureLoader.h"
#include "PictureFixtures.h"
#include "TestDir.h"

using namespace imaging;

namespace {

// Changes a few bytes, mostly in the headers where lies do harm.
std::vector<uint8_t> Spoil(std::vector<uint8_t> bytes, std::mt19937& rng, size_t headerBytes) {
    const int changes = 1 + int(rng() % 4);
    for (int i = 0; i < changes; ++i) {
        const size_t range = (rng() % 4 == 0) ? bytes.size() : std::min(bytes.size(), headerBytes);
        const size_t at = rng() % range;
        switch (rng() % 3) {
        case 0: bytes[at] = uint8_t(rng()); break;
        case 1: bytes[at] = 0xFF; break;
        default: bytes[at] = 0; break;
        }
    }
    if (rng() % 5 == 0) bytes.resize(rng() % bytes.size());
    return bytes;
}

}  // namespace

TEST(Robustness, SpoiltBitmapsAreReadSafely) {
    std::mt19937 rng(20261211);
    std::vector<std::vector<uint8_t>> seeds;
    for (uint16_t bpp : {8, 24, 32}) {
        PictureBlock b = PictureBlock::Create(13, 7, bpp);
        seeds.push_back(b.Bytes());
    }
    TestDir dir;
    for (int round = 0; round < 1500; ++round) {
        const auto& seed = seeds[size_t(round) % seeds.size()];
        std::vector<uint8_t> bytes = Spoil(seed, rng, 70);
        bytes.push_back(0);
        PictureBlock block(bytes);
        Rgb32Image img;
        BitmapLayout l;
        if (block.Layout(l)) {
            ASSERT_TRUE(ConvertToRgb32(block, img));
            ASSERT_EQ(img.pixels.size(), size_t(l.width) * size_t(l.height));
        } else {
            ASSERT_FALSE(ConvertToRgb32(block, img));
        }
        if (round % 50 == 0) {
            bytes.pop_back();
            const std::string path = dir.Write("s.bmp", bytes);
            PictureBlock loaded;
            LoadPicture(path, loaded);
            FileRotation(path, path, round % 3);
        }
    }
}

TEST(Robustness, SpoiltJpegsAreDecodedSafely) {
    std::mt19937 rng(7);
    std::vector<uint8_t> seed;
    ASSERT_TRUE(EncodeJpeg(BlockFromRgb32(PatternImage(40, 24)), 80, seed));
    TestDir dir;
    int decoded = 0;
    for (int round = 0; round < 400; ++round) {
        std::vector<uint8_t> bytes = Spoil(seed, rng, 330);
        Rgb32Image img;
        PictureBlock block;
        const bool ok = DecodeJpegRgb32(bytes.data(), bytes.size(), img);
        EXPECT_EQ(ok, DecodeJpeg(bytes.data(), bytes.size(), block));
        if (ok) {
            ++decoded;
            EXPECT_LE(uint64_t(img.width) * uint64_t(img.height), kMaxPixels);
        }
        if (round % 20 == 0) {
            const std::string path = dir.Write("s.jpg", bytes);
            FileRotation(path, path, kRotateClockwise);
        }
    }
    EXPECT_GT(decoded, 0);  // some changes are harmless, and those still decode
}
