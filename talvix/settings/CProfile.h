#pragma once
#include <string>
#include <vector>

#include "platform/IniFile.h"

namespace talvix {

// The program's settings file ("tv10.ini", Orvane's "orh10.ini"): string and
// integer values by section and key, with the private-profile rules (names
// without case, at most 254 bytes of a value, an empty value counts as
// missing). Nothing is cached; every call goes to the file.
//
// The file lies in the program folder when that folder is writable, else in
// ${XDG_CONFIG_HOME:-~/.config}/<program>/. In the second case a settings
// file that came with the program (in the program folder) is read until the
// first change, which starts the user's own file from a copy of it.
class CProfile {
public:
    // "tv10.ini" of Talvix.
    CProfile();
    // `fileName` of the program `program` (the name of its state folder).
    CProfile(const std::string& fileName, const std::string& program);

    // A settings file at an explicit place, with an optional shipped copy
    // that is read while the settings file does not exist.
    static CProfile AtPath(std::string settingsPath, std::string programFolder, std::string shippedPath = {});

    // Full path of the settings file.
    const std::string& settingsPath() const { return settingsPath_; }
    // Folder of the program file, without a trailing "/"; the tables are read from here.
    const std::string& programFolder() const { return programFolder_; }

    // True when the key has a value of at least one character.
    bool ReadString(const std::string& section, const std::string& key, std::string& text) const;
    // True when the value is found and is a decimal integer (with an optional
    // sign) that fits 32 bits; any other value reads as missing.
    bool ReadInt(const std::string& section, const std::string& key, int& value) const;

    // Creates the file, the section or the key as needed; false when the file
    // cannot be written.
    bool WriteString(const std::string& section, const std::string& key, const std::string& text);
    bool WriteInt(const std::string& section, const std::string& key, int value);

    // Several writes and deletions in one rewrite of the file, with the
    // result the same calls one by one would leave. False, with the file as
    // it was, when any change is refused or the file cannot be written.
    bool WriteMany(const std::vector<platform::IniChange>& changes);

private:
    CProfile(std::string settingsPath, std::string programFolder, std::string shippedPath);

    // The file to read from: the settings file, or the shipped copy while
    // the settings file does not exist yet.
    std::string ReadPath() const;
    // Before the first change of a user's own file: starts it from the
    // shipped copy. False when that copy exists but cannot be taken over.
    bool SeedFromShipped();

    std::string settingsPath_;
    std::string programFolder_;
    std::string shippedPath_;  // empty when the settings file is in the program folder
};

}  // namespace talvix
