#pragma once
#include <string>

namespace talvix {

// Maps the port numbers 1..4 to device paths. The path of port n is the
// string value "COMn" of HKEY_LOCAL_MACHINE\Software\Marlo\SELK\Ports in the
// machine registry; without one it is /dev/ttyS0 .. /dev/ttyS3.
class SerialPortMap {
public:
    // Uses the registry file at `registryPath`; empty means the default store.
    explicit SerialPortMap(std::string registryPath = {});

    static constexpr const char* kPortsKey = "HKEY_LOCAL_MACHINE\\Software\\Marlo\\SELK\\Ports";

    // Device path of port n (1..4); empty for any other number.
    std::string DevicePath(int port) const;
    // Stores the device path of port n (1..4).
    bool SetDevicePath(int port, const std::string& path) const;

    const std::string& registryPath() const { return registryPath_; }

private:
    std::string registryPath_;
};

}  // namespace talvix
