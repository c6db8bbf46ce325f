#pragma once

namespace talvix {

// What the file-transfer layer needs from the device selection: the device
// to switch over, how many devices the list holds, and the transfer rate.
// The device dialog implements it in the program; the command-line tool
// reads the same values from the registry (RegistryDeviceSelection).
class DeviceSelection {
public:
    virtual ~DeviceSelection() = default;
    // ID 1..99 of the current device, 0 for none.
    virtual int CurrentDeviceID() const = 0;
    // Number of devices in the committed list.
    virtual int DeviceCount() const = 0;
    // Rate for file-transfer mode: 115200, 57600, 38400, 19200 or 9600.
    virtual int TransferRate() const = 0;
};

}  // namespace talvix
