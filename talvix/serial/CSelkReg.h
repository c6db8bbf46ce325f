#pragma once
#include <cstdint>
#include <string>

namespace talvix {

// The serial-link setup kept in the machine registry under
// HKEY_LOCAL_MACHINE\Software\Marlo\SELK\<section>: port, devices, current
// device, transfer rate. Every value is a 32-bit number; nothing is cached.
class CSelkReg {
public:
    static constexpr const char* kBaseKey = "HKEY_LOCAL_MACHINE\\Software\\Marlo\\SELK\\";
    static constexpr const char* kSection = "INIT";

    // Uses the registry file at `registryPath`; empty means the default store.
    explicit CSelkReg(std::string registryPath = {});

    // Stores the value as REG_DWORD, creating the section's key when needed.
    bool WriteValue(const std::string& section, const std::string& name, int32_t value);
    // Reads a value of at most 4 bytes (of any type) into `value`: its bytes
    // replace the low bytes of `value`, little-endian. Longer values fail.
    bool ReadValue(const std::string& section, const std::string& name, uint32_t& value);
    // Removes a value; a missing one is not an error.
    void DeleteValue(const std::string& section, const std::string& name);

    // Key path used by the last call and whether that call worked (0 = yes).
    const std::string& lastKey() const { return lastKey_; }
    int lastResult() const { return lastResult_; }

private:
    std::string registryPath_;
    std::string lastKey_;
    int lastResult_ = 0;
};

}  // namespace talvix
