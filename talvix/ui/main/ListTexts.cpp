#include "talvix/ui/main/ListTexts.h"

#include <QDate>
#include <QLocale>
#include <QRegularExpression>
#include <QTime>

#include <cstdio>

namespace talvix::ui::listtexts {

std::string FormatSize(uint32_t high, uint32_t low)
{
    if (low >= 1073741824u)
        return "???GB";
    if (high != 0)
        return {};
    if (low < 1024u)
        return std::to_string(low) + "B";
    if (low < 1048576u)
        return std::to_string((low + 512u) >> 10) + "KB";
    return std::to_string((low + 524288u) >> 20) + "MB";
}

namespace {
std::string WithFraction(uint32_t whole, uint32_t fraction, const char* unit)
{
    char text[32];
    std::snprintf(text, sizeof text, "%u.%02u%s", whole, fraction, unit);
    return text;
}
}  // namespace

std::string FormatBytes(uint32_t n)
{
    if (n < 1024u)
        return std::to_string(n);
    if (n < 100u * 1024u)
        return WithFraction(n >> 10, (n % 1024u) / 10u, "K");
    if (n < 100u * 1048576u)
        return WithFraction(n >> 20, (n % 1048576u) / 10485u, "M");
    return WithFraction(n >> 30, (n % 1073741824u) / 10737418u, "G");
}

std::string FormatDate(const platform::FileTime& time, const QLocale& locale)
{
    platform::SystemTime s;
    if (!platform::FileTimeToSystemTime(time, s))
        return {};
    const QDate date(s.wYear, s.wMonth, s.wDay);
    const QTime clock(s.wHour, s.wMinute, s.wSecond);
    // The locale's time with seconds, without a time-zone name: the time is
    // the card's wall-clock time and belongs to no zone.
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QRegularExpression(QStringLiteral("\\s*t+")));
    const QString datePart = locale.toString(date, QLocale::ShortFormat).left(19);
    const QString timePart = locale.toString(clock, timeFormat.trimmed()).left(19);
    return (datePart + " " + timePart).toStdString();
}

int CompareItems(const SortKey& a, const SortKey& b, int sortState)
{
    if (a.folder && !b.folder)
        return -1;
    if (!a.folder && b.folder)
        return 1;
    const int d = (sortState & kSortDescending) ? -1 : 1;
    int c = 0;
    switch (sortState & 0x0F) {
    case 1: c = a.size < b.size ? -1 : (a.size > b.size ? 1 : 0); break;
    case 2: c = a.type.compare(b.type); break;
    case 3: c = a.date.compare(b.date); break;
    default: c = a.name.compare(b.name); break;
    }
    if (c < 0)
        return -d;
    if (c > 0)
        return d;
    return 0;
}

int SortStateAfterColumnClick(int sortState, int column)
{
    if ((sortState & 0x0F) == column)
        return sortState ^ kSortDescending;
    return column;
}

}  // namespace talvix::ui::listtexts
