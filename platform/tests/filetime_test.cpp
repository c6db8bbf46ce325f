#include "platform/FileTime.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <unistd.h>

using namespace platform;

namespace {

uint16_t DosDate(int y, int m, int d) { return static_cast<uint16_t>(((y - 1980) << 9) | (m << 5) | d); }
uint16_t DosTime(int h, int mi, int s) { return static_cast<uint16_t>((h << 11) | (mi << 5) | (s / 2)); }

FileTime Fields(uint16_t y, uint16_t mo, uint16_t d, uint16_t h, uint16_t mi, uint16_t s, uint16_t ms = 0)
{
    SystemTime st;
    st.wYear = y;
    st.wMonth = mo;
    st.wDay = d;
    st.wHour = h;
    st.wMinute = mi;
    st.wSecond = s;
    st.wMilliseconds = ms;
    FileTime ft;
    EXPECT_TRUE(SystemTimeToFileTime(st, ft));
    return ft;
}

// Sets TZ for one test and puts the old value back afterwards.
class TimeZone {
public:
    explicit TimeZone(const char* tz)
    {
        if (const char* old = std::getenv("TZ"))
            old_ = old;
        setenv("TZ", tz, 1);
        tzset();
    }
    ~TimeZone()
    {
        if (old_)
            setenv("TZ", old_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> old_;
};

constexpr uint64_t kHour = 3600ull * kFileTimeTicksPerSecond;

}  // namespace

TEST(FileTime, KnownInstants)
{
    // The Unix epoch and the first day of the count.
    FileTime epoch;
    ASSERT_TRUE(TimeTToFileTime(0, epoch));
    EXPECT_EQ(epoch.ticks, 116444736000000000ull);
    EXPECT_EQ(Fields(1970, 1, 1, 0, 0, 0).ticks, epoch.ticks);
    EXPECT_EQ(Fields(1601, 1, 1, 0, 0, 0).ticks, 0u);

    SystemTime st;
    ASSERT_TRUE(FileTimeToSystemTime(Fields(2024, 2, 29, 23, 59, 58, 999), st));
    EXPECT_EQ(st.wYear, 2024);
    EXPECT_EQ(st.wMonth, 2);
    EXPECT_EQ(st.wDay, 29);
    EXPECT_EQ(st.wDayOfWeek, 4);  // a Thursday
    EXPECT_EQ(st.wHour, 23);
    EXPECT_EQ(st.wMinute, 59);
    EXPECT_EQ(st.wSecond, 58);
    EXPECT_EQ(st.wMilliseconds, 999);

    EXPECT_EQ(FileTime::FromParts(epoch.Low(), epoch.High()), epoch);
    EXPECT_EQ(CompareFileTime(epoch, Fields(1601, 1, 1, 0, 0, 0)), 1);
    EXPECT_EQ(CompareFileTime(epoch, epoch), 0);
}

TEST(FileTime, SystemTimeRefusesImpossibleFields)
{
    const SystemTime good{2023, 3, 0, 31, 12, 0, 0, 0};
    FileTime ft{42};
    ASSERT_TRUE(SystemTimeToFileTime(good, ft));
    struct Case {
        const char* what;
        SystemTime st;
    } cases[] = {
        {"month 0", {2023, 0, 0, 1, 0, 0, 0, 0}},
        {"month 13", {2023, 13, 0, 1, 0, 0, 0, 0}},
        {"29 Feb in a common year", {2023, 2, 0, 29, 0, 0, 0, 0}},
        {"31 April", {2023, 4, 0, 31, 0, 0, 0, 0}},
        {"hour 24", {2023, 1, 0, 1, 24, 0, 0, 0}},
        {"second 60", {2023, 1, 0, 1, 0, 0, 60, 0}},
        {"1000 ms", {2023, 1, 0, 1, 0, 0, 0, 1000}},
        {"year 1600", {1600, 1, 0, 1, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        FileTime out{42};
        EXPECT_FALSE(SystemTimeToFileTime(c.st, out)) << c.what;
        EXPECT_EQ(out.ticks, 42u) << c.what;
    }
    // 1900 is no leap year, 2000 is.
    FileTime out;
    EXPECT_FALSE(SystemTimeToFileTime({1900, 2, 0, 29, 0, 0, 0, 0}, out));
    EXPECT_TRUE(SystemTimeToFileTime({2000, 2, 0, 29, 0, 0, 0, 0}, out));
    SystemTime back;
    EXPECT_FALSE(FileTimeToSystemTime(FileTime{0x8000000000000000ull}, back));
}

TEST(FileTime, DosRoundTripAtTwoSecondResolution)
{
    struct Case {
        int y, mo, d, h, mi, s;
    } cases[] = {
        {1980, 1, 1, 0, 0, 0}, {2107, 12, 31, 23, 59, 58}, {2000, 2, 29, 12, 34, 56}, {2024, 7, 15, 9, 5, 2},
    };
    for (const auto& c : cases) {
        const uint16_t date = DosDate(c.y, c.mo, c.d);
        const uint16_t time = DosTime(c.h, c.mi, c.s);
        FileTime ft;
        ASSERT_TRUE(DosDateTimeToFileTime(date, time, ft)) << c.y;
        EXPECT_EQ(ft, Fields(c.y, c.mo, c.d, c.h, c.mi, c.s));
        uint16_t date2 = 0;
        uint16_t time2 = 0;
        ASSERT_TRUE(FileTimeToDosDateTime(ft, date2, time2));
        EXPECT_EQ(date2, date);
        EXPECT_EQ(time2, time);
    }
    // An odd second and a fraction are cut to the even second below.
    uint16_t date = 0;
    uint16_t time = 0;
    ASSERT_TRUE(FileTimeToDosDateTime(Fields(2010, 5, 6, 7, 8, 9, 900), date, time));
    EXPECT_EQ(date, DosDate(2010, 5, 6));
    EXPECT_EQ(time, DosTime(7, 8, 8));
}

TEST(FileTime, DosRefusesDatesOutsideItsRange)
{
    uint16_t date = 0x1111;
    uint16_t time = 0x2222;
    EXPECT_FALSE(FileTimeToDosDateTime(Fields(1979, 12, 31, 23, 59, 59), date, time));
    EXPECT_FALSE(FileTimeToDosDateTime(Fields(2108, 1, 1, 0, 0, 0), date, time));
    EXPECT_FALSE(FileTimeToDosDateTime(FileTime{0}, date, time));
    EXPECT_EQ(date, 0x1111);
    EXPECT_EQ(time, 0x2222);

    // Fields a DOS date or time can hold but no calendar has.
    struct Case {
        const char* what;
        uint16_t date, time;
    } bad[] = {
        {"month 0", static_cast<uint16_t>(DosDate(2000, 1, 1) & ~(0xF << 5)), 0},
        {"month 13", static_cast<uint16_t>((20 << 9) | (13 << 5) | 1), 0},
        {"day 0", static_cast<uint16_t>((20 << 9) | (1 << 5)), 0},
        {"30 February", DosDate(2000, 2, 30), 0},
        {"hour 24", DosDate(2000, 1, 1), static_cast<uint16_t>(24 << 11)},
        {"minute 60", DosDate(2000, 1, 1), static_cast<uint16_t>(60 << 5)},
        {"second 60", DosDate(2000, 1, 1), static_cast<uint16_t>(30)},
    };
    for (const auto& c : bad) {
        FileTime ft{7};
        EXPECT_FALSE(DosDateTimeToFileTime(c.date, c.time, ft)) << c.what;
        EXPECT_EQ(ft.ticks, 7u) << c.what;
    }
}

TEST(FileTime, PosixConversions)
{
    timespec ts{};
    ts.tv_sec = 1'700'000'000;
    ts.tv_nsec = 123'456'700;
    FileTime ft;
    ASSERT_TRUE(TimespecToFileTime(ts, ft));
    const timespec back = FileTimeToTimespec(ft);
    EXPECT_EQ(back.tv_sec, ts.tv_sec);
    EXPECT_EQ(back.tv_nsec, ts.tv_nsec);
    EXPECT_EQ(FileTimeToTimeT(ft), ts.tv_sec);

    FileTime early{5};
    EXPECT_FALSE(TimeTToFileTime(-kFileTimeUnixEpochSeconds - 1, early));
    EXPECT_EQ(early.ticks, 5u);
    ASSERT_TRUE(TimeTToFileTime(-86400, early));
    EXPECT_EQ(early, Fields(1969, 12, 31, 0, 0, 0));
}

TEST(FileTime, LocalConversionFollowsSummerTime)
{
    // Central European rule: +1 h in winter, +2 h from the last Sunday of
    // March (02:00) to the last Sunday of October (03:00).
    TimeZone tz("CET-1CEST,M3.5.0,M10.5.0/3");

    struct Case {
        const char* what;
        FileTime utc;
        FileTime local;
    } cases[] = {
        {"winter", Fields(2024, 1, 15, 12, 0, 0), Fields(2024, 1, 15, 13, 0, 0)},
        {"summer", Fields(2024, 7, 15, 12, 0, 0), Fields(2024, 7, 15, 14, 0, 0)},
        {"just before spring change", Fields(2024, 3, 31, 0, 59, 59), Fields(2024, 3, 31, 1, 59, 59)},
        {"just after spring change", Fields(2024, 3, 31, 1, 0, 0), Fields(2024, 3, 31, 3, 0, 0)},
        {"day before autumn change", Fields(2024, 10, 26, 10, 0, 0), Fields(2024, 10, 26, 12, 0, 0)},
        {"day after autumn change", Fields(2024, 10, 28, 10, 0, 0), Fields(2024, 10, 28, 11, 0, 0)},
        {"keeps fractions", Fields(2024, 7, 1, 0, 0, 0, 250), Fields(2024, 7, 1, 2, 0, 0, 250)},
    };
    for (const auto& c : cases) {
        FileTime local;
        ASSERT_TRUE(FileTimeToLocalFileTime(c.utc, local)) << c.what;
        EXPECT_EQ(local, c.local) << c.what;
        FileTime utc;
        ASSERT_TRUE(LocalFileTimeToFileTime(c.local, utc)) << c.what;
        EXPECT_EQ(utc, c.utc) << c.what;
    }
}

TEST(FileTime, LocalTimesThatAreSkippedOrRepeated)
{
    TimeZone tz("CET-1CEST,M3.5.0,M10.5.0/3");
    // 02:30 on 31 March 2024 never happened: read with the winter offset.
    FileTime utc;
    ASSERT_TRUE(LocalFileTimeToFileTime(Fields(2024, 3, 31, 2, 30, 0), utc));
    EXPECT_EQ(utc, Fields(2024, 3, 31, 1, 30, 0));
    // 02:30 on 27 October 2024 happened twice: the first time (summer).
    ASSERT_TRUE(LocalFileTimeToFileTime(Fields(2024, 10, 27, 2, 30, 0), utc));
    EXPECT_EQ(utc, Fields(2024, 10, 27, 0, 30, 0));
    // And both UTC instants show 02:30 locally.
    FileTime local;
    ASSERT_TRUE(FileTimeToLocalFileTime(Fields(2024, 10, 27, 1, 30, 0), local));
    EXPECT_EQ(local, Fields(2024, 10, 27, 2, 30, 0));
}

TEST(FileTime, NamedZoneFromTheSystemDatabase)
{
    if (access("/usr/share/zoneinfo/Europe/Berlin", R_OK) != 0)
        GTEST_SKIP() << "no time-zone database";
    TimeZone tz("Europe/Berlin");
    FileTime local;
    ASSERT_TRUE(FileTimeToLocalFileTime(Fields(2023, 6, 1, 8, 0, 0), local));
    EXPECT_EQ(local.ticks - Fields(2023, 6, 1, 8, 0, 0).ticks, 2 * kHour);
    ASSERT_TRUE(FileTimeToLocalFileTime(Fields(2023, 12, 1, 8, 0, 0), local));
    EXPECT_EQ(local.ticks - Fields(2023, 12, 1, 8, 0, 0).ticks, 1 * kHour);
}

TEST(FileTime, CardTimeRoundTripThroughLocalTime)
{
    // A card stamp of 10:00 local becomes a UTC PC time that reads 10:00 again,
    // in January and in August.
    TimeZone tz("JST-9");
    for (const uint16_t date : {DosDate(2001, 1, 2), DosDate(2001, 8, 2)}) {
        FileTime card;
        ASSERT_TRUE(DosDateTimeToFileTime(date, DosTime(10, 0, 0), card));
        FileTime utc;
        ASSERT_TRUE(LocalFileTimeToFileTime(card, utc));
        EXPECT_EQ(card.ticks - utc.ticks, 9 * kHour);
        FileTime local;
        ASSERT_TRUE(FileTimeToLocalFileTime(utc, local));
        uint16_t d = 0;
        uint16_t t = 0;
        ASSERT_TRUE(FileTimeToDosDateTime(local, d, t));
        EXPECT_EQ(d, date);
        EXPECT_EQ(t, DosTime(10, 0, 0));
    }
}

TEST(FileTime, CurrentTimeAgreesWithTheClock)
{
    TimeZone tz("JST-9");
    const time_t before = time(nullptr);
    const FileTime now = GetSystemTimeAsFileTime();
    const time_t after = time(nullptr);
    EXPECT_GE(FileTimeToTimeT(now), before);
    EXPECT_LE(FileTimeToTimeT(now), after);

    SystemTime utc;
    SystemTime local;
    GetSystemTime(utc);
    GetLocalTime(local);
    FileTime u;
    FileTime l;
    ASSERT_TRUE(SystemTimeToFileTime(utc, u));
    ASSERT_TRUE(SystemTimeToFileTime(local, l));
    // Nine hours apart, give or take the moment between the two calls.
    const int64_t diff = static_cast<int64_t>(l.ticks - u.ticks) - static_cast<int64_t>(9 * kHour);
    EXPECT_LT(diff < 0 ? -diff : diff, static_cast<int64_t>(5 * kFileTimeTicksPerSecond));
}
