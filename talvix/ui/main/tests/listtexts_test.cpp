#include "talvix/ui/main/ListTexts.h"

#include <QLocale>

#include <gtest/gtest.h>

using namespace talvix::ui::listtexts;

TEST(ListTexts, SizeColumn)
{
    struct Case {
        uint32_t high, low;
        const char* text;
    } cases[] = {
        {0, 0, "0B"},           {0, 1023, "1023B"},          {0, 1024, "1KB"},
        {0, 1048575, "1024KB"}, {0, 1048576, "1MB"},         {0, 1073741823, "1024MB"},
        {0, 1073741824, "???GB"}, {3, 1073741824, "???GB"},  {1, 5, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatSize(c.high, c.low), c.text) << c.high << ":" << c.low;
}

TEST(ListTexts, StatusBytes)
{
    struct Case {
        uint32_t n;
        const char* text;
    } cases[] = {
        {0, "0"},          {1023, "1023"},          {1536, "1.51K"},     {2047, "1.102K"},
        {100 * 1024, "0.09M"}, {1048576, "1.00M"},  {100u * 1048576u, "0.09G"},
        {0xFFFFFFFFu, "3.100G"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatBytes(c.n), c.text) << c.n;
}

TEST(ListTexts, DateIsTheStoredWallClockTime)
{
    platform::SystemTime s{};
    s.wYear = 2024;
    s.wMonth = 3;
    s.wDay = 9;
    s.wHour = 17;
    s.wMinute = 5;
    s.wSecond = 42;
    platform::FileTime t;
    ASSERT_TRUE(platform::SystemTimeToFileTime(s, t));
    const std::string text = FormatDate(t, QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(text, "09.03.24 17:05:42");
}

TEST(ListTexts, FoldersFirstInBothDirections)
{
    const SortKey folder{true, "ZZZ", 0, "Folder", "x"};
    const SortKey file{false, "AAA", 10, "Text", "y"};
    for (int state : {0, 1, 2, 3, 128, 129, 130, 131}) {
        EXPECT_EQ(CompareItems(folder, file, state), -1) << state;
        EXPECT_EQ(CompareItems(file, folder, state), 1) << state;
    }
}

TEST(ListTexts, ColumnsAndDirection)
{
    const SortKey a{false, "B.TXT", 5000000000ull, "Alpha", "2024/01/02"};
    const SortKey b{false, "a.txt", 7, "Beta", "2023/12/31"};
    EXPECT_EQ(CompareItems(a, b, 0), -1);    // bytes: "B" (0x42) < "a" (0x61)
    EXPECT_EQ(CompareItems(a, b, 128), 1);
    EXPECT_EQ(CompareItems(a, b, 1), 1);     // 64-bit sizes
    EXPECT_EQ(CompareItems(a, b, 2), -1);
    EXPECT_EQ(CompareItems(a, b, 3), 1);     // by the date text
    EXPECT_EQ(CompareItems(a, a, 1), 0);
    const SortKey high{false, "\xE3\x81\x82", 0, "", ""};
    EXPECT_EQ(CompareItems(a, high, 0), -1);  // bytes above 0x7F sort last
}

TEST(ListTexts, ColumnClicks)
{
    EXPECT_EQ(SortStateAfterColumnClick(0, 0), 128);
    EXPECT_EQ(SortStateAfterColumnClick(128, 0), 0);
    EXPECT_EQ(SortStateAfterColumnClick(128, 2), 2);
    EXPECT_EQ(SortStateAfterColumnClick(3, 1), 1);
}
