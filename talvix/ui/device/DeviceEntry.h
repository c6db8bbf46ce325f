#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "talvix/serial/SelkSys.h"

namespace talvix::ui {

// One entry of the device dialog's lists: the device record (ID, two
// identity parts, name) and whether the device answered and was on at the
// last check.
struct DeviceEntry {
    std::array<uint8_t, kDeviceRecordSize> record{};
    uint8_t answered = 0;

    int id() const { return record[0]; }
    // Category code (first identity byte): 1 VCR, 3 VDP, 7 camcorder, 9 VCP, 34 printer.
    int category() const { return record[1]; }
    // The device name (up to 12 bytes, ended by a zero byte).
    std::string name() const;
    DeviceRecord Record() { return DeviceRecord(record); }
};

}  // namespace talvix::ui
