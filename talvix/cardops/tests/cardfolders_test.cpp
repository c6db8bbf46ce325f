#include "talvix/cardops/CardFolders.h"

#include <gtest/gtest.h>

using namespace talvix;
using platform::FindData;

namespace {

FindData Entry(const std::string& name, bool folder = false, uint32_t size = 0)
{
    FindData fd;
    fd.cFileName = name;
    fd.dwFileAttributes = folder ? platform::FILE_ATTRIBUTE_DIRECTORY : platform::FILE_ATTRIBUTE_ARCHIVE;
    fd.nFileSizeLow = size;
    return fd;
}

// M: { DCIM { 100 { P1.JPG } }, A.TXT }
void Fill(CardFolders& t)
{
    t.Clear();
    CardFolder* root = t.Create(0, 0, "M:");
    root->Add(Entry("DCIM", true));
    root->Add(Entry("A.TXT"));
    CardFolder* dcim = t.Create(1, 1, "M:\\DCIM");
    dcim->Add(Entry("100", true));
    CardFolder* hundred = t.Create(2, 2, "M:\\DCIM\\100");
    hundred->Add(Entry("P1.JPG", false, 10));
    t.CardFolderCount = 3;
}

}  // namespace

TEST(CardFolders, FindFolderIgnoresCaseAndUsesTheLevel)
{
    CardFolders t;
    Fill(t);
    EXPECT_EQ(t.FindFolder(""), t.Slot(0));
    EXPECT_EQ(t.FindFolder("\\dcim"), t.Slot(1));
    EXPECT_EQ(t.FindFolder("\\DCIM\\100"), t.Slot(2));
    EXPECT_EQ(t.FindFolder("\\100"), nullptr);
    // A record appended by a write keeps a relative path; it is found alike.
    CardFolder* x = t.Append(2, "\\DCIM\\X");
    EXPECT_EQ(t.FindFolder("\\DCIM\\x"), x);
    // Records beyond the count do not exist for the lookups.
    t.CardFolderCount = 1;
    EXPECT_EQ(t.FindFolder("\\DCIM"), nullptr);
}

TEST(CardFolders, FindCardEntryIsExactAndCaseSensitive)
{
    CardFolders t;
    Fill(t);
    EXPECT_EQ(t.FindCardEntry("\\DCIM\\100\\P1.JPG"), t.Slot(2)->entries[0].get());
    EXPECT_EQ(t.FindCardEntry("\\A.TXT"), t.Slot(0)->entries[1].get());
    EXPECT_EQ(t.FindCardEntry("\\dcim\\100\\p1.jpg"), nullptr);
    EXPECT_EQ(t.FindCardEntry("\\DCIM\\100\\P2.JPG"), nullptr);
    t.Clear();
    EXPECT_EQ(t.FindCardEntry("\\A.TXT"), nullptr);
}

TEST(CardFolders, IndexAndRemoveKeepTheOrder)
{
    CardFolders t;
    Fill(t);
    CardFolder* root = t.Slot(0);
    root->Add(Entry("B.TXT"));
    root->Add(Entry("C.TXT"));
    EXPECT_EQ(CardFolders::IndexInFolder(root, "\\b.txt"), 2);
    EXPECT_EQ(CardFolders::IndexInFolder(root, "\\NONE"), -1);
    EXPECT_EQ(CardFolders::IndexInFolder(nullptr, "\\B.TXT"), 0);

    EXPECT_TRUE(CardFolders::RemoveEntry(root, "a.txt"));
    ASSERT_EQ(root->count(), 3);
    EXPECT_EQ(root->entries[0]->cFileName, "DCIM");
    EXPECT_EQ(root->entries[1]->cFileName, "B.TXT");
    EXPECT_EQ(root->entries[2]->cFileName, "C.TXT");
    EXPECT_FALSE(CardFolders::RemoveEntry(root, "A.TXT"));
    EXPECT_EQ(root->count(), 3);
}

TEST(CardFolders, LimitsAreNeverPassed)
{
    CardFolders t;
    for (int i = 0; i < CardFolders::kSlots; ++i)
        ASSERT_NE(t.Append(1, "M:\\F" + std::to_string(i)), nullptr);
    EXPECT_EQ(t.Append(1, "M:\\ONEMORE"), nullptr);
    EXPECT_EQ(t.CardFolderCount, CardFolders::kSlots);
    EXPECT_EQ(t.Create(256, 0, "M:"), nullptr);
    EXPECT_EQ(t.Slot(-1), nullptr);

    CardFolder f;
    for (size_t i = 0; i < CardFolder::kMaxEntries; ++i)
        ASSERT_TRUE(f.Add(Entry("E" + std::to_string(i))));
    EXPECT_FALSE(f.Add(Entry("LAST")));
    EXPECT_EQ(f.count(), CardFolder::kMaxEntries);
}

TEST(CardFolders, EmptyCardGetsItsRootCountedForAWrite)
{
    CardFolders t;
    t.Create(0, 0, "M:");  // what the listing of an empty card leaves
    EXPECT_EQ(t.FindFolder(""), nullptr);
    CardFolder* root = t.EnsureRoot();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root, t.Slot(0));
    EXPECT_EQ(t.CardFolderCount, 1);
    EXPECT_EQ(t.FindFolder(""), root);
    t.Clear();
    EXPECT_NE(t.EnsureRoot(), nullptr);
}

TEST(CardFolders, ChildrenInByteOrderWithoutDuplicates)
{
    CardFolders t;
    Fill(t);
    CardFolder* root = t.Slot(0);
    root->Add(Entry("b", true));
    root->Add(Entry("B", true));
    root->Add(Entry("DCIM", true));
    const auto kids = t.Children(*root);
    ASSERT_EQ(kids.size(), 3u);
    EXPECT_EQ(kids[0].name, "B");
    EXPECT_EQ(kids[1].name, "DCIM");
    EXPECT_EQ(kids[1].record, t.Slot(1));
    EXPECT_EQ(kids[2].name, "b");
    EXPECT_EQ(kids[0].record, nullptr);
}

TEST(CardFolders, RemoveFolderCompactsTheTable)
{
    CardFolders t;
    Fill(t);
    CardFolder* hundred = t.Slot(2);
    CardFolder* dcim = t.Slot(1);
    EXPECT_TRUE(t.RemoveFolder(dcim));
    EXPECT_EQ(t.CardFolderCount, 2);
    EXPECT_EQ(t.Slot(1), hundred);  // same object, one slot down
    EXPECT_EQ(hundred->index, 1);
    EXPECT_EQ(t.FindFolder("\\DCIM"), nullptr);
    EXPECT_EQ(t.FindFolder("\\DCIM\\100"), hundred);
    EXPECT_FALSE(t.RemoveFolder(nullptr));
    // The record taken out stays readable for whoever still points at it
    // (a delete list, a tree node) until the table is cleared.
    EXPECT_EQ(dcim->path, "M:\\DCIM");
    EXPECT_EQ(dcim->count(), 1);
    EXPECT_FALSE(t.RemoveFolder(dcim));
}

TEST(CardFolders, RenameUpdatesTheEntryAndEveryPathBelow)
{
    CardFolders t;
    Fill(t);
    t.Append(3, "M:\\DCIM\\100\\X");
    t.ApplyRename("\\DCIM\\", "100", "200");
    EXPECT_EQ(t.Slot(1)->entries[0]->cFileName, "200");
    EXPECT_EQ(t.Slot(2)->path, "M:\\DCIM\\200");
    EXPECT_EQ(t.Slot(3)->path, "M:\\DCIM\\200\\X");
    EXPECT_EQ(t.FindFolder("\\DCIM\\200\\X"), t.Slot(3));

    // A file in the root; the root's parent text is "\".
    t.ApplyRename("\\", "A.TXT", "B.TXT");
    EXPECT_EQ(t.Slot(0)->entries[1]->cFileName, "B.TXT");
    // A folder whose name only starts like the renamed one is left alone.
    t.Append(1, "M:\\DCIMX");
    t.ApplyRename("\\", "DCIM", "PICS");
    EXPECT_EQ(t.Slot(1)->path, "M:\\PICS");
    EXPECT_EQ(t.Slot(3)->path, "M:\\PICS\\200\\X");
    EXPECT_EQ(t.Slot(4)->path, "M:\\DCIMX");
}

TEST(CardFolders, AddFolderWithinTheLimits)
{
    CardFolders t;
    Fill(t);
    const platform::FileTime when{133000000000000000ull};
    const auto made = t.AddFolder(*t.Slot(1), "NEW", when);
    ASSERT_NE(made.record, nullptr);
    EXPECT_EQ(made.entry, t.Slot(1)->entries.back().get());
    EXPECT_TRUE(made.entry->IsDirectory());
    EXPECT_EQ(made.entry->ftLastWriteTime, when);
    EXPECT_EQ(made.record->level, 2);
    EXPECT_EQ(made.record->index, 3);
    EXPECT_EQ(t.FindFolder("\\DCIM\\NEW"), made.record);

    for (int i = t.CardFolderCount; i < CardFolders::kSlots; ++i)
        t.Append(1, "M:\\F" + std::to_string(i));
    const uint16_t before = t.Slot(0)->count();
    EXPECT_EQ(t.AddFolder(*t.Slot(0), "FULL", when).record, nullptr);
    EXPECT_EQ(t.Slot(0)->count(), before);
}
