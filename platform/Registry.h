#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// Value types, numbered as the Windows registry numbers them.
enum RegType : uint32_t {
    REG_NONE = 0,
    REG_SZ = 1,
    REG_EXPAND_SZ = 2,
    REG_BINARY = 3,
    REG_DWORD = 4,
};

struct RegValue {
    uint32_t type = REG_NONE;
    std::vector<uint8_t> data;  // raw bytes as stored; REG_DWORD is 4 bytes little-endian
};

// One change of a Registry::Apply batch.
struct RegChange {
    enum class Kind { CreateKey, DeleteKey, SetValue, DeleteValue };

    Kind kind = Kind::SetValue;
    std::string key;
    std::string name;  // SetValue and DeleteValue
    RegValue value;    // SetValue

    static RegChange CreateKey(std::string key);
    static RegChange DeleteKey(std::string key);
    static RegChange SetValue(std::string key, std::string name, RegValue value);
    static RegChange SetDword(std::string key, std::string name, uint32_t value);
    static RegChange SetString(std::string key, std::string name, const std::string& value);
    static RegChange DeleteValue(std::string key, std::string name);
};

// The machine-wide registry as one text file in the REGEDIT4 layout:
//
//   REGEDIT4
//
//   [HKEY_LOCAL_MACHINE\Software\Marlo\SELK\INIT]
//   "COM"=dword:00000001
//   "Name"="text"
//   "Raw"=hex(1):41,42,43
//
// Key paths are full paths starting with the root ("HKEY_LOCAL_MACHINE\...")
// and compare without regard to ASCII case. Nothing is cached: every call
// reads the file again, and every change rewrites it atomically (temporary
// file, fsync, rename) while holding an exclusive flock on a lock file beside
// it, so two processes never lose each other's changes. Lines the store does
// not understand are kept as they stand when it rewrites the file. Calls never
// throw and never show anything; failures come back as false / nullopt.
class Registry {
public:
    // Uses `path` as the store; an empty path means DefaultPath().
    explicit Registry(std::string path = {});

    // $MARLO_REGISTRY when set and not empty, else
    // ${XDG_CONFIG_HOME:-$HOME/.config}/marlo/machine.reg.
    static std::string DefaultPath();

    const std::string& path() const { return path_; }

    bool CreateKey(const std::string& key);
    bool KeyExists(const std::string& key) const;
    // Removes the key with all its values and subkeys. A missing key is not an error.
    bool DeleteKey(const std::string& key);

    // Creates the key when needed and stores the value, replacing one of the same name.
    bool SetValue(const std::string& key, const std::string& name, const RegValue& value);
    bool SetDword(const std::string& key, const std::string& name, uint32_t value);
    bool SetString(const std::string& key, const std::string& name, const std::string& value);

    std::optional<RegValue> GetValue(const std::string& key, const std::string& name) const;
    // A REG_DWORD, or any value of exactly 4 bytes, as its little-endian number.
    std::optional<uint32_t> GetDword(const std::string& key, const std::string& name) const;
    // A REG_SZ / REG_EXPAND_SZ, or any value, as text up to its first NUL.
    std::optional<std::string> GetString(const std::string& key, const std::string& name) const;

    // Removes one value. A missing key or value is not an error (returns true)
    // unless the file cannot be read or written.
    bool DeleteValue(const std::string& key, const std::string& name);

    // Applies the changes in order under one lock with at most one rewrite
    // of the file; the file ends as the same calls one by one would leave it.
    // When any change would be refused (a key path or value name that cannot
    // be stored) nothing is changed and the result is false. When no change
    // would alter anything, the file is neither locked nor rewritten.
    bool Apply(const std::vector<RegChange>& changes);

    // Names of the values and of the direct subkeys of a key, in file order.
    std::vector<std::string> ValueNames(const std::string& key) const;
    std::vector<std::string> SubKeys(const std::string& key) const;

private:
    std::string path_;
};

}  // namespace platform
