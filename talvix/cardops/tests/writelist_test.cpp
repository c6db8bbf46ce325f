#include "TestSupport.h"
#include "platform/FileTime.h"
#include "talvix/cardops/CardWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

using namespace talvix;
using namespace cardtest;

namespace {

class WriteList : public ::testing::Test {
protected:
    void SetUp() override
    {
        CardFolders& t = session.folders;
        CardFolder* root = t.Create(0, 0, "M:");
        root->Add(Entry("DCIM", true));
        root->Add(Entry("A.TXT", false, 5));
        t.Create(1, 1, "M:\\DCIM");
        t.CardFolderCount = 2;
        session.overwriteAsker = &asker;
    }

    std::vector<std::string> CardPaths() const
    {
        std::vector<std::string> out;
        for (const auto& e : writer.WriteList)
            out.push_back(e.cardPath);
        return out;
    }

    TempDir dir;
    CardSession session;
    CardWriter writer{session};
    ScriptedAsker asker;
};

}  // namespace

TEST_F(WriteList, LongNamesGoToTheCardAsTheirShortAliases)
{
    WriteFile(dir / "My Photo.jpeg", "12345");
    ASSERT_TRUE(writer.BuildWriteList({dir / "My Photo.jpeg"}, "\\DCIM"));
    ASSERT_EQ(writer.WriteList.size(), 1u);
    const auto& e = writer.WriteList[0];
    EXPECT_EQ(e.cardPath, "\\DCIM\\MYPHOT~1.JPG");
    EXPECT_EQ(e.find.cFileName, "MYPHOT~1.JPG");
    EXPECT_EQ(e.pcPath, dir / "My Photo.jpeg");  // opened under its real name
    EXPECT_EQ(writer.WriteTotal, 5u);
}

TEST_F(WriteList, FoldersAreListedBeforeTheirContents)
{
    WriteFile(dir / "TRIP/DAY1/A.JPG", "a");
    WriteFile(dir / "TRIP/B.JPG", "bb");
    ASSERT_TRUE(writer.BuildWriteList({dir / "TRIP"}, ""));
    const auto paths = CardPaths();
    ASSERT_EQ(paths.size(), 4u);
    EXPECT_EQ(paths[0], "\\TRIP");
    auto pos = [&](const std::string& p) { return std::find(paths.begin(), paths.end(), p) - paths.begin(); };
    EXPECT_LT(pos("\\TRIP\\DAY1"), pos("\\TRIP\\DAY1\\A.JPG"));
    EXPECT_EQ(pos("\\TRIP\\DAY1") + 1, pos("\\TRIP\\DAY1\\A.JPG"));
    EXPECT_NE(pos("\\TRIP\\B.JPG"), 4);
    EXPECT_EQ(writer.WriteTotal, 3u);
    EXPECT_EQ(writer.WriteList[1].depth + writer.WriteList[2].depth + writer.WriteList[3].depth, 4);
}

TEST_F(WriteList, OnlyAnExactCardNameAsksTheQuestion)
{
    WriteFile(dir / "A.TXT", "new");
    WriteFile(dir / "a.txt", "new");
    asker.answers = {OverwriteAsker::No};
    ASSERT_TRUE(writer.BuildWriteList({dir / "A.TXT", dir / "a.txt"}, ""));
    ASSERT_EQ(asker.asked.size(), 1u);
    EXPECT_EQ(asker.asked[0].existingName, "\\A.TXT");
    EXPECT_EQ(asker.asked[0].existing.nFileSizeLow, 5u);
    EXPECT_EQ(asker.asked[0].iconPath, dir / "A.TXT");
    EXPECT_TRUE(asker.asked[0].toCard);
    EXPECT_EQ(CardPaths(), (std::vector<std::string>{"\\a.txt"}));

    asker.asked.clear();
    asker.answers = {OverwriteAsker::Cancel};
    EXPECT_FALSE(writer.BuildWriteList({dir / "a.txt", dir / "A.TXT"}, ""));
    EXPECT_TRUE(writer.WriteList.empty());
    EXPECT_EQ(session.CardStatus.load(), ST_OK);
}

TEST_F(WriteList, WhatDoesNotFitIsRefusedBeforeAnyTransfer)
{
    // More than 256 entries.
    for (int i = 0; i < 260; ++i)
        WriteFile(dir / ("MANY/F" + std::to_string(i)), "x");
    EXPECT_FALSE(writer.BuildWriteList({dir / "MANY"}, ""));
    EXPECT_EQ(session.CardStatus.load(), ST_TOOMANY);
    EXPECT_TRUE(writer.WriteList.empty());

    // A folder table with no slot left for a new folder.
    session.CardStatus = ST_OK;
    for (int i = 2; i < CardFolders::kSlots; ++i)
        session.folders.Append(1, "M:\\X" + std::to_string(i));
    std::filesystem::create_directories(dir / "NEWDIR");
    EXPECT_FALSE(writer.BuildWriteList({dir / "NEWDIR"}, ""));
    EXPECT_EQ(session.CardStatus.load(), ST_TOOMANY);

    // A folder record that is full.
    session.CardStatus = ST_OK;
    CardFolder* dcim = session.folders.Slot(1);
    for (size_t i = 0; i < CardFolder::kMaxEntries; ++i)
        dcim->Add(Entry("E" + std::to_string(i)));
    WriteFile(dir / "ONE.TXT", "1");
    EXPECT_FALSE(writer.BuildWriteList({dir / "ONE.TXT"}, "\\DCIM"));
    EXPECT_EQ(session.CardStatus.load(), ST_TOOMANY);
    // Replacing an entry it holds adds nothing and still fits.
    session.CardStatus = ST_OK;
    WriteFile(dir / "E7", "7");
    asker.answers = {OverwriteAsker::Yes};
    EXPECT_TRUE(writer.BuildWriteList({dir / "E7"}, "\\DCIM"));
}

TEST_F(WriteList, MissingNamesAreSkipped)
{
    WriteFile(dir / "OK.TXT", "1");
    ASSERT_TRUE(writer.BuildWriteList({dir / "NOPE.TXT", "/", dir / "OK.TXT"}, ""));
    EXPECT_EQ(CardPaths(), (std::vector<std::string>{"\\OK.TXT"}));
}

TEST_F(WriteList, WrittenFoldersAndFilesShowLocalTimesInTheTable)
{
    LocalZone zone;
    WriteFile(dir / "NEWDIR/F.TXT", "f");
    session.dummyMode = true;  // the table is updated as after a real write
    ASSERT_TRUE(writer.BuildWriteList({dir / "NEWDIR"}, ""));
    writer.StartWrite();
    ASSERT_EQ(session.CardStatus.load(), ST_OK);
    for (const auto& [card, pcPath] : {std::pair<std::string, std::string>{"\\NEWDIR", dir / "NEWDIR"},
                                       {"\\NEWDIR\\F.TXT", dir / "NEWDIR/F.TXT"}}) {
        SCOPED_TRACE(card);
        const platform::FindData* shown = session.folders.FindCardEntry(card);
        ASSERT_NE(shown, nullptr);
        platform::FindData pc;
        ASSERT_TRUE(platform::GetFindData(pcPath, pc));
        platform::FileTime local;
        ASSERT_TRUE(platform::FileTimeToLocalFileTime(pc.ftCreationTime, local));
        EXPECT_LE(std::llabs(static_cast<long long>(platform::FileTimeToTimeT(shown->ftLastWriteTime) -
                                                    platform::FileTimeToTimeT(local))),
                  2);
    }
}

TEST(CardTimes, LocalWallClockAsDosTime)
{
    LocalZone zone;
    // 2024-03-05 09:00 local, whatever the zone.
    tm local{};
    local.tm_year = 124;
    local.tm_mon = 2;
    local.tm_mday = 5;
    local.tm_hour = 9;
    local.tm_isdst = -1;
    platform::FileTime utc;
    ASSERT_TRUE(platform::TimeTToFileTime(mktime(&local), utc));
    uint16_t times[6];
    CardWriter::CardTimes(utc, times);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(times[2 * i], (44 << 9) | (3 << 5) | 5);
        EXPECT_EQ(times[2 * i + 1], 9 << 11);
    }
    CardWriter::CardTimes(platform::FileTime{}, times);
    EXPECT_EQ(times[0], (1 << 5) | 1);
}
