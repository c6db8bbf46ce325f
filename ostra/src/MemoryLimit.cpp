#include "MemoryLimit.h"

#include <cstdio>
#include <unistd.h>

namespace ostra {
namespace {

// The machine's memory, and never more than a pointer difference can span.
uint64_t PhysicalLimit()
{
    uint64_t limit = uint64_t(PTRDIFF_MAX);
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0 && uint64_t(pages) <= limit / uint64_t(pageSize)) {
        limit = uint64_t(pages) * uint64_t(pageSize);
    }
    return limit;
}

// The value in kB of the line "name: value kB", or -1 when there is none.
int64_t FieldKilobytes(std::string_view text, std::string_view name)
{
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view line = text.substr(at, end - at);
        if (line.size() > name.size() && line.substr(0, name.size()) == name && line[name.size()] == ':') {
            int64_t value = 0;
            bool digits = false;
            for (size_t i = name.size() + 1; i < line.size(); ++i) {
                const char ch = line[i];
                if (ch >= '0' && ch <= '9') {
                    if (value > (INT64_MAX - 9) / 10) {
                        return -1;
                    }
                    value = value * 10 + (ch - '0');
                    digits = true;
                } else if (digits) {
                    break;
                }
            }
            return digits ? value : -1;
        }
        at = end + 1;
    }
    return -1;
}

uint64_t AvailableNow()
{
    FILE* file = std::fopen("/proc/meminfo", "r");
    if (file == nullptr) {
        return 0;
    }
    char text[8192];
    const size_t length = std::fread(text, 1, sizeof text, file);
    std::fclose(file);
    return MemoryLimit::AvailableFromMeminfo(std::string_view(text, length));
}

}  // namespace

uint64_t MemoryLimit::AvailableFromMeminfo(std::string_view text)
{
    const int64_t available = FieldKilobytes(text, "MemAvailable");
    if (available < 0) {
        return 0;
    }
    const int64_t swap = FieldKilobytes(text, "SwapFree");
    const uint64_t kilobytes = uint64_t(available) + uint64_t(swap > 0 ? swap : 0);
    return kilobytes > UINT64_MAX / 1024 ? UINT64_MAX : kilobytes * 1024;
}

bool MemoryLimit::Fits(uint64_t bytes)
{
    const uint64_t physical = PhysicalLimit();
    if (bytes > physical) {
        return false;
    }
    // Small calls are served without asking; a large one must fit in what
    // is free at the moment.
    if (bytes <= physical / 16) {
        return true;
    }
    const uint64_t available = AvailableNow();
    return available == 0 || bytes <= available;
}

}  // namespace ostra
