#include "imaging/PictureLoader.h"

#include <gtest/gtest.h>

#include "imaging/BitmapFile.h"
#include "imaging/ByteOrder.h"
#include "imaging/JpegCodec.h"
#include "PictureFixtures.h"
#include "TestDir.h"

using namespace imaging;

TEST(PictureLoader, KindByTheFirstLetterOfTheExtension) {
    const std::vector<std::pair<std::string, PictureKind>> cases = {
        {"/p/A.BMP", PictureKind::kBitmap}, {"/p/a.bmp", PictureKind::kBitmap}, {"/p/a.b", PictureKind::kBitmap},
        {"/p/B.JPG", PictureKind::kJpeg},   {"/p/b.jpeg", PictureKind::kJpeg}, {"/p/x.tar.jpg", PictureKind::kJpeg},
        {"/p/notes.txt", PictureKind::kNone}, {"/p/noext", PictureKind::kNone}, {"/p.jpg/noext", PictureKind::kNone},
        {"/p/trailingdot.", PictureKind::kNone},
    };
    for (const auto& [path, kind] : cases) EXPECT_EQ(PictureKindOf(path), kind) << path;
}

TEST(PictureLoader, LoadsBothKindsInEitherForm) {
    TestDir dir;
    const Rgb32Image img = QuarterImage(32, 16);
    ASSERT_TRUE(SaveBitmapFile(dir.File("A.BMP"), BlockFromRgb32(img)));
    ASSERT_TRUE(EncodeJpegFile(BlockFromRgb32(img), dir.File("B.JPG"), 90));
    for (const char* name : {"A.BMP", "B.JPG", "a.bmp", "b.jpg"}) {  // the case of the name does not matter
        PictureBlock block;
        ASSERT_TRUE(LoadPicture(dir.File(name), block)) << name;
        BitmapLayout l;
        ASSERT_TRUE(block.Layout(l));
        EXPECT_EQ(l.width, 32);
        EXPECT_EQ(l.height, 16);
        Rgb32Image rgb;
        ASSERT_TRUE(LoadPictureRgb32(dir.File(name), rgb)) << name;
        EXPECT_LE(ChannelDiff(rgb.At(4, 4), img.At(4, 4)), 6) << name;
    }
}

TEST(PictureLoader, BrokenPicturesAreRefused) {
    TestDir dir;
    const Rgb32Image img = QuarterImage(16, 16);
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(EncodeJpeg(BlockFromRgb32(img), 90, jpeg));
    dir.Write("notes.txt", std::string("text"));
    dir.Write("cut.jpg", std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + long(jpeg.size() / 3)));
    dir.Write("text.jpg", std::string("not a picture at all"));
    dir.Write("jpeg.bmp", jpeg);  // JPEG bytes under a bitmap name
    ASSERT_TRUE(SaveBitmapFile(dir.File("huge.bmp"), BlockFromRgb32(img)));
    {
        std::string b = dir.Read("huge.bmp");
        PutI32(reinterpret_cast<uint8_t*>(&b[18]), 60000);
        PutI32(reinterpret_cast<uint8_t*>(&b[22]), 60000);
        PutU32(reinterpret_cast<uint8_t*>(&b[2]), 0xFFFFFFFF);
        dir.Write("huge.bmp", b);
    }
    for (const char* name : {"notes.txt", "cut.jpg", "text.jpg", "jpeg.bmp", "huge.bmp", "missing.jpg"}) {
        PictureBlock block;
        Rgb32Image rgb;
        EXPECT_FALSE(LoadPicture(dir.File(name), block)) << name;
        EXPECT_FALSE(LoadPictureRgb32(dir.File(name), rgb)) << name;
        EXPECT_TRUE(block.Empty());
    }
}
