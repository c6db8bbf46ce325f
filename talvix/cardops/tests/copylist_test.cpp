#include "TestSupport.h"
#include "platform/FileTime.h"
#include "talvix/cardops/CardCopier.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <ctime>

using namespace talvix;
using namespace cardtest;
using platform::FindData;

namespace {

// M: { DCIM { 100 { SUB { S.JPG }, P1.JPG(10), P2.JPG(20) } }, A.TXT(5) }
class CopyList : public ::testing::Test {
protected:
    void SetUp() override
    {
        CardFolders& t = session.folders;
        CardFolder* root = t.Create(0, 0, "M:");
        root->Add(Entry("DCIM", true));
        root->Add(Entry("A.TXT", false, 5));
        t.Create(1, 1, "M:\\DCIM")->Add(Entry("100", true));
        CardFolder* hundred = t.Create(2, 2, "M:\\DCIM\\100");
        hundred->Add(Entry("P1.JPG", false, 10));
        hundred->Add(Entry("SUB", true));
        hundred->Add(Entry("P2.JPG", false, 20));
        t.Create(3, 3, "M:\\DCIM\\100\\SUB")->Add(Entry("S.JPG", false, 1));
        t.CardFolderCount = 4;
        session.overwriteAsker = &asker;
        copier.CopyDest = dir.path() + "/";
    }

    std::vector<std::string> Paths() const
    {
        std::vector<std::string> out;
        for (const CopyItem& i : copier.CopyList)
            out.push_back(i.path + "@" + std::to_string(i.depth));
        return out;
    }

    TempDir dir;
    CardSession session;
    CardCopier copier{session};
    ScriptedAsker asker;
};

}  // namespace

TEST_F(CopyList, TreeFolderExpandsFoldersBeforeTheirContents)
{
    ASSERT_TRUE(copier.BuildCopyList({}, "\\DCIM\\100"));
    EXPECT_EQ(Paths(), (std::vector<std::string>{"\\DCIM\\100@0", "\\DCIM\\100\\SUB@1", "\\DCIM\\100\\SUB\\S.JPG@2",
                                                 "\\DCIM\\100\\P1.JPG@1", "\\DCIM\\100\\P2.JPG@1"}));
    EXPECT_EQ(copier.CopyTotal, 31u);
    EXPECT_TRUE(asker.asked.empty());
    EXPECT_EQ(copier.DestinationName(copier.CopyList[2]), dir.path() + "/100/SUB/S.JPG");
    EXPECT_EQ(copier.DestinationName(copier.CopyList[0]), dir.path() + "/100");
}

TEST_F(CopyList, TheRootAsTreeFolderCopiesNothing)
{
    EXPECT_FALSE(copier.BuildCopyList({}, ""));
    EXPECT_TRUE(copier.CopyList.empty());
    EXPECT_EQ(session.CardStatus.load(), ST_OK);
}

TEST_F(CopyList, SelectedListItemsLandDirectlyInTheDestination)
{
    CardFolder* root = session.folders.Slot(0);
    ASSERT_TRUE(copier.BuildCopyList({root->entries[1].get(), root->entries[0].get()}, ""));
    ASSERT_GE(copier.CopyList.size(), 2u);
    EXPECT_EQ(copier.CopyList[0].path, "\\A.TXT");
    EXPECT_EQ(copier.DestinationName(copier.CopyList[0]), dir.path() + "/A.TXT");
    EXPECT_EQ(copier.CopyList[1].path, "\\DCIM");
    EXPECT_EQ(copier.DestinationName(copier.CopyList.back()), dir.path() + "/DCIM/100/P2.JPG");
    EXPECT_EQ(copier.CopyList.size(), 7u);
}

TEST_F(CopyList, OverwriteAnswersDecideWhatIsTaken)
{
    WriteFile(dir / "100/P1.JPG", "old");
    WriteFile(dir / "100/P2.JPG", "old");
    WriteFile(dir / "100/SUB/S.JPG", "old");

    struct Case {
        std::vector<OverwriteAsker::Answer> answers;
        bool result;
        std::vector<std::string> paths;
        size_t questions;
    };
    const Case cases[] = {
        // The folder 100 exists: Yes, then S.JPG No, P1 Yes, P2 No.
        {{OverwriteAsker::Yes, OverwriteAsker::Yes, OverwriteAsker::No, OverwriteAsker::Yes, OverwriteAsker::No},
         true,
         {"\\DCIM\\100@0", "\\DCIM\\100\\SUB@1", "\\DCIM\\100\\P1.JPG@1"},
         5},
        // Yes to all on the first question: nothing more is asked.
        {{OverwriteAsker::YesToAll},
         true,
         {"\\DCIM\\100@0", "\\DCIM\\100\\SUB@1", "\\DCIM\\100\\SUB\\S.JPG@2", "\\DCIM\\100\\P1.JPG@1",
          "\\DCIM\\100\\P2.JPG@1"},
         1},
        // No on the selected folder: nothing below it is looked at.
        {{OverwriteAsker::No}, true, {}, 1},
        // Cancel anywhere ends the whole build with an empty list.
        {{OverwriteAsker::Yes, OverwriteAsker::Cancel}, false, {}, 2},
    };
    for (const Case& c : cases) {
        asker.asked.clear();
        asker.answers.assign(c.answers.begin(), c.answers.end());
        EXPECT_EQ(copier.BuildCopyList({}, "\\DCIM\\100"), c.result);
        EXPECT_EQ(Paths(), c.paths);
        EXPECT_EQ(asker.asked.size(), c.questions);
    }
    // The question shows the PC entry that exists and the card entry.
    asker.asked.clear();
    asker.answers = {OverwriteAsker::Yes, OverwriteAsker::Yes, OverwriteAsker::Yes};
    copier.BuildCopyList({}, "\\DCIM\\100");
    ASSERT_GE(asker.asked.size(), 3u);
    EXPECT_EQ(asker.asked[2].existingName, dir.path() + "/100/SUB/S.JPG");
    EXPECT_EQ(asker.asked[2].existing.nFileSizeLow, 3u);
    EXPECT_EQ(asker.asked[2].replacement.cFileName, "S.JPG");
    EXPECT_FALSE(asker.asked[2].toCard);
}

TEST_F(CopyList, UnsafeCardNamesAreLeftOutAndReported)
{
    CardFolder* hundred = session.folders.Slot(2);
    hundred->Add(Entry("..", false, 7));
    hundred->Add(Entry("A/B", true));
    hundred->Add(Entry(std::string(300, 'X'), false, 1));
    hundred->Add(Entry(std::string("N\0L", 3), false, 1));
    ASSERT_TRUE(copier.BuildCopyList({}, "\\DCIM\\100"));
    EXPECT_EQ(copier.CopyList.size(), 5u);
    EXPECT_EQ(copier.Skipped.size(), 4u);
    EXPECT_EQ(copier.Skipped[0], "\\DCIM\\100\\A/B");
    EXPECT_EQ(copier.CopyTotal, 31u);
    for (const CopyItem& i : copier.CopyList)
        EXPECT_EQ(copier.DestinationName(i).rfind(dir.path() + "/100", 0), 0u);
}

TEST_F(CopyList, MoreThanTheListHoldsIsRefusedWithAStatus)
{
    CardFolder* sub = session.folders.Slot(3);
    for (int i = 0; i < 300; ++i)
        sub->Add(Entry("F" + std::to_string(i), false, 1));
    EXPECT_FALSE(copier.BuildCopyList({}, "\\DCIM\\100"));
    EXPECT_EQ(session.CardStatus.load(), ST_TOOMANY);
    EXPECT_TRUE(copier.CopyList.empty());
}

TEST_F(CopyList, AFolderTheTableHadNoRoomForIsRefusedNotCopiedEmpty)
{
    // The listing stopped at the table's limit: the entry of \DCIM\LATE
    // stands in its parent, but its own contents were never read.
    session.folders.Slot(1)->Add(Entry("LATE", true));
    for (const std::string& tree : {std::string("\\DCIM\\LATE"), std::string("\\DCIM")}) {
        SCOPED_TRACE(tree);
        session.CardStatus = ST_OK;
        EXPECT_FALSE(copier.BuildCopyList({}, tree));
        EXPECT_EQ(session.CardStatus.load(), ST_TOOMANY);
        EXPECT_TRUE(copier.CopyList.empty());
    }
    // A folder whose record is there is copied as before.
    session.CardStatus = ST_OK;
    EXPECT_TRUE(copier.BuildCopyList({}, "\\DCIM\\100"));
    EXPECT_EQ(session.CardStatus.load(), ST_OK);
}

TEST(SavePcFile, ReplacesAReadOnlyFileAndKeepsTheCardTime)
{
    LocalZone zone;
    TempDir dir;
    const std::string dest = dir / "P1.JPG";
    WriteFile(dest, "old contents");
    ASSERT_EQ(chmod(dest.c_str(), 0444), 0);

    // 2024-03-05 10:00:00 on the card's wall clock.
    FindData item = Entry("P1.JPG");
    ASSERT_TRUE(platform::DosDateTimeToFileTime((44 << 9) | (3 << 5) | 5, 10 << 11, item.ftLastWriteTime));
    ASSERT_TRUE(CardCopier::SavePcFile(reinterpret_cast<const uint8_t*>("new"), 3, dest, item));
    EXPECT_EQ(ReadFile(dest), "new");

    struct stat st {};
    ASSERT_EQ(stat(dest.c_str(), &st), 0);
    EXPECT_NE(st.st_mode & S_IWUSR, 0u);  // an ordinary writable file now
    tm local{};
    localtime_r(&st.st_mtime, &local);
    EXPECT_EQ(local.tm_hour, 10);
    EXPECT_EQ(local.tm_min, 0);
    EXPECT_EQ(local.tm_mday, 5);
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(SavePcFile, EmptyFileAndFailureLeavesTheOldFileWhole)
{
    TempDir dir;
    ASSERT_TRUE(CardCopier::SavePcFile(nullptr, 0, dir / "EMPTY", Entry("EMPTY")));
    EXPECT_EQ(std::filesystem::file_size(dir / "EMPTY"), 0u);

    // A folder of that name cannot be replaced by a file.
    std::filesystem::create_directory(dir / "X");
    WriteFile(dir / "X/KEEP", "keep");
    EXPECT_FALSE(CardCopier::SavePcFile(reinterpret_cast<const uint8_t*>("new"), 3, dir / "X", Entry("X")));
    EXPECT_EQ(ReadFile(dir / "X/KEEP"), "keep");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

TEST(CheckCard, StatusBytesGiveBlockSizeOrError)
{
    const struct {
        uint8_t status[4];
        uint32_t result;
        int block;
    } cases[] = {
        {{0, 0x01, 0, 0x41}, ST_OK, 4096},  {{0, 0x02, 0, 0x06}, ST_OK, 128},
        {{0, 0x01, 0, 0x28}, ST_OK, 1024},  {{0, 0x01, 0, 0x80}, ST_OK, 4096},
        {{0, 0x01, 0, 0x02}, ST_OK, 64},    {{0, 0x01, 0, 0x00}, ST_NOBLOCK, 0},
        {{0, 0x04, 0, 0x01}, ST_NOCARD, 0}, {{0, 0x01, 0x01, 0x01}, ST_NOFORMAT, 0},
        {{0, 0x05, 0x02, 0x01}, ST_NOFORMAT, 0}, {{0, 0x05, 0x00, 0x01}, ST_OK, 4096},
    };
    for (const auto& c : cases) {
        int block = 0;
        EXPECT_EQ(CardSession::CheckCard(c.status, block), c.result);
        EXPECT_EQ(block, c.block);
    }
}

TEST(HostileCard, CopyNeverWritesOutsideTheDestination)
{
    // Dummy mode copies from the MMC folder, so the whole copy runs without a device.
    TempDir program;
    WriteFile(program / "MMC/OK.TXT", "fine");
    WriteFile(program / "MMC/SUB/IN.TXT", "in");
    TempDir outside;
    const std::string dest = outside / "dest";
    std::filesystem::create_directories(dest);

    CardSession session;
    session.dummyMode = true;
    session.programPath = program.path() + "/";
    CardFolder* root = session.folders.Create(0, 0, "M:");
    root->Add(Entry("..", false, 4));
    root->Add(Entry("A/B", false, 4));
    root->Add(Entry("..\\..\\X", false, 4));
    root->Add(Entry(std::string(300, 'L'), false, 4));
    root->Add(Entry("OK.TXT", false, 4));
    root->Add(Entry("SUB", true));
    CardFolder* sub = session.folders.Create(1, 1, "M:\\SUB");
    sub->Add(Entry("..", true));
    sub->Add(Entry("IN.TXT", false, 2));
    session.folders.CardFolderCount = 2;

    CardCopier copier(session);
    copier.CopyDest = dest + "/";
    std::vector<const FindData*> all;
    for (const auto& e : root->entries)
        all.push_back(e.get());
    ASSERT_TRUE(copier.BuildCopyList(all, ""));
    EXPECT_EQ(copier.Skipped.size(), 5u);
    copier.StartCopy();
    EXPECT_EQ(session.CardStatus.load(), ST_OK);
    EXPECT_EQ(ReadFile(dest + "/OK.TXT"), "fine");
    EXPECT_EQ(ReadFile(dest + "/SUB/IN.TXT"), "in");
    // Nothing but the destination came into being around it.
    std::vector<std::string> made;
    for (const auto& e : std::filesystem::recursive_directory_iterator(outside.path()))
        made.push_back(e.path().string().substr(outside.path().size()));
    std::sort(made.begin(), made.end());
    EXPECT_EQ(made, (std::vector<std::string>{"/dest", "/dest/OK.TXT", "/dest/SUB", "/dest/SUB/IN.TXT"}));
}
