#pragma once
#include "platform/FileTime.h"

#include <cstdint>
#include <string>

class QLocale;

namespace talvix::ui {

// The texts of the file list and the status bar, and the order of the list.
namespace listtexts {

// Size column: "1023B", "1KB", "1MB", "???GB", or empty for sizes the column
// cannot show (high half set, low half below 1 GB).
std::string FormatSize(uint32_t high, uint32_t low);

// Status bar byte count: "1023", "1.51K", "0.09M", "1.102K".
std::string FormatBytes(uint32_t n);

// Date column: the stored time's calendar fields unchanged, as the locale's
// short date, a blank and the locale's time.
std::string FormatDate(const platform::FileTime& time, const QLocale& locale);

// One row as the sort sees it.
struct SortKey {
    bool folder = false;
    std::string name;
    uint64_t size = 0;
    std::string type;
    std::string date;
};

constexpr int kSortDescending = 128;

// -1, 0 or 1 for the sort state (low 4 bits: column 0 name, 1 size, 2 type,
// 3 date; bit 128 descending). Folders stand before files either way.
int CompareItems(const SortKey& a, const SortKey& b, int sortState);

// The sort state after a click on column `column`.
int SortStateAfterColumnClick(int sortState, int column);

}  // namespace listtexts
}  // namespace talvix::ui
