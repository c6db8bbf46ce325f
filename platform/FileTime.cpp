#include "FileTime.h"

#include <initializer_list>

namespace platform {

namespace {

constexpr int64_t kSecondsPerDay = 86'400;
constexpr uint64_t kTicksPerMs = 10'000;
constexpr uint64_t kTicksPerDay = kSecondsPerDay * kFileTimeTicksPerSecond;

// Days from 1970-01-01 to the given proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

struct CivilDate {
    int64_t year;
    unsigned month;
    unsigned day;
};

CivilDate CivilFromDays(int64_t z)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<int64_t>(yoe) + era * 400 + (m <= 2), m, d};
}

bool IsLeapYear(int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned DaysInMonth(int64_t y, unsigned m)
{
    static constexpr unsigned kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

// Days from 1601-01-01 to 1970-01-01.
constexpr int64_t kEpochDays1601 = kFileTimeUnixEpochSeconds / kSecondsPerDay;

// Builds a file time from fields already checked for range.
uint64_t TicksFromFields(int64_t year, unsigned month, unsigned day, unsigned hour, unsigned minute,
                         unsigned second, unsigned ms)
{
    const int64_t days = DaysFromCivil(year, month, day) + kEpochDays1601;
    const uint64_t secs = static_cast<uint64_t>(days) * kSecondsPerDay + hour * 3600u + minute * 60u + second;
    return secs * kFileTimeTicksPerSecond + ms * kTicksPerMs;
}

bool FieldsValid(int64_t year, unsigned month, unsigned day, unsigned hour, unsigned minute, unsigned second,
                 unsigned ms)
{
    return month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month) && hour < 24 && minute < 60 &&
           second < 60 && ms < 1000;
}

// Offset of local time from UTC in seconds at the UTC instant `t`.
bool LocalOffsetAt(time_t t, long& offset)
{
    tm fields{};
    if (!localtime_r(&t, &fields))
        return false;
    offset = fields.tm_gmtoff;
    return true;
}

constexpr uint64_t kMaxSystemTimeTicks = 0x8000'0000'0000'0000ull;

}  // namespace

int CompareFileTime(const FileTime& a, const FileTime& b)
{
    if (a.ticks < b.ticks)
        return -1;
    return a.ticks > b.ticks ? 1 : 0;
}

bool DosDateTimeToFileTime(uint16_t fatDate, uint16_t fatTime, FileTime& out)
{
    const int64_t year = 1980 + (fatDate >> 9);
    const unsigned month = (fatDate >> 5) & 0x0F;
    const unsigned day = fatDate & 0x1F;
    const unsigned hour = fatTime >> 11;
    const unsigned minute = (fatTime >> 5) & 0x3F;
    const unsigned second = (fatTime & 0x1F) * 2u;
    if (!FieldsValid(year, month, day, hour, minute, second, 0))
        return false;
    out.ticks = TicksFromFields(year, month, day, hour, minute, second, 0);
    return true;
}

bool FileTimeToDosDateTime(const FileTime& in, uint16_t& fatDate, uint16_t& fatTime)
{
    SystemTime st;
    if (!FileTimeToSystemTime(in, st))
        return false;
    if (st.wYear < 1980 || st.wYear > 2107)
        return false;
    fatDate = static_cast<uint16_t>(((st.wYear - 1980) << 9) | (st.wMonth << 5) | st.wDay);
    fatTime = static_cast<uint16_t>((st.wHour << 11) | (st.wMinute << 5) | (st.wSecond / 2));
    return true;
}

bool FileTimeToSystemTime(const FileTime& in, SystemTime& out)
{
    if (in.ticks >= kMaxSystemTimeTicks)
        return false;
    const int64_t days = static_cast<int64_t>(in.ticks / kTicksPerDay);
    const uint64_t inDay = in.ticks % kTicksPerDay;
    const CivilDate date = CivilFromDays(days - kEpochDays1601);
    const uint64_t secs = inDay / kFileTimeTicksPerSecond;
    out.wYear = static_cast<uint16_t>(date.year);
    out.wMonth = static_cast<uint16_t>(date.month);
    out.wDay = static_cast<uint16_t>(date.day);
    // 1601-01-01 was a Monday.
    out.wDayOfWeek = static_cast<uint16_t>((days + 1) % 7);
    out.wHour = static_cast<uint16_t>(secs / 3600);
    out.wMinute = static_cast<uint16_t>(secs / 60 % 60);
    out.wSecond = static_cast<uint16_t>(secs % 60);
    out.wMilliseconds = static_cast<uint16_t>(inDay % kFileTimeTicksPerSecond / kTicksPerMs);
    return true;
}

bool SystemTimeToFileTime(const SystemTime& in, FileTime& out)
{
    if (in.wYear < 1601 || in.wYear > 30827)
        return false;
    if (!FieldsValid(in.wYear, in.wMonth, in.wDay, in.wHour, in.wMinute, in.wSecond, in.wMilliseconds))
        return false;
    out.ticks = TicksFromFields(in.wYear, in.wMonth, in.wDay, in.wHour, in.wMinute, in.wSecond, in.wMilliseconds);
    return true;
}

bool FileTimeToLocalFileTime(const FileTime& utc, FileTime& local)
{
    if (utc.ticks >= kMaxSystemTimeTicks)
        return false;
    long offset = 0;
    if (!LocalOffsetAt(FileTimeToTimeT(utc), offset))
        return false;
    const int64_t shifted = static_cast<int64_t>(utc.ticks) + offset * static_cast<int64_t>(kFileTimeTicksPerSecond);
    if (shifted < 0)
        return false;
    local.ticks = static_cast<uint64_t>(shifted);
    return true;
}

bool LocalFileTimeToFileTime(const FileTime& local, FileTime& utc)
{
    if (local.ticks >= kMaxSystemTimeTicks)
        return false;
    // The wall-clock reading as if it were UTC; the real instant is that
    // minus the offset in force at the real instant. Offsets change at most
    // a few times a year, so the offsets a day before and a day after are the
    // only candidates.
    const time_t wall = FileTimeToTimeT(local);
    long before = 0;
    long after = 0;
    if (!LocalOffsetAt(wall - kSecondsPerDay, before) || !LocalOffsetAt(wall + kSecondsPerDay, after))
        return false;
    long chosen = before;
    bool found = false;
    for (const long candidate : {before, after}) {
        long actual = 0;
        if (!LocalOffsetAt(wall - candidate, actual) || actual != candidate)
            continue;
        // Two valid readings (clocks went back): the earlier instant, which
        // belongs to the larger offset.
        if (!found || candidate > chosen)
            chosen = candidate;
        found = true;
    }
    // No valid reading (the hour skipped when clocks go forward): the offset
    // before the change.
    const int64_t shifted = static_cast<int64_t>(local.ticks) - chosen * static_cast<int64_t>(kFileTimeTicksPerSecond);
    if (shifted < 0)
        return false;
    utc.ticks = static_cast<uint64_t>(shifted);
    return true;
}

bool TimeTToFileTime(time_t t, FileTime& out)
{
    timespec ts{};
    ts.tv_sec = t;
    return TimespecToFileTime(ts, out);
}

bool TimespecToFileTime(const timespec& ts, FileTime& out)
{
    const int64_t secs = static_cast<int64_t>(ts.tv_sec) + kFileTimeUnixEpochSeconds;
    if (secs < 0 || ts.tv_nsec < 0 || ts.tv_nsec >= 1'000'000'000)
        return false;
    if (static_cast<uint64_t>(secs) >= kMaxSystemTimeTicks / kFileTimeTicksPerSecond)
        return false;
    out.ticks = static_cast<uint64_t>(secs) * kFileTimeTicksPerSecond + static_cast<uint64_t>(ts.tv_nsec) / 100;
    return true;
}

time_t FileTimeToTimeT(const FileTime& ft)
{
    return static_cast<time_t>(static_cast<int64_t>(ft.ticks / kFileTimeTicksPerSecond) - kFileTimeUnixEpochSeconds);
}

timespec FileTimeToTimespec(const FileTime& ft)
{
    timespec ts{};
    ts.tv_sec = FileTimeToTimeT(ft);
    ts.tv_nsec = static_cast<long>(ft.ticks % kFileTimeTicksPerSecond * 100);
    return ts;
}

FileTime GetSystemTimeAsFileTime()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    FileTime ft;
    TimespecToFileTime(now, ft);
    return ft;
}

void GetSystemTime(SystemTime& out)
{
    FileTimeToSystemTime(GetSystemTimeAsFileTime(), out);
}

void GetLocalTime(SystemTime& out)
{
    FileTime local;
    if (!FileTimeToLocalFileTime(GetSystemTimeAsFileTime(), local))
        local = GetSystemTimeAsFileTime();
    FileTimeToSystemTime(local, out);
}

}  // namespace platform
