#include "imaging/PictureCache.h"

#include <gtest/gtest.h>

#include "imaging/BitmapFile.h"
#include "imaging/FileRotation.h"
#include "imaging/JpegCodec.h"
#include "PictureFixtures.h"
#include "TestDir.h"

using namespace imaging;

TEST(PictureCache, DecodesOnceWhileTheFileStaysTheSame) {
    TestDir dir;
    ASSERT_TRUE(EncodeJpegFile(BlockFromRgb32(QuarterImage(64, 32)), dir.File("a.jpg"), 90));
    PictureCache cache;
    auto first = cache.Get(dir.File("a.jpg"));
    ASSERT_NE(first, nullptr);
    auto again = cache.Get(dir.File("a.jpg"));
    EXPECT_EQ(first, again);
    EXPECT_EQ(cache.DecodeCount(), 1u);
}

TEST(PictureCache, AChangedFileIsDecodedAgain) {
    TestDir dir;
    const std::string path = dir.File("a.jpg");
    ASSERT_TRUE(EncodeJpegFile(BlockFromRgb32(QuarterImage(64, 32)), path, 90));
    PictureCache cache;
    auto before = cache.Get(path);
    ASSERT_NE(before, nullptr);
    ASSERT_NE(FileRotation(path, path, kRotateClockwise), 0);
    auto after = cache.Get(path);
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->width, 32);
    EXPECT_EQ(after->height, 64);
    EXPECT_EQ(before->width, 64);  // a copy handed out earlier stays whole

    // A file that disappears is broken at the next look.
    std::filesystem::remove(path);
    EXPECT_EQ(cache.Get(path), nullptr);
}

TEST(PictureCache, PreloadedNeighboursAreReadyWithoutDecoding) {
    TestDir dir;
    std::vector<std::string> paths;
    for (int i = 0; i < 3; ++i) {
        paths.push_back(dir.File("p" + std::to_string(i) + ".jpg"));
        ASSERT_TRUE(EncodeJpegFile(BlockFromRgb32(PatternImage(40 + i, 30)), paths.back(), 90));
    }
    dir.Write("broken.jpg", std::string("x"));
    PictureCache cache(4);
    cache.Get(paths[0]);
    cache.Preload({paths[1], paths[2], dir.File("broken.jpg")});
    cache.WaitIdle();
    EXPECT_TRUE(cache.Holds(paths[1]));
    EXPECT_TRUE(cache.Holds(paths[2]));
    const uint64_t decodes = cache.DecodeCount();
    auto p1 = cache.Get(paths[1]);
    ASSERT_NE(p1, nullptr);
    EXPECT_EQ(p1->width, 41);
    EXPECT_EQ(cache.Get(dir.File("broken.jpg")), nullptr);
    EXPECT_EQ(cache.DecodeCount(), decodes);
}

TEST(PictureCache, LeastRecentlyUsedPicturesAreDropped) {
    TestDir dir;
    std::vector<std::string> paths;
    for (int i = 0; i < 4; ++i) {
        paths.push_back(dir.File("p" + std::to_string(i) + ".bmp"));
        ASSERT_TRUE(SaveBitmapFile(paths.back(), BlockFromRgb32(PatternImage(8, 8))));
    }
    PictureCache cache(2);
    cache.Get(paths[0]);
    cache.Get(paths[1]);
    cache.Get(paths[0]);
    cache.Get(paths[2]);  // drops paths[1]
    EXPECT_TRUE(cache.Holds(paths[0]));
    EXPECT_FALSE(cache.Holds(paths[1]));
    EXPECT_TRUE(cache.Holds(paths[2]));
}

TEST(PictureCache, ByteBudgetKeepsOnlyWhatFits) {
    TestDir dir;
    std::vector<std::string> paths;
    for (int i = 0; i < 3; ++i) {
        paths.push_back(dir.File("p" + std::to_string(i) + ".bmp"));
        ASSERT_TRUE(SaveBitmapFile(paths.back(), BlockFromRgb32(PatternImage(100, 100))));
    }
    PictureCache cache(8, 2 * 100 * 100 * 4);  // room for two pictures
    for (const auto& p : paths) ASSERT_NE(cache.Get(p), nullptr);
    EXPECT_FALSE(cache.Holds(paths[0]));
    EXPECT_TRUE(cache.Holds(paths[1]));
    EXPECT_TRUE(cache.Holds(paths[2]));
    PictureCache tiny(8, 1);  // the picture just stored stays even when it alone is too large
    ASSERT_NE(tiny.Get(paths[0]), nullptr);
    EXPECT_TRUE(tiny.Holds(paths[0]));
}
