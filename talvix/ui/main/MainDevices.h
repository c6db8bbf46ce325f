#pragma once
#include "talvix/filexfer/DeviceSelection.h"

#include <string>
#include <vector>

namespace talvix {
class CSelkIO;
class SelkSys;
}

namespace talvix::ui {

// The main window's view of the device setup: the port, the known devices
// and the current one as the device dialog stored them in the registry, and
// which devices answered. Before every card operation the window loads them
// (opening the saved port and asking each device) and checks that the
// current device is usable.
class MainDevices : public DeviceSelection {
public:
    struct Device {
        int id = 0;
        bool answered = false;
    };

    MainDevices(CSelkIO& selk, SelkSys& sys, std::string registryPath = {});

    // Reads the registry, opens the saved port and asks every known device
    // whether it answers. False when the port cannot be opened.
    bool LoadDevices();
    // Asks every known device once more.
    void RefreshDevices();
    // Position of `id` in the device list, -1 when it is not there.
    int IndexOfID(int id) const;
    // The port is open, a current device is set, the list is not empty and
    // the current device is in it and answered.
    bool Usable() const;

    int CurrentDeviceID() const override { return currentId_; }
    int DeviceCount() const override { return static_cast<int>(devices_.size()); }
    int TransferRate() const override { return rate_; }
    int PortNumber() const { return port_; }
    const std::vector<Device>& Devices() const { return devices_; }

private:
    CSelkIO& selk_;
    SelkSys& sys_;
    std::string registryPath_;
    int port_ = 0;
    int currentId_ = 0;
    int rate_ = 115200;
    std::vector<Device> devices_;
};

}  // namespace talvix::ui
