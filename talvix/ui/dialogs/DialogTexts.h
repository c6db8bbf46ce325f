#pragma once
#include <QString>

#include <cstdint>
#include <string>

#include "platform/FileTime.h"

class QLocale;

namespace talvix::ui::dialogtexts {

// Size as the file list shows it: "1023B", "10KB", "1MB", "???GB", or empty
// for a size the text cannot show (high half set, low half below 1 GB).
std::string FormatSize(uint32_t high, uint32_t low);

// The calendar fields of `time` (no time-zone change) as the locale's long
// date and as its time with seconds and without a zone name. False, with
// both left empty, for a time that has no calendar date.
bool LongDateAndTime(const platform::FileTime& time, const QLocale& locale, QString& date, QString& clock);

// The last component of a path whose separators are "/" or "\" (trailing
// separators are not a component): "100" for "\DCIM\100", "PICS" for
// "/home/me/PICS/"; the text itself when it has no separator.
QString LastComponent(const QString& path);

}  // namespace talvix::ui::dialogtexts
