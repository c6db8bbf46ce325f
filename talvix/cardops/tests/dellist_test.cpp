#include "TestSupport.h"
#include "talvix/cardops/CardEditor.h"

#include <gtest/gtest.h>

using namespace talvix;
using namespace cardtest;

namespace {

// M: { D { F1, E { F2 }, F3 }, X.TXT }
class DelList : public ::testing::Test {
protected:
    void SetUp() override
    {
        CardFolders& t = session.folders;
        CardFolder* root = t.Create(0, 0, "M:");
        root->Add(Entry("D", true));
        root->Add(Entry("X.TXT"));
        CardFolder* d = t.Create(1, 1, "M:\\D");
        d->Add(Entry("F1"));
        d->Add(Entry("E", true));
        d->Add(Entry("F3"));
        d->node = &nodeD;
        t.Create(2, 2, "M:\\D\\E")->Add(Entry("F2"));
        t.Slot(2)->node = &nodeE;
        t.CardFolderCount = 3;
        session.readOnlyAsker = &ro;
    }

    std::vector<std::string> Paths() const
    {
        std::vector<std::string> out;
        for (const auto& e : editor.DelList)
            out.push_back(e.path + (e.isFile ? "" : "/"));
        return out;
    }

    int nodeD = 0, nodeE = 0, itemD = 0, itemX = 0;
    CardSession session;
    CardEditor editor{session};
    ScriptedReadOnly ro;
};

}  // namespace

TEST_F(DelList, TreeDeleteIsPreOrderWithNodesAndRecords)
{
    ASSERT_TRUE(editor.BuildDelListFromTree("\\D", &nodeD, nullptr));
    EXPECT_EQ(Paths(), (std::vector<std::string>{"\\D/", "\\D\\F1", "\\D\\F3", "\\D\\E/", "\\D\\E\\F2"}));
    EXPECT_EQ(editor.DelList[0].node, &nodeD);
    EXPECT_EQ(editor.DelList[0].folder, session.folders.Slot(0));
    EXPECT_EQ(editor.DelList[0].index, 0);
    EXPECT_EQ(editor.DelList[2].index, 2);
    EXPECT_EQ(editor.DelList[3].node, &nodeE);
    EXPECT_EQ(editor.DelList[4].folder, session.folders.Slot(2));
}

TEST_F(DelList, ListDeleteTakesFilesAndFoldersWithTheirItems)
{
    CardFolder* root = session.folders.Slot(0);
    ASSERT_TRUE(editor.BuildDelListFromList({{&itemX, root->entries[1].get()}, {&itemD, root->entries[0].get()}}, ""));
    EXPECT_EQ(Paths(), (std::vector<std::string>{"\\X.TXT", "\\D/", "\\D\\F1", "\\D\\F3", "\\D\\E/", "\\D\\E\\F2"}));
    EXPECT_EQ(editor.DelList[0].item, &itemX);
    EXPECT_EQ(editor.DelList[0].index, 1);
    EXPECT_EQ(editor.DelList[1].item, &itemD);
    EXPECT_EQ(editor.DelList[1].node, &nodeD);
}

TEST_F(DelList, ReadOnlyQuestions)
{
    CardFolder* root = session.folders.Slot(0);
    root->entries[1]->dwFileAttributes |= platform::FILE_ATTRIBUTE_READONLY;
    session.folders.Slot(2)->entries[0]->dwFileAttributes |= platform::FILE_ATTRIBUTE_READONLY;

    // List delete: No keeps that item, the others go.
    ro.answers = {ReadOnlyAsker::No, ReadOnlyAsker::Yes};
    ASSERT_TRUE(editor.BuildDelListFromList({{&itemX, root->entries[1].get()}, {&itemD, root->entries[0].get()}}, ""));
    EXPECT_EQ(editor.DelList.size(), 5u);
    EXPECT_EQ(ro.asked, (std::vector<std::string>{"X.TXT", "F2"}));

    // A read-only file inside a folder deleted from the tree, Cancel: nothing.
    editor.ClearDelList();
    ro.answers = {ReadOnlyAsker::Cancel};
    EXPECT_FALSE(editor.BuildDelListFromTree("\\D", &nodeD, nullptr));
    EXPECT_TRUE(editor.DelList.empty());
    EXPECT_EQ(session.CardStatus.load(), ST_OK);
}

TEST_F(DelList, NamesThatCannotBeOneCardPathComponentAreLeftOut)
{
    // A spoilt card: DELETE "M:\\A\\B" would remove B inside folder A, and
    // an empty name would name the folder that holds the entry.
    CardFolder* root = session.folders.Slot(0);
    root->Add(Entry("A\\B"));
    root->Add(Entry(""));
    CardFolder* d = session.folders.Slot(1);
    d->Add(Entry("S/T"));
    d->Add(Entry("Q\\R", true));
    d->Add(Entry(std::string("N\0L", 3)));
    int items[3];
    ASSERT_TRUE(editor.BuildDelListFromList(
        {{&items[0], root->entries[2].get()}, {&items[1], root->entries[3].get()}, {&items[2], root->entries[1].get()}},
        ""));
    EXPECT_EQ(Paths(), (std::vector<std::string>{"\\X.TXT"}));
    EXPECT_EQ(editor.Skipped, (std::vector<std::string>{"\\A\\B", "\\"}));

    editor.ClearDelList();
    EXPECT_TRUE(editor.Skipped.empty());
    ASSERT_TRUE(editor.BuildDelListFromTree("\\D", &nodeD, nullptr));
    EXPECT_EQ(Paths(), (std::vector<std::string>{"\\D/", "\\D\\F1", "\\D\\F3", "\\D\\E/", "\\D\\E\\F2"}));
    EXPECT_EQ(editor.Skipped.size(), 3u);
}

TEST_F(DelList, MoreThanTheListHoldsIsRefused)
{
    CardFolder* e = session.folders.Slot(2);
    for (int i = 0; i < 300; ++i)
        e->Add(Entry("G" + std::to_string(i)));
    EXPECT_FALSE(editor.BuildDelListFromTree("\\D", &nodeD, nullptr));
    EXPECT_EQ(session.CardStatus.load(), ST_TOOMANY);
    EXPECT_TRUE(editor.DelList.empty());
}
