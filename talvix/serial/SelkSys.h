#pragma once
#include <atomic>
#include <cstdint>
#include <span>

#include "CSelkIO.h"

namespace talvix {

// Set while a power command runs; the SELK monitor does not send meanwhile
// and raises it itself while it sends.
extern std::atomic<bool> systemCommandBusy;

// Size of a device record: ID, two 6-byte identity parts, 13-byte name field.
constexpr size_t kDeviceRecordSize = 26;
using DeviceRecord = std::span<uint8_t, kDeviceRecordSize>;

// The device commands used to find and prepare devices.
class SelkSys {
public:
    // Seven-byte command constants (the code, then zeros).
    static constexpr uint8_t kPowerOn[7] = {0x3E, 0x40, 0x70, 0, 0, 0, 0};
    static constexpr uint8_t kPowerOff[7] = {0x3E, 0x40, 0x60, 0, 0, 0, 0};
    static constexpr uint8_t kPowerSense[7] = {0x3E, 0x4E, 0x20, 0, 0, 0, 0};
    static constexpr uint8_t kInterfaceSense[7] = {0x7C, 0x4E, 0x20, 0, 0, 0, 0};
    static constexpr uint8_t kIdentity1[7] = {0x7C, 0x49, 0, 0, 0, 0, 0};
    static constexpr uint8_t kIdentity2[7] = {0x7C, 0x45, 0, 0, 0, 0, 0};
    static constexpr uint8_t kName1[7] = {0x7C, 0x4C, 0, 0, 0, 0, 0};
    static constexpr uint8_t kName2[7] = {0x7C, 0x4D, 0, 0, 0, 0, 0};
    static constexpr uint8_t kSetId[7] = {0x7C, 0x41, 0xFF, 0, 0, 0, 0};

    // Polls of the power sense before a switch is given up.
    static constexpr int kPowerPolls = 202;

    explicit SelkSys(CSelkIO& io);

    // Makes `id` current when it is 1..99.
    bool SetID(int id);
    int currentID() const { return currentId_; }

    bool Power(bool on, bool wait);
    bool ReadDeviceInfo(DeviceRecord record);
    bool Ping(int id);
    bool EnsurePowerOn(int id);
    bool ChangeID(int oldId, int newId);

private:
    bool Send(int id, const uint8_t command[7], int attempts);
    bool ReadName(DeviceRecord record, int id);
    bool PowerSteps(bool on, bool wait);

    CSelkIO& io_;
    int currentId_ = 0;
};

}  // namespace talvix
