#include "SimFixture.h"
#include "talvix/cardops/CardLister.h"

#include <atomic>
#include <chrono>
#include <thread>

using namespace talvix;
using namespace cardtest;

namespace {

class Listing : public SimCardTest {
protected:
    std::vector<std::string> Paths() const
    {
        std::vector<std::string> out;
        for (int i = 0; i < session.folders.CardFolderCount; ++i)
            out.push_back(session.folders.Slot(i)->path);
        return out;
    }
    CardLister lister{session};
};

}  // namespace

TEST_F(Listing, PreOrderWithoutHiddenSystemOrLabelEntries)
{
    WriteFile(card / "DCIM/100/P1.JPG", "12345");
    WriteFile(card / "DCIM/100/.secret", "s");
    std::filesystem::create_directories(card / "DCIM/101/X");
    WriteFile(card / "MISC/A.TXT", "a");
    WriteFile(card / "IO.SYS", "sys");
    WriteFile(card / ".hidden", "h");
    StartSim();

    lister.StartListing();
    ASSERT_EQ(session.CardStatus.load(), ST_OK);
    EXPECT_TRUE(session.ThreadDone().load());
    EXPECT_EQ(Paths(), (std::vector<std::string>{"M:", "M:\\DCIM", "M:\\DCIM\\100", "M:\\DCIM\\101",
                                                 "M:\\DCIM\\101\\X", "M:\\MISC"}));
    const CardFolder* root = session.folders.Slot(0);
    ASSERT_EQ(root->count(), 2);
    EXPECT_EQ(root->entries[0]->cFileName, "DCIM");
    EXPECT_EQ(root->entries[1]->cFileName, "MISC");
    EXPECT_EQ(session.folders.Slot(2)->count(), 1);  // "." "..", the hidden file left out
    EXPECT_EQ(session.folders.Slot(4)->count(), 0);
    EXPECT_EQ(session.folders.Slot(4)->level, 3);
    const platform::FindData* p1 = session.folders.FindCardEntry("\\DCIM\\100\\P1.JPG");
    ASSERT_NE(p1, nullptr);
    EXPECT_EQ(p1->nFileSizeLow, 5u);
    EXPECT_EQ(session.volumeLabel, "SIMCARD");
    // The device was taken back out of file-transfer mode.
    EXPECT_EQ(Commands().back(), CMD_END);
    EXPECT_EQ(Count(Commands(), CMD_FIND_FIRST), Count(Commands(), CMD_FIND_CLOSE));
}

TEST_F(Listing, EmptyCardListsNothingWithoutError)
{
    for (const std::string label : {",label=SIMCARD", ",label="}) {
        SCOPED_TRACE(label);
        StartSim(label);
        lister.StartListing();
        EXPECT_EQ(session.CardStatus.load(), ST_OK);
        EXPECT_EQ(session.folders.CardFolderCount, 0);
        ASSERT_NE(session.folders.Slot(0), nullptr);
        EXPECT_EQ(session.folders.Slot(0)->count(), 0);
        sim.reset();
        selk.Close();
    }
}

TEST_F(Listing, AtMost255FoldersAreRecorded)
{
    for (int i = 0; i < 300; ++i)
        std::filesystem::create_directories(card / ("D" + std::to_string(1000 + i)));
    StartSim();
    lister.StartListing();
    EXPECT_EQ(session.CardStatus.load(), ST_OK);
    EXPECT_EQ(session.folders.CardFolderCount, CardFolders::kListingSlots);
    EXPECT_EQ(session.folders.Slot(0)->count(), 300);  // the root still lists them all
    EXPECT_EQ(session.folders.Slot(254)->path, "M:\\D1253");
    EXPECT_EQ(session.folders.Slot(255), nullptr);
}

TEST_F(Listing, AbortDuringTheWalkClosesTheSearchAndLeaves)
{
    for (int i = 0; i < 5; ++i)
        WriteFile(card / ("D" + std::to_string(i) + "/F.TXT"), "f");
    // The fourth FIND NEXT answers late, which leaves time to press Abort.
    StartSim("", {"--fault", "delay,proto=xfer,cmd=0x4F,nth=4,count=1,arg=1500"});
    std::thread pressAbort([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        session.flags.listingAbort = true;
    });
    lister.StartListing();
    pressAbort.join();
    EXPECT_EQ(session.CardStatus.load(), ST_ABORT);
    const std::vector<int> commands = Commands();
    EXPECT_EQ(Count(commands, CMD_FIND_FIRST), Count(commands, CMD_FIND_CLOSE));
    EXPECT_EQ(commands.back(), CMD_END);
}

TEST_F(Listing, CardStatesAreJudgedBeforeAnyListing)
{
    const struct {
        const char* status;
        uint32_t result;
    } cases[] = {
        {",status=00000001", ST_NOCARD},
        {",status=00010101", ST_NOFORMAT},
        {",status=00010000", ST_NOBLOCK},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        StartSim(c.status);
        lister.StartListing();
        EXPECT_EQ(session.CardStatus.load(), c.result);
        EXPECT_EQ(Count(Commands(), CMD_FIND_FIRST), 0);
        EXPECT_EQ(Commands().back(), CMD_END);
        sim.reset();
        selk.Close();
    }
}

TEST_F(Listing, AFolderRecordHoldsAtMost1024Entries)
{
    for (int i = 0; i < 1030; ++i)
        WriteFile(card / ("BIG/F" + std::to_string(1000 + i)), "");
    StartSim();
    lister.StartListing();
    EXPECT_EQ(session.CardStatus.load(), ST_OK);
    const CardFolder* big = session.folders.FindFolder("\\BIG");
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->count(), CardFolder::kMaxEntries);
    EXPECT_EQ(big->entries.back()->cFileName, "F2023");
    EXPECT_EQ(Count(Commands(), CMD_FIND_FIRST), Count(Commands(), CMD_FIND_CLOSE));
}
