#pragma once
#include <string>

#include "DeviceSelection.h"

namespace talvix {

// The device selection as the device dialog last stored it in the registry
// (section INIT: "CurID", "DEVICES", "BAUDRATE"; defaults 0, 0, 115200).
// Read on every call.
class RegistryDeviceSelection : public DeviceSelection {
public:
    explicit RegistryDeviceSelection(std::string registryPath = {});
    int CurrentDeviceID() const override;
    int DeviceCount() const override;
    int TransferRate() const override;

private:
    std::string registryPath_;
};

}  // namespace talvix
