#include "DeviceEntry.h"

namespace talvix::ui {

std::string DeviceEntry::name() const
{
    // The name field starts at offset 13 and holds at most 12 bytes before
    // its terminating zero; a record read part-way may lack the zero.
    constexpr size_t kNameOffset = 13;
    constexpr size_t kNameMax = 12;
    std::string text;
    for (size_t i = 0; i < kNameMax && record[kNameOffset + i] != 0; ++i)
        text += static_cast<char>(record[kNameOffset + i]);
    return text;
}

}  // namespace talvix::ui
