#include "TestSupport.h"
#include "talvix/cardops/CardLister.h"

#include <gtest/gtest.h>

using namespace talvix;
using namespace cardtest;

TEST(DummyCard, FillsTheTableFromTheMmcFolderInPreOrder)
{
    TempDir dir;
    WriteFile(dir / "MMC/DCIM/100/P1.JPG", "1");
    WriteFile(dir / "MMC/DCIM/101/My Photo.jpeg", "22");
    WriteFile(dir / "MMC/.hidden", "h");
    WriteFile(dir / "MMC/A.TXT", "a");
    std::filesystem::create_directories(dir / "MMC/EMPTY");

    CardSession session;
    session.programPath = dir.path() + "/";
    CardLister lister(session);
    ASSERT_TRUE(lister.LoadDummyCard());
    CardFolders& t = session.folders;
    ASSERT_EQ(t.CardFolderCount, 5);
    EXPECT_EQ(t.Slot(0)->path, "M:");
    EXPECT_EQ(t.Slot(0)->count(), 4);  // hidden files stay in dummy mode
    // Each folder is directly followed by its own subfolders.
    const std::string dcim = t.Slot(1)->path;
    if (dcim == "M:\\DCIM") {
        EXPECT_EQ(t.Slot(2)->path.substr(0, 8), "M:\\DCIM\\");
        EXPECT_EQ(t.Slot(3)->path.substr(0, 8), "M:\\DCIM\\");
        EXPECT_EQ(t.Slot(4)->path, "M:\\EMPTY");
    } else {
        EXPECT_EQ(dcim, "M:\\EMPTY");
        EXPECT_EQ(t.Slot(2)->path, "M:\\DCIM");
    }
    EXPECT_NE(t.FindCardEntry("\\DCIM\\101\\MYPHOT~1.JPG"), nullptr);
    EXPECT_NE(t.FindCardEntry("\\DCIM\\100\\P1.JPG"), nullptr);
    EXPECT_EQ(t.FindFolder("\\dcim\\101")->level, 2);
}

TEST(DummyCard, MissingFolderGivesAnEmptyTable)
{
    TempDir dir;
    CardSession session;
    session.programPath = dir.path() + "/";
    CardLister lister(session);
    EXPECT_FALSE(lister.LoadDummyCard());
    EXPECT_EQ(session.folders.CardFolderCount, 0);
}
