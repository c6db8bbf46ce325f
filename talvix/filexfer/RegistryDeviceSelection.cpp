#include "RegistryDeviceSelection.h"

#include "talvix/serial/CSelkReg.h"

namespace talvix {

namespace {
int ReadOr(const std::string& path, const char* name, int fallback)
{
    CSelkReg reg(path);
    uint32_t value = static_cast<uint32_t>(fallback);
    if (!reg.ReadValue(CSelkReg::kSection, name, value))
        return fallback;
    return static_cast<int>(value);
}
}  // namespace

RegistryDeviceSelection::RegistryDeviceSelection(std::string registryPath) : registryPath_(std::move(registryPath)) {}

int RegistryDeviceSelection::CurrentDeviceID() const
{
    return ReadOr(registryPath_, "CurID", 0);
}

int RegistryDeviceSelection::DeviceCount() const
{
    return ReadOr(registryPath_, "DEVICES", 0);
}

int RegistryDeviceSelection::TransferRate() const
{
    const int rate = ReadOr(registryPath_, "BAUDRATE", 115200);
    switch (rate) {
    case 9600:
    case 19200:
    case 38400:
    case 57600:
    case 115200: return rate;
    default: return 115200;
    }
}

}  // namespace talvix
