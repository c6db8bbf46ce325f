#include "SimFixture.h"
#include "platform/FileTime.h"
#include "talvix/cardops/CardLister.h"
#include "talvix/cardops/CardWriter.h"

#include <sys/stat.h>

#include <atomic>
#include <cstdlib>

using namespace talvix;
using namespace cardtest;

namespace {

class Write : public SimCardTest {
protected:
    void List()
    {
        lister.StartListing();
        ASSERT_EQ(session.CardStatus.load(), ST_OK);
        session.overwriteAsker = &asker;
    }

    TempDir pc;
    CardLister lister{session};
    CardWriter writer{session};
    ScriptedAsker asker;
};

}  // namespace

TEST_F(Write, ShortNamesFoldersFirstAndTheTableGrows)
{
    WriteFile(card / "DCIM/OLD.JPG", "o");
    WriteFile(pc / "Trip/Day 1/My Photo.jpeg", "photo");
    WriteFile(pc / "Trip/NOTE.TXT", "note");
    StartSim();
    List();

    ASSERT_TRUE(writer.BuildWriteList({pc / "Trip"}, "\\DCIM"));
    writer.StartWrite();
    ASSERT_EQ(session.CardStatus.load(), ST_OK);
    // "Trip" is an 8.3 name already and keeps its letter case; the others get aliases.
    EXPECT_EQ(ReadFile(card / "DCIM/Trip/NOTE.TXT"), "note");
    EXPECT_EQ(ReadFile(card / "DCIM/Trip/DAY1~1/MYPHOT~1.JPG"), "photo");

    // Every folder is made before the first file is opened, parents first.
    const std::vector<int> commands = Commands();
    const auto firstOpen = std::find(commands.begin(), commands.end(), CMD_OPEN);
    EXPECT_EQ(std::count(firstOpen, commands.end(), CMD_MAKE_DIR), 0);
    EXPECT_EQ(Count(commands, CMD_MAKE_DIR), 2);
    EXPECT_EQ(view.added, (std::vector<std::string>{"M:\\DCIM\\Trip", "M:\\DCIM\\Trip\\DAY1~1"}));

    ASSERT_NE(session.folders.FindCardEntry("\\DCIM\\Trip\\DAY1~1\\MYPHOT~1.JPG"), nullptr);
    ASSERT_NE(session.folders.FindCardEntry("\\DCIM\\Trip"), nullptr);
    EXPECT_EQ(session.folders.FindFolder("\\DCIM\\TRIP\\DAY1~1")->level, 3);
    EXPECT_EQ(session.folders.FindFolder("\\DCIM")->count(), 2);
}

TEST_F(Write, FileSizesSendTheRightBlocks)
{
    const size_t sizes[] = {0, 2048, 2049, 4096};
    for (size_t size : sizes) {
        std::string bytes(size, '\0');
        for (size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<char>('a' + i % 26);
        WriteFile(pc / ("F" + std::to_string(size)), bytes);
    }
    StartSim();
    List();
    const std::vector<std::vector<size_t>> blocks = {{}, {2048}, {2048, 1}, {2048, 2048}};
    for (size_t k = 0; k < 4; ++k) {
        const std::string name = "F" + std::to_string(sizes[k]);
        SCOPED_TRACE(name);
        sim->ClearLog();
        ASSERT_TRUE(writer.BuildWriteList({pc / name}, ""));
        writer.StartWrite();
        ASSERT_EQ(session.CardStatus.load(), ST_OK);
        EXPECT_EQ(ReadFile(card / name), ReadFile(pc / name));
        const auto data = Requests(CMD_WRITE_DATA);
        ASSERT_EQ(data.size(), blocks[k].size());
        uint32_t offset = 0;
        for (size_t b = 0; b < data.size(); ++b) {
            EXPECT_EQ(U32(data[b], 0), offset);
            EXPECT_EQ(U32(data[b], 4), blocks[k][b]);
            offset += static_cast<uint32_t>(blocks[k][b]);
        }
        const auto begin = Requests(CMD_WRITE);
        ASSERT_EQ(begin.size(), 1u);
        EXPECT_EQ(U32(begin[0], 8), sizes[k]);
        EXPECT_EQ(Count(Commands(), CMD_SET_DATE_TIME), 1);
    }
}

TEST_F(Write, FreeSpaceEqualToTheTotalIsEnoughOneByteLessIsNot)
{
    WriteFile(pc / "A.BIN", std::string(3000, 'a'));
    WriteFile(pc / "B.BIN", std::string(1096, 'b'));
    for (const auto& [free, status] : {std::pair<std::string, uint32_t>{"4096:1:1", ST_OK}, {"4095:1:1", ST_CARDFULL}}) {
        SCOPED_TRACE(free);
        std::filesystem::remove_all(card / "A.BIN");
        std::filesystem::remove_all(card / "B.BIN");
        StartSim(",free=" + free);
        List();
        ASSERT_TRUE(writer.BuildWriteList({pc / "A.BIN", pc / "B.BIN"}, ""));
        writer.StartWrite();
        EXPECT_EQ(session.CardStatus.load(), status);
        EXPECT_EQ(std::filesystem::exists(card / "A.BIN"), status == ST_OK);
        if (status != ST_OK) {
            EXPECT_EQ(Count(Commands(), CMD_OPEN), 0);
        }
        sim.reset();
        selk.Close();
    }
}

TEST_F(Write, CardFileGetsThePcFileTimeAsLocalTime)
{
    LocalZone zone;
    WriteFile(pc / "T.TXT", "t");
    StartSim();
    List();
    platform::FindData fd;
    ASSERT_TRUE(platform::GetFindData(pc / "T.TXT", fd));
    ASSERT_TRUE(writer.BuildWriteList({pc / "T.TXT"}, ""));
    writer.StartWrite();
    ASSERT_EQ(session.CardStatus.load(), ST_OK);
    // The emulator turns the card's local DOS time back into the host file's time.
    struct stat st {};
    ASSERT_EQ(stat((card / "T.TXT").c_str(), &st), 0);
    const time_t pcTime = platform::FileTimeToTimeT(fd.ftCreationTime);
    EXPECT_LE(std::llabs(static_cast<long long>(st.st_mtime - pcTime)), 2);
    // The table shows the same local time as a new listing would.
    const platform::FindData* entry = session.folders.FindCardEntry("\\T.TXT");
    ASSERT_NE(entry, nullptr);
    platform::FileTime local;
    ASSERT_TRUE(platform::FileTimeToLocalFileTime(fd.ftCreationTime, local));
    EXPECT_LE(std::llabs(static_cast<long long>(platform::FileTimeToTimeT(entry->ftLastWriteTime) -
                                                platform::FileTimeToTimeT(local))),
              2);
}

TEST_F(Write, UnreadablePcFileEndsTheWriteWithAStatus)
{
    WriteFile(pc / "GONE.TXT", "g");
    StartSim();
    List();
    ASSERT_TRUE(writer.BuildWriteList({pc / "GONE.TXT"}, ""));
    std::filesystem::remove(pc / "GONE.TXT");
    writer.StartWrite();
    EXPECT_EQ(session.CardStatus.load(), ST_PCFILE);
    EXPECT_EQ(Count(Commands(), CMD_OPEN), 0);
    EXPECT_EQ(Commands().back(), CMD_END);
}

TEST_F(Write, WriteOntoAnEmptyCard)
{
    WriteFile(pc / "FIRST.TXT", "1");
    StartSim(",label=");
    lister.StartListing();
    ASSERT_EQ(session.CardStatus.load(), ST_OK);
    ASSERT_EQ(session.folders.CardFolderCount, 0);
    ASSERT_TRUE(writer.BuildWriteList({pc / "FIRST.TXT"}, ""));
    writer.StartWrite();
    EXPECT_EQ(session.CardStatus.load(), ST_OK);
    EXPECT_EQ(ReadFile(card / "FIRST.TXT"), "1");
    EXPECT_NE(session.folders.FindCardEntry("\\FIRST.TXT"), nullptr);
}

TEST_F(Write, AFolderTheCardHoldsAlreadyIsWrittenInto)
{
    WriteFile(card / "D/A.TXT", "old a");
    WriteFile(pc / "D/A.TXT", "new a");
    WriteFile(pc / "D/B.TXT", "b");
    StartSim();
    List();
    asker.answers = {OverwriteAsker::YesToAll};
    ASSERT_TRUE(writer.BuildWriteList({pc / "D"}, ""));
    ASSERT_EQ(asker.asked.size(), 1u);  // the folder D itself
    writer.StartWrite();
    // The device refuses MAKE DIR for the folder it has; the files still go in.
    EXPECT_EQ(session.CardStatus.load(), ST_OK);
    EXPECT_EQ(Count(Commands(), CMD_MAKE_DIR), 1);
    EXPECT_EQ(ReadFile(card / "D/A.TXT"), "new a");
    EXPECT_EQ(ReadFile(card / "D/B.TXT"), "b");
    ASSERT_NE(session.folders.FindFolder("\\D"), nullptr);
    EXPECT_EQ(session.folders.FindFolder("\\D")->count(), 2);
}

TEST_F(Write, ANewFolderTheCardRefusesEndsTheWrite)
{
    WriteFile(pc / "N/A.TXT", "a");
    StartSim("", {"--fault", "refuse,proto=xfer,cmd=0x39,arg=5"});
    List();
    ASSERT_TRUE(writer.BuildWriteList({pc / "N"}, ""));
    writer.StartWrite();
    EXPECT_EQ(session.CardStatus.load(), 0x3901u);
    EXPECT_EQ(Count(Commands(), CMD_OPEN), 0);
    EXPECT_EQ(Commands().back(), CMD_END);
}

TEST_F(Write, ANamedPipeIsNotWaitedForButEndsTheWriteWithAStatus)
{
    WriteFile(pc / "F/A.TXT", "a");
    ASSERT_EQ(mkfifo((pc / "F/PIPE").c_str(), 0600), 0);
    StartSim();
    List();
    ASSERT_TRUE(writer.BuildWriteList({pc / "F"}, ""));
    writer.StartWrite();
    EXPECT_EQ(session.CardStatus.load(), ST_PCFILE);
    EXPECT_EQ(Count(Commands(), CMD_OPEN), Count(Commands(), CMD_CLOSE));
    EXPECT_FALSE(std::filesystem::exists(card / "F/PIPE"));
    EXPECT_EQ(Commands().back(), CMD_END);
}

namespace {

// Presses Cancel at the first progress report of a write.
class CancelAtOnce : public CopyProgressSink {
public:
    explicit CancelAtOnce(std::atomic<bool>& flag) : flag_(flag) {}
    void CopyProgress(const std::string&, int) override { flag_ = true; }

private:
    std::atomic<bool>& flag_;
};

}  // namespace

TEST_F(Write, CancelDuringTheWriteIsNoticedOnlyAtTheEnd)
{
    WriteFile(pc / "A.TXT", "a");
    WriteFile(pc / "B.TXT", "b");
    StartSim();
    List();
    CancelAtOnce cancel(session.flags.copyCancel);
    session.progressSink = &cancel;
    ASSERT_TRUE(writer.BuildWriteList({pc / "A.TXT", pc / "B.TXT"}, ""));
    writer.StartWrite();
    EXPECT_EQ(session.CardStatus.load(), ST_ABORT);
    EXPECT_EQ(ReadFile(card / "A.TXT"), "a");
    EXPECT_EQ(ReadFile(card / "B.TXT"), "b");
    EXPECT_EQ(Commands().back(), CMD_END);
}
