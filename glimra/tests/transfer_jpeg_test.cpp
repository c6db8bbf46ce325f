#include "glimra/core/TransferJpeg.h"

#include <gtest/gtest.h>

#include <random>

#include "glimra/core/CommandIds.h"
#include "glimra/core/PictureSender.h"
#include "imaging/BitmapFile.h"
#include "imaging/JpegCodec.h"
#include "imaging/tests/PictureFixtures.h"
#include "imaging/tests/TestDir.h"

using namespace glimra;
using namespace imaging;

TEST(TransferJpeg, WidthRoundedDownToFourAndBelowTheLimit) {
    TestDir dir;
    for (auto [w, h] : {std::pair{641, 480}, {640, 480}, {7, 5}}) {
        const std::string pic = dir.File("p.bmp");
        ASSERT_TRUE(SaveBitmapFile(pic, BlockFromRgb32(QuarterImage(w, h))));
        const std::string out = dir.File("IMG000001.TMP");
        ASSERT_EQ(PrepareTransferJpeg(pic, out), 0);
        Rgb32Image img;
        ASSERT_TRUE(DecodeJpegFileRgb32(out, img));
        EXPECT_EQ(img.width, w / 4 * 4);
        EXPECT_EQ(img.height, h);
        EXPECT_LT(std::filesystem::file_size(out), kTransferSizeLimit);
    }
}

TEST(TransferJpeg, SixFortyOneWideKeepsItsLastRowWhite) {
    TestDir dir;
    Rgb32Image src;
    src.width = 641;
    src.height = 480;
    src.pixels.assign(641 * 480, PackRgb(0, 0, 0));
    ASSERT_TRUE(SaveBitmapFile(dir.File("p.bmp"), BlockFromRgb32(src)));
    ASSERT_EQ(PrepareTransferJpeg(dir.File("p.bmp"), dir.File("t.jpg")), 0);
    Rgb32Image img;
    ASSERT_TRUE(DecodeJpegFileRgb32(dir.File("t.jpg"), img));
    // Bottom-up rows: the last row in memory is the top row of the picture.
    EXPECT_LE(ChannelDiff(img.At(320, 0), PackRgb(255, 255, 255)), 40);
    EXPECT_LE(ChannelDiff(img.At(320, 240), PackRgb(0, 0, 0)), 8);
    EXPECT_LE(ChannelDiff(img.At(639, 479), PackRgb(0, 0, 0)), 8);  // no column left white
}

TEST(TransferJpeg, EightBitAndJpegSourcesAreAccepted) {
    TestDir dir;
    PictureBlock grey = PictureBlock::Create(100, 50, 8);
    ASSERT_TRUE(SaveBitmapFile(dir.File("g.bmp"), grey));
    EXPECT_EQ(PrepareTransferJpeg(dir.File("g.bmp"), dir.File("t1.jpg")), 0);
    ASSERT_TRUE(EncodeJpegFile(BlockFromRgb32(QuarterImage(90, 60)), dir.File("j.jpg"), 90));
    EXPECT_EQ(PrepareTransferJpeg(dir.File("j.jpg"), dir.File("t2.jpg")), 0);
    Rgb32Image img;
    ASSERT_TRUE(DecodeJpegFileRgb32(dir.File("t2.jpg"), img));
    EXPECT_EQ(img.width, 88);
}

TEST(TransferJpeg, UnsuitablePicturesFail) {
    TestDir dir;
    dir.Write("notes.txt", std::string("text"));
    ASSERT_TRUE(SaveBitmapFile(dir.File("deep.bmp"), PictureBlock::Create(16, 16, 32)));
    ASSERT_TRUE(SaveBitmapFile(dir.File("narrow.bmp"), BlockFromRgb32(PatternImage(3, 10))));
    for (const char* name : {"notes.txt", "deep.bmp", "narrow.bmp", "missing.jpg"}) {
        EXPECT_NE(PrepareTransferJpeg(dir.File(name), dir.File("t.jpg")), 0) << name;
    }
}

TEST(TransferJpeg, NoiseTooLargeEvenAtQualityTenLeavesNoFile) {
    TestDir dir;
    Rgb32Image noise;
    noise.width = 2000;
    noise.height = 1500;
    std::mt19937 rng(7);
    for (int i = 0; i < 2000 * 1500; ++i) noise.pixels.push_back(0xFF000000u | (rng() & 0xFFFFFF));
    ASSERT_TRUE(SaveBitmapFile(dir.File("n.bmp"), BlockFromRgb32(noise)));
    dir.Write("t.TMP", std::string());
    EXPECT_EQ(PrepareTransferJpeg(dir.File("n.bmp"), dir.File("t.TMP")), 0);
    EXPECT_FALSE(dir.Exists("t.TMP"));
}

TEST(PictureSender, EveryClassButTheCableAnswersNotSupported) {
    PictureSender sender;
    for (int32_t cls : {0, 2, 3, -1, 100}) {
        EXPECT_EQ(sender.Send(cls, {"/tmp/x"}, {"X_______.UPF"}), kSendNotSupported) << cls;
    }
}
