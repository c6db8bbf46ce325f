#pragma once
#include <compare>
#include <cstdint>
#include <ctime>

namespace platform {

// A point in time as a count of 100-nanosecond intervals since 1601-01-01.
// Times of PC files are UTC; times taken from a card are the card's local
// wall-clock time stored unconverted (the same type, another meaning).
struct FileTime {
    uint64_t ticks = 0;

    uint32_t Low() const { return static_cast<uint32_t>(ticks); }
    uint32_t High() const { return static_cast<uint32_t>(ticks >> 32); }
    static FileTime FromParts(uint32_t low, uint32_t high)
    {
        return FileTime{(static_cast<uint64_t>(high) << 32) | low};
    }

    friend auto operator<=>(const FileTime&, const FileTime&) = default;
};

// Calendar fields of a time, without any time zone.
struct SystemTime {
    uint16_t wYear = 0;          // 1601..30827
    uint16_t wMonth = 0;         // 1..12
    uint16_t wDayOfWeek = 0;     // 0 = Sunday; ignored on input
    uint16_t wDay = 0;           // 1..31
    uint16_t wHour = 0;          // 0..23
    uint16_t wMinute = 0;        // 0..59
    uint16_t wSecond = 0;        // 0..59
    uint16_t wMilliseconds = 0;  // 0..999

    friend bool operator==(const SystemTime&, const SystemTime&) = default;
};

constexpr uint64_t kFileTimeTicksPerSecond = 10'000'000;
// Seconds from 1601-01-01 to the Unix epoch 1970-01-01.
constexpr int64_t kFileTimeUnixEpochSeconds = 11'644'473'600;

// -1, 0 or 1 as a is earlier than, equal to or later than b.
int CompareFileTime(const FileTime& a, const FileTime& b);

// MS-DOS (FAT) date and time: date = (year - 1980) << 9 | month << 5 | day,
// time = hour << 11 | minute << 5 | seconds / 2. No time-zone change either way.
// DosDateTimeToFileTime refuses impossible fields (month 0, 31 February, hour 24,
// 60 seconds, ...) and then leaves `out` as it was.
bool DosDateTimeToFileTime(uint16_t fatDate, uint16_t fatTime, FileTime& out);
// Seconds are cut down to the even second below. Refuses times before 1980
// or after 2107 (the years a DOS date can hold); outputs are then untouched.
bool FileTimeToDosDateTime(const FileTime& in, uint16_t& fatDate, uint16_t& fatTime);

// Calendar fields of a file time and back, without time-zone change.
// FileTimeToSystemTime refuses times at or above 2^63 ticks;
// SystemTimeToFileTime refuses fields out of range (wDayOfWeek is ignored).
bool FileTimeToSystemTime(const FileTime& in, SystemTime& out);
bool SystemTimeToFileTime(const SystemTime& in, FileTime& out);

// UTC <-> local wall-clock time of the process's time zone (TZ), with the
// offset in force at that moment (so a summer date gets the summer offset
// even in winter). A local time that falls into the hour skipped when
// clocks go forward is read with the offset in force before the change; one
// that occurs twice when clocks go back is taken as its first occurrence.
bool FileTimeToLocalFileTime(const FileTime& utc, FileTime& local);
bool LocalFileTimeToFileTime(const FileTime& local, FileTime& utc);

// POSIX time <-> file time. Times before 1601 are refused (false).
bool TimeTToFileTime(time_t t, FileTime& out);
bool TimespecToFileTime(const timespec& ts, FileTime& out);
time_t FileTimeToTimeT(const FileTime& ft);          // whole seconds, rounded down
timespec FileTimeToTimespec(const FileTime& ft);

// The current time: UTC as a file time, and as calendar fields in UTC and in
// local time.
FileTime GetSystemTimeAsFileTime();
void GetSystemTime(SystemTime& out);
void GetLocalTime(SystemTime& out);

}  // namespace platform
