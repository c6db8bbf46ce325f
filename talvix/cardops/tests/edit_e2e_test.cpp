#include "SimFixture.h"
#include "platform/FileTime.h"
#include "talvix/cardops/CardEditor.h"
#include "talvix/cardops/CardLister.h"

#include <sys/stat.h>

using namespace talvix;
using namespace cardtest;

namespace {

class Edit : public SimCardTest {
protected:
    void List()
    {
        lister.StartListing();
        ASSERT_EQ(session.CardStatus.load(), ST_OK);
        session.readOnlyAsker = &ro;
    }

    // The card paths of the DELETE requests, in order.
    std::vector<std::string> Deleted() const
    {
        std::vector<std::string> out;
        for (const auto& frame : Requests(CMD_DELETE))
            out.emplace_back(frame.begin() + 4, frame.end() - 2);
        return out;
    }

    CardLister lister{session};
    CardEditor editor{session};
    ScriptedReadOnly ro;
};

}  // namespace

TEST_F(Edit, TreeDeleteRemovesFilesFirstThenFoldersDeepestFirst)
{
    WriteFile(card / "D/A.TXT", "a");
    WriteFile(card / "D/B.TXT", "b");
    WriteFile(card / "D/E/C.TXT", "c");
    std::filesystem::create_directories(card / "D/E/F");
    WriteFile(card / "KEEP.TXT", "k");
    StartSim();
    List();
    int nodeD = 0;
    session.folders.FindFolder("\\D")->node = &nodeD;
    sim->ClearLog();

    editor.ClearDelList();
    ASSERT_TRUE(editor.BuildDelListFromTree("\\D", &nodeD, nullptr));
    editor.DeleteAndWait();
    ASSERT_EQ(session.CardStatus.load(), ST_OK);
    EXPECT_EQ(Deleted(), (std::vector<std::string>{"M:\\D\\E\\C.TXT", "M:\\D\\B.TXT", "M:\\D\\A.TXT", "M:\\D\\E\\F",
                                                   "M:\\D\\E", "M:\\D"}));
    EXPECT_FALSE(std::filesystem::exists(card / "D"));
    EXPECT_TRUE(std::filesystem::exists(card / "KEEP.TXT"));
    // The model follows: only KEEP.TXT stays in the root, the folder records are gone.
    ASSERT_EQ(session.folders.Slot(0)->count(), 1);
    EXPECT_EQ(session.folders.Slot(0)->entries[0]->cFileName, "KEEP.TXT");
    EXPECT_EQ(session.folders.CardFolderCount, 1);
    EXPECT_EQ(view.removedNodes.back(), &nodeD);
    EXPECT_EQ(Commands().back(), CMD_END);
}

TEST_F(Edit, ListDeleteStopsAtTheFirstRefusal)
{
    WriteFile(card / "A.TXT", "a");
    WriteFile(card / "B.TXT", "b");
    WriteFile(card / "C.TXT", "c");
    StartSim();
    List();
    // The card refuses to delete B.TXT.
    ASSERT_EQ(chmod((card / "B.TXT").c_str(), 0444), 0);
    CardFolder* root = session.folders.Slot(0);
    // Read-only on the card only after the listing: no question is asked for it.
    int items[3];
    std::vector<CardEditor::ListSelection> selected;
    for (int i = 0; i < 3; ++i)
        selected.push_back({&items[i], root->entries[static_cast<size_t>(i)].get()});
    editor.ClearDelList();
    ASSERT_TRUE(editor.BuildDelListFromList(selected, ""));
    editor.DeleteAndWait();
    EXPECT_EQ(session.CardStatus.load(), 0x4101u);
    EXPECT_EQ(Deleted(), (std::vector<std::string>{"M:\\C.TXT", "M:\\B.TXT"}));
    EXPECT_FALSE(std::filesystem::exists(card / "C.TXT"));
    EXPECT_TRUE(std::filesystem::exists(card / "A.TXT"));
    ASSERT_EQ(root->count(), 2);
    EXPECT_EQ(root->entries[0]->cFileName, "A.TXT");
    EXPECT_EQ(root->entries[1]->cFileName, "B.TXT");
    EXPECT_EQ(view.removedItems, (std::vector<void*>{&items[2]}));
}

TEST_F(Edit, MakeFolderWithItsTimeStamp)
{
    LocalZone zone;
    StartSim();
    List();
    // 2023-07-01 12:34:56 local, as the main window hands it over.
    const uint16_t date = (43 << 9) | (7 << 5) | 1, time = (12 << 11) | (34 << 5) | 28;
    const uint16_t times[6] = {date, time, date, time, date, time};
    editor.StartMakeDir("\\NEW", times);
    ASSERT_EQ(session.CardStatus.load(), ST_OK);
    ASSERT_TRUE(std::filesystem::is_directory(card / "NEW"));
    platform::FileTime local, utc;
    ASSERT_TRUE(platform::DosDateTimeToFileTime(date, time, local));
    ASSERT_TRUE(platform::LocalFileTimeToFileTime(local, utc));
    struct stat st {};
    ASSERT_EQ(stat((card / "NEW").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, platform::FileTimeToTimeT(utc));
    const std::vector<int> c = Commands();
    ASSERT_GE(c.size(), 3u);
    EXPECT_EQ(c[c.size() - 3], CMD_MAKE_DIR);
    EXPECT_EQ(c[c.size() - 2], CMD_SET_DATE_TIME);

    // A folder that is there already: the device refuses, no time stamp follows.
    sim->ClearLog();
    editor.StartMakeDir("\\NEW", times);
    EXPECT_EQ(session.CardStatus.load(), 0x3901u);
    EXPECT_EQ(Count(Commands(), CMD_SET_DATE_TIME), 0);
}

TEST_F(Edit, RenameAndStopBeforeTheWork)
{
    WriteFile(card / "OLD.TXT", "x");
    StartSim();
    List();
    editor.StartRename("\\OLD.TXT", "\\NEW.TXT");
    ASSERT_EQ(session.CardStatus.load(), ST_OK);
    EXPECT_EQ(ReadFile(card / "NEW.TXT"), "x");
    EXPECT_EQ(editor.RenameFrom, "M:\\OLD.TXT");

    editor.StartRename("\\MISSING.TXT", "\\OTHER.TXT");
    EXPECT_EQ(session.CardStatus.load(), 0x5601u);

    // Stop pressed in the wait dialog before the thread got going.
    sim->ClearLog();
    session.flags.waitAbort = true;
    editor.StartRename("\\NEW.TXT", "\\LAST.TXT");
    EXPECT_EQ(session.CardStatus.load(), ST_ABORT);
    EXPECT_EQ(Count(Commands(), CMD_RENAME), 0);
    EXPECT_TRUE(std::filesystem::exists(card / "NEW.TXT"));
}

TEST(EditDummy, DummyModeSendsNothingAndUpdatesTheModel)
{
    CardSession session;
    session.dummyMode = true;
    CardFolder* root = session.folders.Create(0, 0, "M:");
    root->Add(Entry("A.TXT"));
    session.folders.CardFolderCount = 1;
    RecordingView view;
    session.viewSink = &view;
    CardEditor editor(session);
    const uint16_t times[6] = {};
    editor.StartMakeDir("\\X", times);
    EXPECT_EQ(session.CardStatus.load(), ST_OK);
    int item = 0;
    editor.ClearDelList();
    ASSERT_TRUE(editor.BuildDelListFromList({{&item, root->entries[0].get()}}, ""));
    editor.DeleteAndWait();
    EXPECT_EQ(session.CardStatus.load(), ST_OK);
    EXPECT_EQ(root->count(), 0);
    EXPECT_EQ(view.removedItems, (std::vector<void*>{&item}));
}

namespace {

// Counts the changes made through Apply and checks the item calls come inside one.
class ApplyCounting : public RecordingView {
public:
    int applied = 0;
    bool inside = false;
    int outside = 0;
    void Apply(const std::function<void()>& change) override
    {
        ++applied;
        inside = true;
        change();
        inside = false;
    }
    void RemoveListItem(talvix::ListItem item) override
    {
        outside += inside ? 0 : 1;
        RecordingView::RemoveListItem(item);
    }
    talvix::TreeNode AddFolderNode(talvix::CardFolder& parent, talvix::CardFolder& record) override
    {
        outside += inside ? 0 : 1;
        return RecordingView::AddFolderNode(parent, record);
    }
};

}  // namespace

TEST(EditDummy, ModelChangesGoThroughApply)
{
    CardSession session;
    session.dummyMode = true;
    CardFolder* root = session.folders.Create(0, 0, "M:");
    root->Add(Entry("A.TXT"));
    root->Add(Entry("B.TXT"));
    session.folders.CardFolderCount = 1;
    ApplyCounting view;
    session.viewSink = &view;
    CardEditor editor(session);
    int items[2];
    editor.ClearDelList();
    ASSERT_TRUE(editor.BuildDelListFromList({{&items[0], root->entries[0].get()}, {&items[1], root->entries[1].get()}}, ""));
    editor.DeleteAndWait();
    EXPECT_EQ(view.applied, 2);
    EXPECT_EQ(view.outside, 0);
    EXPECT_EQ(root->count(), 0);
}

TEST(EditDummy, FoldersNamedAlikeButForCaseAreDeletedSafely)
{
    // A dummy card comes from a PC folder, where "A" and "a" are two folders;
    // the folder table finds both under the first one's record.
    TempDir program;
    WriteFile(program / "MMC/A/S/X.TXT", "x");
    WriteFile(program / "MMC/a/T/Y.TXT", "y");
    WriteFile(program / "MMC/KEEP.TXT", "k");
    CardSession session;
    session.dummyMode = true;
    session.programPath = program.path() + "/";
    CardLister lister(session);
    ASSERT_TRUE(lister.LoadDummyCard());
    RecordingView view;
    session.viewSink = &view;
    CardFolder* root = session.folders.Slot(0);
    ASSERT_EQ(root->count(), 3);

    std::vector<CardEditor::ListSelection> selected;
    int items[3];
    for (size_t i = 0; i < root->entries.size(); ++i)
        if (root->entries[i]->IsDirectory())
            selected.push_back({&items[i], root->entries[i].get()});
    ASSERT_EQ(selected.size(), 2u);
    CardEditor editor(session);
    editor.ClearDelList();
    ASSERT_TRUE(editor.BuildDelListFromList(selected, ""));
    editor.DeleteAndWait();
    EXPECT_EQ(session.CardStatus.load(), ST_OK);
    ASSERT_EQ(root->count(), 1);
    EXPECT_EQ(root->entries[0]->cFileName, "KEEP.TXT");
    EXPECT_EQ(view.removedItems.size(), 2u);
}
