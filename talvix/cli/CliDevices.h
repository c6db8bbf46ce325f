#pragma once
#include "talvix/filexfer/DeviceSelection.h"

namespace talvix {

// The device tvcard works with: from the command line or the registry.
class CliDevices : public DeviceSelection {
public:
    CliDevices(int id, int count, int rate) : id_(id), count_(count), rate_(rate) {}
    int CurrentDeviceID() const override { return id_; }
    int DeviceCount() const override { return count_; }
    int TransferRate() const override { return rate_; }

private:
    int id_;
    int count_;
    int rate_;
};

}  // namespace talvix
