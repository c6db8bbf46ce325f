#include "SimFixture.h"
#include "platform/FileTime.h"
#include "talvix/cardops/CardCopier.h"
#include "talvix/cardops/CardLister.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>

using namespace talvix;
using namespace cardtest;

namespace {

// Sets the cancel flag when a given file's progress message arrives.
class CancelAt : public CopyProgressSink {
public:
    CancelAt(std::atomic<bool>& flag, std::string path) : flag_(flag), path_(std::move(path)) {}
    std::vector<std::pair<std::string, int>> seen;
    void CopyProgress(const std::string& cardPath, int percent) override
    {
        seen.emplace_back(cardPath, percent);
        if (cardPath == path_)
            flag_ = true;
    }

private:
    std::atomic<bool>& flag_;
    std::string path_;
};

// A local wall-clock time as time_t.
time_t Local(int year, int month, int day, int hour, int minute)
{
    tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_isdst = -1;
    return mktime(&t);
}

void SetMtime(const std::string& path, time_t when)
{
    timespec times[2] = {{when, 0}, {when, 0}};
    utimensat(AT_FDCWD, path.c_str(), times, 0);
}

class Copy : public SimCardTest {
protected:
    void List()
    {
        lister.StartListing();
        ASSERT_EQ(session.CardStatus.load(), ST_OK);
        copier.CopyDest = dest.path() + "/";
        session.overwriteAsker = &asker;
    }

    TempDir dest;
    CardLister lister{session};
    CardCopier copier{session};
    ScriptedAsker asker;
};

}  // namespace

TEST_F(Copy, FolderWithEverythingBelowItKeepingCardTimes)
{
    LocalZone zone;
    WriteFile(card / "DCIM/100/P1.JPG", "photo one");
    WriteFile(card / "DCIM/100/SUB/S.JPG", "s");
    WriteFile(card / "DCIM/100/EMPTY.TXT", "");
    SetMtime(card / "DCIM/100/P1.JPG", Local(2024, 3, 5, 10, 0));
    StartSim();
    List();

    ASSERT_TRUE(copier.BuildCopyList({}, "\\DCIM\\100"));
    copier.StartCopy();
    ASSERT_EQ(session.CardStatus.load(), ST_OK);
    EXPECT_EQ(ReadFile(dest / "100/P1.JPG"), "photo one");
    EXPECT_EQ(ReadFile(dest / "100/SUB/S.JPG"), "s");
    ASSERT_TRUE(std::filesystem::exists(dest / "100/EMPTY.TXT"));
    EXPECT_EQ(std::filesystem::file_size(dest / "100/EMPTY.TXT"), 0u);
    // 10:00 on the card is 10:00 local time on the PC.
    struct stat st {};
    ASSERT_EQ(stat((dest / "100/P1.JPG").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, Local(2024, 3, 5, 10, 0));
    // Three files, but the empty one needed no READ.
    EXPECT_EQ(Count(Commands(), CMD_READ), 2);
    EXPECT_EQ(Count(Commands(), CMD_OPEN), 3);
    EXPECT_EQ(Count(Commands(), CMD_OPEN), Count(Commands(), CMD_CLOSE));
}

TEST_F(Copy, OverwriteAnswersDecideWhatIsReplaced)
{
    WriteFile(card / "D/A.TXT", "new a");
    WriteFile(card / "D/B.TXT", "new b");
    WriteFile(card / "D/SUB/C.TXT", "new c");
    StartSim();
    List();

    struct Case {
        std::vector<OverwriteAsker::Answer> answers;
        std::string a, b, c;
    };
    // Questions in list order: D, D\SUB, D\SUB\C.TXT, D\A.TXT, D\B.TXT.
    const Case cases[] = {
        {{OverwriteAsker::Yes, OverwriteAsker::Yes, OverwriteAsker::Yes, OverwriteAsker::No, OverwriteAsker::Yes},
         "old a", "new b", "new c"},
        {{OverwriteAsker::Yes, OverwriteAsker::No, OverwriteAsker::Yes, OverwriteAsker::No}, "new a", "old b",
         "old c"},
        {{OverwriteAsker::YesToAll}, "new a", "new b", "new c"},
    };
    for (const Case& c : cases) {
        WriteFile(dest / "D/A.TXT", "old a");
        WriteFile(dest / "D/B.TXT", "old b");
        WriteFile(dest / "D/SUB/C.TXT", "old c");
        asker.answers.assign(c.answers.begin(), c.answers.end());
        ASSERT_TRUE(copier.BuildCopyList({}, "\\D"));
        copier.StartCopy();
        EXPECT_EQ(session.CardStatus.load(), ST_OK);
        EXPECT_EQ(ReadFile(dest / "D/A.TXT"), c.a);
        EXPECT_EQ(ReadFile(dest / "D/B.TXT"), c.b);
        EXPECT_EQ(ReadFile(dest / "D/SUB/C.TXT"), c.c);
    }
}

TEST_F(Copy, ReadOnlyPcFileIsReplaced)
{
    WriteFile(card / "R.TXT", "fresh");
    StartSim();
    List();
    WriteFile(dest / "R.TXT", "stale");
    ASSERT_EQ(chmod((dest / "R.TXT").c_str(), 0444), 0);
    asker.answers = {OverwriteAsker::Yes};
    ASSERT_TRUE(copier.BuildCopyList({session.folders.FindCardEntry("\\R.TXT")}, ""));
    copier.StartCopy();
    EXPECT_EQ(session.CardStatus.load(), ST_OK);
    EXPECT_EQ(ReadFile(dest / "R.TXT"), "fresh");
    EXPECT_EQ(access((dest / "R.TXT").c_str(), W_OK), 0);
}

TEST_F(Copy, CancelLeavesTheOldPcFileWhole)
{
    WriteFile(card / "A.TXT", "first");
    WriteFile(card / "BIG.BIN", std::string(3000, 'x'));
    StartSim();
    List();
    WriteFile(dest / "BIG.BIN", "old big");
    CancelAt cancel(session.flags.copyCancel, "\\BIG.BIN");
    session.progressSink = &cancel;
    asker.answers = {OverwriteAsker::Yes};
    const CardFolder* root = session.folders.Slot(0);
    ASSERT_TRUE(copier.BuildCopyList({root->entries[0].get(), root->entries[1].get()}, ""));
    copier.StartCopy();
    EXPECT_EQ(session.CardStatus.load(), ST_ABORT);
    EXPECT_EQ(ReadFile(dest / "A.TXT"), "first");
    EXPECT_EQ(ReadFile(dest / "BIG.BIN"), "old big");
    EXPECT_EQ(Count(Commands(), CMD_OPEN), Count(Commands(), CMD_CLOSE));
    EXPECT_EQ(Commands().back(), CMD_END);
    ASSERT_FALSE(cancel.seen.empty());
    EXPECT_EQ(cancel.seen.back().first, "\\BIG.BIN");
}

TEST_F(Copy, CancelBetweenTwoBlocksOfAFileWritesNothingForIt)
{
    WriteFile(card / "BIG.BIN", std::string(1000, 'n'));
    // Blocks of 64 bytes; the answer to the second READ comes late.
    StartSim(",status=00010002", {"--fault", "delay,proto=xfer,cmd=0x3F,nth=2,count=1,arg=1500"});
    List();
    WriteFile(dest / "BIG.BIN", "old big");
    asker.answers = {OverwriteAsker::Yes};
    ASSERT_TRUE(copier.BuildCopyList({session.folders.FindCardEntry("\\BIG.BIN")}, ""));
    // Cancel is pressed once the second block has been asked for.
    std::atomic<bool> stop{false};
    std::thread pressCancel([&] {
        while (!stop && Count(Commands(), CMD_READ) < 2)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        session.flags.copyCancel = true;
    });
    copier.StartCopy();
    stop = true;
    pressCancel.join();
    EXPECT_EQ(session.CardStatus.load(), ST_ABORT);
    EXPECT_EQ(Count(Commands(), CMD_READ), 2);
    EXPECT_EQ(Count(Commands(), CMD_CLOSE), 1);
    EXPECT_EQ(Commands().back(), CMD_END);
    EXPECT_EQ(ReadFile(dest / "BIG.BIN"), "old big");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dest.path()), {}), 1);
}

TEST_F(Copy, FilesOfBlockSizeAndOneMoreByte)
{
    WriteFile(card / "EXACT.BIN", std::string(512, 'e'));
    WriteFile(card / "MORE.BIN", std::string(513, 'm'));
    StartSim(",status=00010010");  // READ blocks of 512 bytes
    List();
    // Offset and count of every READ, per file.
    const struct {
        const char* name;
        std::vector<std::pair<uint32_t, uint32_t>> reads;
    } cases[] = {
        {"EXACT.BIN", {{0, 512}}},
        {"MORE.BIN", {{0, 512}, {512, 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sim->ClearLog();
        ASSERT_TRUE(copier.BuildCopyList({session.folders.FindCardEntry(std::string("\\") + c.name)}, ""));
        copier.StartCopy();
        ASSERT_EQ(session.CardStatus.load(), ST_OK);
        EXPECT_EQ(ReadFile(dest / c.name), ReadFile(card / c.name));
        std::vector<std::pair<uint32_t, uint32_t>> reads;
        for (const auto& frame : Requests(CMD_READ))
            reads.emplace_back(U32(frame, 4), U32(frame, 8));
        EXPECT_EQ(reads, c.reads);
    }
}

TEST_F(Copy, ReadRefusedForGoodGivesReadErrorAndNoPcFile)
{
    WriteFile(card / "A.TXT", "abc");
    StartSim("", {"--fault", "refuse,proto=xfer,cmd=0x3F,arg=5"});
    List();
    ASSERT_TRUE(copier.BuildCopyList({session.folders.FindCardEntry("\\A.TXT")}, ""));
    copier.StartCopy();
    EXPECT_EQ(session.CardStatus.load(), 0x3F01u);
    EXPECT_FALSE(std::filesystem::exists(dest / "A.TXT"));
    EXPECT_EQ(Count(Commands(), CMD_READ), 1);  // refused for good: no further attempt
    EXPECT_EQ(Count(Commands(), CMD_CLOSE), 1);
    EXPECT_EQ(Commands().back(), CMD_END);
}
