#include "SerialPortMap.h"

#include "platform/Registry.h"

namespace talvix {

SerialPortMap::SerialPortMap(std::string registryPath) : registryPath_(std::move(registryPath)) {}

std::string SerialPortMap::DevicePath(int port) const
{
    if (port < 1 || port > 4)
        return {};
    platform::Registry reg(registryPath_);
    const auto value = reg.GetString(kPortsKey, "COM" + std::to_string(port));
    if (value && !value->empty())
        return *value;
    return "/dev/ttyS" + std::to_string(port - 1);
}

bool SerialPortMap::SetDevicePath(int port, const std::string& path) const
{
    if (port < 1 || port > 4)
        return false;
    platform::Registry reg(registryPath_);
    return reg.SetString(kPortsKey, "COM" + std::to_string(port), path);
}

}  // namespace talvix
