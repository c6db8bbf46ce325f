#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "imaging/BitmapFile.h"
#include "imaging/JpegCodec.h"
#include "orvane/title/CImageOpe.h"

namespace fs = std::filesystem;
using orvane::CImageOpe;

namespace {

class ImageOpeTest : public testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("orvane_img_" + std::to_string(::getpid()) + "_" +
                                            testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string P(const std::string& name) const { return (dir_ / name).string(); }

    // A picture with a colour gradient and a red square in the top-left corner.
    static imaging::Rgb32Image Gradient(int w, int h)
    {
        imaging::Rgb32Image img;
        img.width = w;
        img.height = h;
        img.pixels.resize(size_t(w) * size_t(h));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                img.Row(y)[x] = (x < w / 4 && y < h / 4) ? imaging::PackRgb(255, 0, 0)
                                                         : imaging::PackRgb(uint8_t(x * 255 / w), uint8_t(y * 255 / h), 128);
        return img;
    }
    void WriteBmp(const std::string& name, int w, int h)
    {
        ASSERT_TRUE(imaging::SaveBitmapFile(P(name), imaging::BlockFromRgb32(Gradient(w, h))));
    }
    static imaging::BitmapLayout LayoutOf(const std::string& path)
    {
        imaging::PictureBlock block;
        imaging::BitmapLayout layout;
        EXPECT_TRUE(imaging::LoadBitmapFile(path, block));
        EXPECT_TRUE(block.Layout(layout));
        return layout;
    }

    fs::path dir_;
};

TEST_F(ImageOpeTest, LoadRecordsFormatSizeDepthAndPaths)
{
    WriteBmp("a.bmp", 64, 48);
    CImageOpe ope;
    ASSERT_TRUE(ope.Load(P("a.bmp")));
    EXPECT_EQ(ope.sourceFormat(), CImageOpe::kBitmap);
    EXPECT_EQ(ope.sourceWidth(), 64);
    EXPECT_EQ(ope.sourceHeight(), 48);
    EXPECT_EQ(ope.sourceBits(), 24);
    EXPECT_EQ(ope.sourcePath(), P("a.bmp"));
    EXPECT_EQ(ope.targetPath(), P("a.bmp"));
    EXPECT_EQ(ope.targetWidth(), 64);

    ASSERT_TRUE(ope.SaveJpeg(P("a.jpg"), 90));
    ASSERT_TRUE(ope.Load(P("A.JPG")));  // found in another letter case
    EXPECT_EQ(ope.sourceFormat(), CImageOpe::kJpeg);
    EXPECT_EQ(ope.sourceBits(), 24);
    EXPECT_EQ(ope.sourceWidth(), 64);
}

TEST_F(ImageOpeTest, LoadFailsOnMissingBrokenAndForeignFiles)
{
    CImageOpe ope;
    EXPECT_FALSE(ope.Load(P("missing.bmp")));
    std::ofstream(P("text.bmp")) << "this is not a picture";
    EXPECT_FALSE(ope.Load(P("text.bmp")));
    std::ofstream(P("cut.jpg"), std::ios::binary) << "\xFF\xD8\xFF\xE0\x00\x10JFIF";
    EXPECT_FALSE(ope.Load(P("cut.jpg")));
    EXPECT_FALSE(ope.HasSource());
    EXPECT_FALSE(ope.MakeWorkCopy());
    EXPECT_FALSE(ope.Resize(10, 10));
    EXPECT_FALSE(ope.SaveBmp(P("out.bmp"), 24));
    EXPECT_FALSE(fs::exists(P("out.bmp")));
}

TEST_F(ImageOpeTest, A800x600WorkingBitmapGivesAFullSizeJpegAndA100x75Thumbnail)
{
    WriteBmp("TitleBase.bmp", 800, 600);
    CImageOpe ope;
    ASSERT_TRUE(ope.Load(P("TitleBase.bmp")));
    ASSERT_TRUE(ope.SaveJpeg(P("FRAME002.jpg"), 100));
    EXPECT_FALSE(ope.HasWork());  // each save ends the working copy
    ASSERT_TRUE(ope.Resize(100, 75));
    EXPECT_EQ(ope.targetWidth(), 100);
    ASSERT_TRUE(ope.SaveBmp(P("FRAME002.tbm"), 24));

    std::ifstream in(P("FRAME002.jpg"), std::ios::binary);
    std::vector<uint8_t> jpeg((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    int32_t w = 0, h = 0;
    ASSERT_TRUE(imaging::ReadJpegSize(jpeg.data(), jpeg.size(), w, h));
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);

    const imaging::BitmapLayout thumb = LayoutOf(P("FRAME002.tbm"));
    EXPECT_EQ(thumb.width, 100);
    EXPECT_EQ(thumb.height, 75);
    EXPECT_EQ(thumb.bitsPerPixel, 24);
    // The red corner survives the scaling.
    imaging::PictureBlock block;
    ASSERT_TRUE(imaging::LoadBitmapFile(P("FRAME002.tbm"), block));
    imaging::Rgb32Image rgb;
    ASSERT_TRUE(imaging::ConvertToRgb32(block, rgb));
    const uint32_t px = rgb.At(5, 5);
    EXPECT_GT((px >> 16) & 0xFF, 200u);
    EXPECT_LT((px >> 8) & 0xFF, 60u);
}

TEST_F(ImageOpeTest, ResizeToTheSourceSizeOrZerosChangesNothing)
{
    WriteBmp("a.bmp", 40, 30);
    CImageOpe ope;
    ASSERT_TRUE(ope.Load(P("a.bmp")));
    ASSERT_TRUE(ope.Resize(0, 0));
    ASSERT_TRUE(ope.Resize(40, 0));
    EXPECT_EQ(ope.targetWidth(), 40);
    ASSERT_TRUE(ope.Resize(0, 15));
    EXPECT_EQ(ope.targetWidth(), 40);
    EXPECT_EQ(ope.targetHeight(), 15);
    ASSERT_TRUE(ope.SaveBmp(P("b.bmp"), 0));
    EXPECT_EQ(LayoutOf(P("b.bmp")).height, 15);
}

TEST_F(ImageOpeTest, SaveBmpConvertsToTheAskedDepth)
{
    WriteBmp("a.bmp", 33, 21);
    struct Case {
        int bits;
        bool ok;
        int stored;
    };
    const Case cases[] = {{24, true, 24}, {8, true, 8}, {4, true, 4}, {1, true, 1}, {0, true, 24}, {16, false, 0}, {7, false, 0}};
    for (const Case& c : cases) {
        CImageOpe ope;
        ASSERT_TRUE(ope.Load(P("a.bmp")));
        const std::string out = P("out" + std::to_string(c.bits) + ".bmp");
        EXPECT_EQ(ope.SaveBmp(out, c.bits), c.ok) << c.bits;
        if (c.ok) {
            const imaging::BitmapLayout l = LayoutOf(out);
            EXPECT_EQ(l.bitsPerPixel, c.stored) << c.bits;
            EXPECT_EQ(l.width, 33);
        } else {
            EXPECT_FALSE(fs::exists(out)) << c.bits;
        }
    }
    // An 8-bit source converts to 24 bits and to JPEG.
    CImageOpe ope;
    ASSERT_TRUE(ope.Load(P("out8.bmp")));
    EXPECT_EQ(ope.sourceBits(), 8);
    ASSERT_TRUE(ope.SaveBmp(P("back24.bmp"), 24));
    EXPECT_EQ(LayoutOf(P("back24.bmp")).bitsPerPixel, 24);
    ASSERT_TRUE(ope.Load(P("out8.bmp")));
    ASSERT_TRUE(ope.SaveJpeg(P("from8.jpg"), 80));
}

TEST_F(ImageOpeTest, AnEmptyPathSavesOverTheLoadedFile)
{
    WriteBmp("a.bmp", 20, 10);
    CImageOpe ope;
    ASSERT_TRUE(ope.Load(P("a.bmp")));
    ASSERT_TRUE(ope.Resize(10, 5));
    ASSERT_TRUE(ope.SaveBmp("", 0));
    EXPECT_EQ(LayoutOf(P("a.bmp")).width, 10);
    EXPECT_EQ(ope.targetPath(), P("a.bmp"));
    // A save into a missing folder fails and says so.
    ASSERT_TRUE(ope.Load(P("a.bmp")));
    EXPECT_FALSE(ope.SaveJpeg(P("no/such/dir/x.jpg"), 100));
}

}  // namespace
