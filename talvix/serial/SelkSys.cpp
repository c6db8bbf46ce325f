#include "SelkSys.h"

#include <cstring>

namespace talvix {

std::atomic<bool> systemCommandBusy{false};

SelkSys::SelkSys(CSelkIO& io) : io_(io) {}

bool SelkSys::SetID(int id)
{
    if (id < 1 || id > 99)
        return false;
    currentId_ = id;
    return true;
}

bool SelkSys::Send(int id, const uint8_t command[7], int attempts)
{
    io_.SetCommand(id, command);
    return io_.TransactRetry(attempts);
}

bool SelkSys::PowerSteps(bool on, bool wait)
{
    if (!Send(currentId_, on ? kPowerOn : kPowerOff, 5))
        return false;
    if (!wait)
        return true;
    const uint8_t wanted = on ? 1 : 0;
    io_.SetCommand(currentId_, kPowerSense);
    for (int poll = 0; poll < kPowerPolls; ++poll) {
        if (!io_.TransactRetry(5))
            return false;
        if ((io_.replyFrame[4] & 0x01) == wanted)
            return true;
    }
    return false;
}

bool SelkSys::Power(bool on, bool wait)
{
    systemCommandBusy.store(true);
    const bool ok = PowerSteps(on, wait);
    systemCommandBusy.store(false);
    return ok;
}

bool SelkSys::Ping(int id)
{
    return Send(id, kInterfaceSense, 5);
}

bool SelkSys::EnsurePowerOn(int id)
{
    if (!Send(id, kInterfaceSense, 2))
        return false;
    if (io_.replyFrame[4] & 0x01)
        return true;
    if (!Send(id, kPowerSense, 5))
        return false;
    if (io_.replyFrame[4] & 0x01)
        return true;
    SetID(id);
    return Power(true, true);
}

bool SelkSys::ReadName(DeviceRecord record, int id)
{
    uint8_t* name = record.data() + 13;
    const uint8_t* parts[2] = {kName1, kName2};
    for (int part = 0; part < 2; ++part) {
        SetID(id);
        if (!Send(currentId_, parts[part], 5)) {
            if (part == 1)
                name[6] = 0;
            return false;
        }
        for (int i = 0; i < 6; ++i) {
            const uint8_t c = io_.replyFrame[4 + i];
            if (c == 0x7F) {
                name[part * 6 + i] = 0;
                return true;
            }
            name[part * 6 + i] = c;
        }
    }
    name[12] = 0;
    return true;
}

bool SelkSys::ReadDeviceInfo(DeviceRecord record)
{
    const int id = record[0];
    SetID(id);
    if (!EnsurePowerOn(id))
        return false;
    SetID(id);
    if (!Send(currentId_, kIdentity1, 5))
        return false;
    std::memcpy(record.data() + 1, io_.replyFrame + 4, 6);
    SetID(id);
    if (!Send(currentId_, kIdentity2, 5))
        return false;
    std::memcpy(record.data() + 7, io_.replyFrame + 4, 6);
    return ReadName(record, id);
}

bool SelkSys::ChangeID(int oldId, int newId)
{
    io_.SetCommand(oldId, kSetId);
    io_.commandFrame[5] = static_cast<uint8_t>(newId);
    return io_.TransactRetry(5);
}

}  // namespace talvix
