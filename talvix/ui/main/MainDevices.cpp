#include "talvix/ui/main/MainDevices.h"

#include "talvix/serial/CSelkIO.h"
#include "talvix/serial/CSelkReg.h"
#include "talvix/serial/SelkSys.h"

namespace talvix::ui {

namespace {
int ReadInt(CSelkReg& reg, const std::string& name, int fallback)
{
    uint32_t v = 0;
    return reg.ReadValue(CSelkReg::kSection, name, v) ? static_cast<int>(v) : fallback;
}
}  // namespace

MainDevices::MainDevices(CSelkIO& selk, SelkSys& sys, std::string registryPath)
    : selk_(selk), sys_(sys), registryPath_(std::move(registryPath))
{
}

bool MainDevices::LoadDevices()
{
    CSelkReg reg(registryPath_);
    port_ = ReadInt(reg, "COM", 1);
    currentId_ = ReadInt(reg, "CurID", 0);
    rate_ = ReadInt(reg, "BAUDRATE", 115200);
    const int count = ReadInt(reg, "DEVICES", 0);
    devices_.clear();
    for (int i = 0; i < count && i < 100; ++i) {
        const int id = ReadInt(reg, "ID" + std::to_string(i), 0) & 0xFF;
        if (id >= 1 && id <= 99)
            devices_.push_back(Device{id, false});
    }
    if (currentId_ < 0 || currentId_ > 99)
        currentId_ = 0;

    selk_.Close();
    if (port_ < 1 || port_ > 4 || !selk_.Open(port_) || !selk_.Setup()) {
        selk_.Close();
        return false;
    }
    RefreshDevices();
    return true;
}

void MainDevices::RefreshDevices()
{
    for (Device& d : devices_)
        d.answered = selk_.IsOpen() && sys_.EnsurePowerOn(d.id);
}

int MainDevices::IndexOfID(int id) const
{
    for (size_t i = 0; i < devices_.size(); ++i)
        if (devices_[i].id == id)
            return static_cast<int>(i);
    return -1;
}

bool MainDevices::Usable() const
{
    if (!selk_.IsOpen() || currentId_ == 0 || devices_.empty())
        return false;
    const int index = IndexOfID(currentId_);
    return index >= 0 && devices_[static_cast<size_t>(index)].answered;
}

}  // namespace talvix::ui
