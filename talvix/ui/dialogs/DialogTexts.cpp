#include "talvix/ui/dialogs/DialogTexts.h"

#include <QDate>
#include <QLocale>
#include <QTime>

namespace talvix::ui::dialogtexts {

std::string FormatSize(uint32_t high, uint32_t low)
{
    if (low >= 1073741824u)
        return "???GB";
    if (high != 0)
        return std::string();
    if (low < 1024u)
        return std::to_string(low) + "B";
    if (low < 1048576u)
        return std::to_string((low + 512u) >> 10) + "KB";
    return std::to_string((low + 524288u) >> 20) + "MB";
}

namespace {

// The locale's long time format without its time-zone part: the times shown
// are calendar fields without a zone.
QString TimeFormatWithoutZone(const QLocale& locale)
{
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
            out += c;
            continue;
        }
        if (!quoted && c == QLatin1Char('t')) {
            while (!out.isEmpty() && out.back().isSpace())
                out.chop(1);
            continue;
        }
        out += c;
    }
    return out.trimmed();
}

}  // namespace

bool LongDateAndTime(const platform::FileTime& time, const QLocale& locale, QString& date, QString& clock)
{
    date.clear();
    clock.clear();
    platform::SystemTime st;
    if (!platform::FileTimeToSystemTime(time, st))
        return false;
    const QDate d(st.wYear, st.wMonth, st.wDay);
    const QTime t(st.wHour, st.wMinute, st.wSecond);
    if (!d.isValid() || !t.isValid())
        return false;
    date = locale.toString(d, QLocale::LongFormat);
    clock = locale.toString(t, TimeFormatWithoutZone(locale));
    return true;
}

QString LastComponent(const QString& path)
{
    qsizetype end = path.size();
    while (end > 0 && (path.at(end - 1) == QLatin1Char('/') || path.at(end - 1) == QLatin1Char('\\')))
        --end;
    qsizetype start = end;
    while (start > 0 && path.at(start - 1) != QLatin1Char('/') && path.at(start - 1) != QLatin1Char('\\'))
        --start;
    if (end == 0)
        return path;  // only separators (the root): keep it as it is
    return path.mid(start, end - start);
}

}  // namespace talvix::ui::dialogtexts
