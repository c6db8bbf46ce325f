#include "imaging/BitmapFile.h"

#include <gtest/gtest.h>

#include <functional>

#include "imaging/ByteOrder.h"
#include "imaging/PictureBlock.h"
#include "PictureFixtures.h"
#include "TestDir.h"

using namespace imaging;

namespace {

// Builds a bitmap file by hand: `rows` are given from the top, each already
// `stride` bytes long; `extra` bytes (masks) follow the information header.
std::vector<uint8_t> MakeBmp(int32_t w, int32_t h, uint16_t bpp, uint32_t compression,
                             const std::vector<uint32_t>& palette, const std::vector<std::vector<uint8_t>>& rows,
                             bool topDown = false, const std::vector<uint32_t>& masks = {}) {
    std::vector<uint8_t> b(kFileHeaderSize + kInfoHeaderSize, 0);
    for (uint32_t m : masks) {
        b.resize(b.size() + 4);
        PutU32(&b[b.size() - 4], m);
    }
    for (uint32_t c : palette) {
        b.push_back(uint8_t(c));
        b.push_back(uint8_t(c >> 8));
        b.push_back(uint8_t(c >> 16));
        b.push_back(0);
    }
    const uint32_t offset = uint32_t(b.size());
    if (topDown) {
        for (const auto& r : rows) b.insert(b.end(), r.begin(), r.end());
    } else {
        for (auto it = rows.rbegin(); it != rows.rend(); ++it) b.insert(b.end(), it->begin(), it->end());
    }
    b[0] = 'B';
    b[1] = 'M';
    PutU32(&b[2], uint32_t(b.size()));
    PutU32(&b[10], offset);
    PutU32(&b[14], 40);
    PutI32(&b[18], w);
    PutI32(&b[22], topDown ? -h : h);
    PutU16(&b[26], 1);
    PutU16(&b[28], bpp);
    PutU32(&b[30], compression);
    PutU32(&b[46], uint32_t(palette.size()));
    return b;
}

bool Decode(const std::vector<uint8_t>& bytes, Rgb32Image& out) {
    std::vector<uint8_t> copy = bytes;
    copy.push_back(0);  // the loader's extra zero byte
    return ConvertToRgb32(PictureBlock(std::move(copy)), out);
}

const uint32_t kRed = PackRgb(255, 0, 0), kGreen = PackRgb(0, 255, 0), kBlue = PackRgb(0, 0, 255),
               kWhite = PackRgb(255, 255, 255);

}  // namespace

TEST(BitmapFile, SavedPictureLoadsBackPixelForPixel) {
    TestDir dir;
    for (auto [w, h] : {std::pair{1, 1}, {3, 2}, {5, 7}, {64, 3}}) {
        Rgb32Image img = PatternImage(w, h);
        ASSERT_TRUE(SaveBitmapFile(dir.File("p.bmp"), BlockFromRgb32(img)));
        PictureBlock block;
        ASSERT_TRUE(LoadBitmapFile(dir.File("p.bmp"), block));
        BitmapLayout l;
        ASSERT_TRUE(block.Layout(l));
        EXPECT_EQ(l.stride % 4, 0u);
        EXPECT_EQ(l.stride, size_t((w * 3 + 3) / 4 * 4));
        // Read by the size field into a block one byte larger.
        EXPECT_EQ(block.Size(), GetU32(block.Data() + 2) + 1u);
        Rgb32Image back;
        ASSERT_TRUE(ConvertToRgb32(block, back));
        EXPECT_EQ(back.pixels, img.pixels) << w << "x" << h;
    }
}

TEST(BitmapFile, DepthsAndCompressionsDecodeToTheSameColours) {
    // A 3x2 picture: top row red, green, blue; bottom row white, red, green.
    const std::vector<uint32_t> pal = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    const std::vector<uint32_t> want = {kRed, kGreen, kBlue, kWhite, kRed, kGreen};
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
    };
    auto px24 = [](uint32_t c) { return std::vector<uint8_t>{uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)}; };
    std::vector<uint8_t> top24, bottom24;
    for (uint32_t c : {kRed, kGreen, kBlue}) for (uint8_t v : px24(c)) top24.push_back(v);
    for (uint32_t c : {kWhite, kRed, kGreen}) for (uint8_t v : px24(c)) bottom24.push_back(v);
    top24.resize(12);
    bottom24.resize(12);
    const std::vector<Case> cases = {
        {"8 bit", MakeBmp(3, 2, 8, kBiRgb, pal, {{0, 1, 2, 0}, {3, 0, 1, 0}})},
        {"4 bit", MakeBmp(3, 2, 4, kBiRgb, pal, {{0x01, 0x20, 0, 0}, {0x30, 0x10, 0, 0}})},
        {"24 bit", MakeBmp(3, 2, 24, kBiRgb, {}, {top24, bottom24})},
        {"24 bit top-down", MakeBmp(3, 2, 24, kBiRgb, {}, {top24, bottom24}, true)},
        {"16 bit 5-5-5",
         MakeBmp(3, 2, 16, kBiRgb, {}, {{0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0, 0}, {0xFF, 0x7F, 0x00, 0x7C, 0xE0, 0x03, 0, 0}})},
        {"16 bit 5-6-5 masks",
         MakeBmp(3, 2, 16, kBiBitfields, {}, {{0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0, 0}, {0xFF, 0xFF, 0x00, 0xF8, 0xE0, 0x07, 0, 0}},
                 false, {0xF800, 0x07E0, 0x001F})},
        {"32 bit",
         MakeBmp(3, 2, 32, kBiRgb, {},
                 {{0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0}, {255, 255, 255, 0, 0, 0, 255, 0, 0, 255, 0, 0}})},
        {"RLE8",  // bottom row first: encoded run of white, then absolute red, green
         MakeBmp(3, 2, 8, kBiRle8, pal, {{1, 3, 0, 3, 0, 1, 0, 0, 0, 1}, {0, 0, 3, 0, 3, 0, 1, 2, 0, 0}}, true)},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> file = c.file;
        if (std::string(c.name) == "RLE8") {
            // Run-length data is always bottom-up: fix the header written as top-down above.
            PutI32(&file[22], 2);
            // Bottom row: runs of white, red, green, end of line; top row: an
            // absolute run of red, green, blue padded to 16 bits, end of bitmap.
            std::vector<uint8_t> bits = {1, 3, 1, 0, 1, 1, 0, 0, 0, 3, 0, 1, 2, 0, 0, 1};
            file.resize(GetU32(&file[10]));
            file.insert(file.end(), bits.begin(), bits.end());
            PutU32(&file[2], uint32_t(file.size()));
        }
        Rgb32Image img;
        ASSERT_TRUE(Decode(file, img)) << c.name;
        ASSERT_EQ(img.width, 3) << c.name;
        ASSERT_EQ(img.height, 2) << c.name;
        EXPECT_EQ(img.pixels, want) << c.name;
    }
}

TEST(BitmapFile, OneBitPictureUsesItsTwoColours) {
    auto file = MakeBmp(10, 1, 1, kBiRgb, {0x000000, 0xFFFFFF}, {{0b10100000, 0b01000000, 0, 0}});
    Rgb32Image img;
    ASSERT_TRUE(Decode(file, img));
    const uint32_t k = PackRgb(0, 0, 0);
    EXPECT_EQ(img.pixels, (std::vector<uint32_t>{kWhite, k, kWhite, k, k, k, k, k, k, kWhite}));
}

// Files whose headers lie: reading stops at the real end of the file and the
// layout check refuses what cannot be drawn.
TEST(BitmapFile, LyingHeadersAreRefusedWithoutReadingPastTheData) {
    TestDir dir;
    const auto good = MakeBmp(4, 4, 24, kBiRgb, {}, std::vector<std::vector<uint8_t>>(4, std::vector<uint8_t>(12, 7)));
    struct Case {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> spoil;
        bool loads;     // the file can be read at all
        bool drawable;  // the block passes the layout check
    };
    const std::vector<Case> cases = {
        {"intact", [](auto&) {}, true, true},
        {"size field far beyond the file", [](auto& b) { PutU32(&b[2], 0xFFFFFFF0u); }, true, true},
        {"size field zero", [](auto& b) { PutU32(&b[2], 0); }, true, true},
        {"size field cuts the bits", [](auto& b) { PutU32(&b[2], 60); }, true, false},
        {"truncated file", [](auto& b) { b.resize(80); }, true, false},
        {"only a file header", [](auto& b) { b.resize(14); }, true, false},
        {"shorter than a file header", [](auto& b) { b.resize(10); }, false, false},
        {"declared 60000x60000", [](auto& b) { PutI32(&b[18], 60000); PutI32(&b[22], 60000); }, true, false},
        {"declared 30000x30000", [](auto& b) { PutI32(&b[18], 30000); PutI32(&b[22], 30000); }, true, false},
        {"negative width", [](auto& b) { PutI32(&b[18], -4); }, true, false},
        {"height of INT_MIN", [](auto& b) { PutI32(&b[22], INT32_MIN); }, true, false},
        {"bits offset past the end", [](auto& b) { PutU32(&b[10], 0x7FFFFFFF); }, true, false},
        {"bits offset inside the header", [](auto& b) { PutU32(&b[10], 20); }, true, false},
        {"bit depth 7", [](auto& b) { PutU16(&b[28], 7); }, true, false},
        {"unknown compression", [](auto& b) { PutU32(&b[30], 9); }, true, false},
        {"information header size huge", [](auto& b) { PutU32(&b[14], 0x10000000); }, true, false},
        {"not BM", [](auto& b) { b[0] = 'X'; }, true, false},
        {"bit fields in a 44-byte header", [](auto& b) { PutU32(&b[14], 44); PutU16(&b[28], 32); PutU32(&b[30], 3); b.resize(60); }, true, false},
    };
    for (const Case& c : cases) {
        auto bytes = good;
        c.spoil(bytes);
        const std::string path = dir.Write("x.bmp", bytes);
        PictureBlock block;
        ASSERT_EQ(LoadBitmapFile(path, block), c.loads) << c.name;
        if (!c.loads) continue;
        EXPECT_LE(block.Size(), bytes.size() + 1) << c.name;
        BitmapLayout l;
        EXPECT_EQ(block.Layout(l), c.drawable) << c.name;
        Rgb32Image img;
        EXPECT_EQ(ConvertToRgb32(block, img), c.drawable) << c.name;
    }
}

TEST(BitmapFile, PaletteReachingPastTheEndIsRefused) {
    auto file = MakeBmp(2, 1, 8, kBiRgb, {0xFF0000, 0x00FF00}, {{0, 1, 0, 0}});
    // Claim 200 colours while the file holds two and four bytes of bits.
    PutU32(&file[46], 200);
    Rgb32Image img;
    EXPECT_FALSE(Decode(file, img));
}

TEST(BitmapFile, RunLengthDataThatRunsOffThePictureStaysInside) {
    const std::vector<uint32_t> pal = {0x000000, 0xFFFFFF};
    auto file = MakeBmp(2, 2, 8, kBiRle8, pal, {}, false);
    // Runs far longer than the row, deltas beyond the picture, a cut-off absolute run.
    std::vector<uint8_t> bits = {255, 1, 0, 2, 200, 200, 255, 1, 0, 0, 0, 9, 1};
    file.insert(file.end(), bits.begin(), bits.end());
    PutU32(&file[2], uint32_t(file.size()));
    Rgb32Image img;
    ASSERT_TRUE(Decode(file, img));
    EXPECT_EQ(img.pixels[2], kWhite);  // bottom-left from the first run
}

TEST(BitmapFile, MissingFileAndFolderAreNotLoaded) {
    TestDir dir;
    PictureBlock block;
    EXPECT_FALSE(LoadBitmapFile(dir.File("none.bmp"), block));
    EXPECT_FALSE(LoadBitmapFile(dir.Path(), block));
    EXPECT_TRUE(block.Empty());
}

TEST(BitmapFile, BlockFieldsCanBeReadAndTheWidthChanged) {
    PictureBlock b = PictureBlock::Create(641, 480, 24);
    EXPECT_EQ(b.WidthField(), 641);
    EXPECT_EQ(b.HeightField(), 480);
    EXPECT_EQ(b.BitsPerPixelField(), 24);
    EXPECT_EQ(b.CompressionField(), 0u);
    EXPECT_EQ(b.BitsOffsetField(), 54u);
    b.SetWidthField(640);
    EXPECT_EQ(b.WidthField(), 640);
    EXPECT_TRUE(PictureBlock::Create(0, 5, 24).Empty());
    EXPECT_TRUE(PictureBlock::Create(60000, 60000, 24).Empty());
}
