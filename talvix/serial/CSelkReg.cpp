#include "CSelkReg.h"

#include <cstring>

#include "platform/Registry.h"

namespace talvix {

CSelkReg::CSelkReg(std::string registryPath) : registryPath_(std::move(registryPath)) {}

bool CSelkReg::WriteValue(const std::string& section, const std::string& name, int32_t value)
{
    lastKey_ = kBaseKey + section;
    platform::Registry reg(registryPath_);
    const bool ok = reg.SetDword(lastKey_, name, static_cast<uint32_t>(value));
    lastResult_ = ok ? 0 : 1;
    return ok;
}

bool CSelkReg::ReadValue(const std::string& section, const std::string& name, uint32_t& value)
{
    lastKey_ = kBaseKey + section;
    platform::Registry reg(registryPath_);
    const auto stored = reg.GetValue(lastKey_, name);
    if (!stored || stored->data.size() > 4) {
        lastResult_ = 1;
        return false;
    }
    uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                        static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    std::memcpy(bytes, stored->data.data(), stored->data.size());
    value = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
            static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    lastResult_ = 0;
    return true;
}

void CSelkReg::DeleteValue(const std::string& section, const std::string& name)
{
    lastKey_ = kBaseKey + section;
    platform::Registry reg(registryPath_);
    lastResult_ = reg.DeleteValue(lastKey_, name) ? 0 : 1;
}

}  // namespace talvix
