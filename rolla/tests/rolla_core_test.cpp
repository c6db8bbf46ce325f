#include <gtest/gtest.h>

#include "imaging/BitmapFile.h"
#include "imaging/tests/PictureFixtures.h"
#include "imaging/tests/TestDir.h"
#include "rolla/core/RollaCommandLine.h"
#include "rolla/core/SlidePlacement.h"
#include "rolla/core/SlidePreparer.h"

using namespace rolla;

TEST(RollaCommandLine, IndexFolderModeAndInterval) {
    struct Case {
        std::string line;
        bool ok;
        std::string index, folder;
        int16_t mode;
        int32_t interval;
    };
    const std::vector<Case> cases = {
        {"/index.TMP//home/me/Pict/1/3000", true, "/home/me/Pict/index.TMP", "/home/me/Pict/", 1, 3000},
        {"/index.TMP//home/me/Pict//0/1000", true, "/home/me/Pict/index.TMP", "/home/me/Pict/", 0, 1000},
        {"/index.TMP//home/me/My Pictures/0/500", true, "/home/me/My Pictures/index.TMP", "/home/me/My Pictures/", 0,
         500},
        {"/index.TMP/pics/7/20", true, "pics/index.TMP", "pics/", 7, 20},
        {"/index.TMP//0/1000", true, "index.TMP", "", 0, 1000},
        // Mode and interval missing: the last pieces are folder, the defaults stay.
        {"/index.TMP//home/me/Pict", true, "/home/me/Pict/index.TMP", "/home/me/Pict/", 0, 1000},
        {"/index.TMP/pics", true, "pics/index.TMP", "pics/", 0, 1000},
        {"/index.TMP", true, "index.TMP", "", 0, 1000},
        // Numbers as they are read: 16-bit mode, a minimum interval, a
        // negative interval read unsigned as the longest one.
        {"/i/p/65537/0", true, "p/i", "p/", 1, 10},
        {"/i/p/-1/9", true, "p/i", "p/", -1, 10},
        {"/i/p/-1/-5", true, "p/i", "p/", -1, INT32_MAX},
        {"/i/p/0/99999999999", true, "p/i", "p/", 0, INT32_MAX},
        {"", false, "", "", 0, 1000},
        {"/", false, "", "", 0, 1000},
        {"//home/x/0/1", false, "", "", 0, 1000},
        {"/index.TMP/" + std::string(3000, 'd') + "/0/1000", false, "", "", 0, 1000},
    };
    for (const Case& c : cases) {
        SlideShowArgs a;
        ASSERT_EQ(ParseRollaCommandLine(c.line, a), c.ok) << c.line.substr(0, 50);
        if (!c.ok) continue;
        EXPECT_EQ(a.indexPath, c.index) << c.line;
        EXPECT_EQ(a.pictureFolder, c.folder) << c.line;
        EXPECT_EQ(a.showMode, c.mode) << c.line;
        EXPECT_EQ(a.interval, c.interval) << c.line;
    }
}

TEST(RollaPlacement, ModesOnTheScreen) {
    struct Case {
        int16_t mode;
        int32_t w, h, cw, ch;
        bool draw;
        int32_t x, y, pw, ph;
    };
    const std::vector<Case> cases = {
        {1, 640, 480, 1024, 768, true, 0, 0, 1024, 768},     // equal ratios: the whole screen
        {1, 800, 400, 1024, 768, true, 0, 128, 1024, 512},   // the width limits
        {1, 300, 600, 1024, 768, true, 320, 0, 384, 768},    // the height limits
        {1, 3, 2, 1024, 768, true, 0, 42, 1024, 683},        // 682.67 rounds to 683; 85 / 2 rounds toward zero
        {0, 2048, 1536, 1024, 768, true, -512, -384, 2048, 1536},
        {0, 641, 481, 1024, 768, true, 191, 143, 641, 481},
        {0, 1025, 769, 1024, 768, true, 0, 0, 1025, 769},    // -1/2 rounds toward zero
        {2, 640, 480, 1024, 768, false, 0, 0, 0, 0},
        {-1, 640, 480, 1024, 768, false, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        Placement p = PlacePicture(c.mode, c.w, c.h, c.cw, c.ch);
        EXPECT_EQ(p.draw, c.draw) << c.w << "x" << c.h;
        if (!c.draw) continue;
        EXPECT_EQ(p.x, c.x) << c.w << "x" << c.h;
        EXPECT_EQ(p.width, c.pw) << c.w << "x" << c.h;
        EXPECT_EQ(p.height, c.ph) << c.w << "x" << c.h;
        EXPECT_EQ(p.y, c.y) << c.w << "x" << c.h;
    }
}

TEST(RollaSlides, ScaledOnceAndMadeAgainWhenTheFileChanges) {
    TestDir dir;
    const std::string a = dir.File("A.BMP"), b = dir.File("B.BMP");
    ASSERT_TRUE(imaging::SaveBitmapFile(a, imaging::BlockFromRgb32(QuarterImage(80, 40))));
    ASSERT_TRUE(imaging::SaveBitmapFile(b, imaging::BlockFromRgb32(QuarterImage(40, 40))));
    SlidePreparer prep(kFitToScreen, 160, 120);
    auto first = prep.Get(a);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->placement.width, 160);
    EXPECT_EQ(first->placement.height, 80);
    EXPECT_EQ(first->pixels->width, 160);
    EXPECT_EQ(prep.Get(a), first);  // repaints reuse the slide

    prep.PrepareAhead(b);
    auto second = prep.Get(b);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->pixels->width, 120);
    EXPECT_EQ(second->placement.x, 20);

    // Prepared ahead, then changed on disk before its turn: made again.
    prep.PrepareAhead(a);
    ASSERT_TRUE(imaging::SaveBitmapFile(a, imaging::BlockFromRgb32(QuarterImage(40, 80))));
    auto changed = prep.Get(a);
    ASSERT_NE(changed, nullptr);
    EXPECT_EQ(changed->placement.height, 120);
    EXPECT_EQ(changed->placement.width, 60);

    dir.Write("C.JPG", std::string("broken"));
    EXPECT_EQ(prep.Get(dir.File("C.JPG")), nullptr);
    SlidePreparer other(5, 160, 120);
    EXPECT_EQ(other.Get(a), nullptr);  // a mode that draws nothing
}
