#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace platform {

// One change of an IniFile::WriteMany batch.
struct IniChange {
    enum class Kind { Write, DeleteKey, DeleteSection };

    Kind kind = Kind::Write;
    std::string section;
    std::string key;    // Write and DeleteKey
    std::string value;  // Write

    static IniChange Write(std::string section, std::string key, std::string value);
    static IniChange DeleteKey(std::string section, std::string key);
    static IniChange DeleteSection(std::string section);
};

// A settings file in the Windows initialisation-file layout, read and written
// with the rules of the private-profile functions:
//
//   [Section]
//   Key=Value
//
// Section and key names match without regard to ASCII case; names and values
// are trimmed of surrounding blanks; the first matching section and key win.
// Lines starting with ";" or "#", blank lines and lines that are neither a
// section nor a key are ignored on reading and kept as they stand on writing.
// CR LF and LF line ends are both read; a rewrite keeps the file's style.
// Nothing is cached: every call reads the file, every change rewrites it
// atomically (temp file, fsync, rename) under a lock on its folder, which
// is created when missing.
class IniFile {
public:
    // Size of the value buffer the private-profile readers use: at most
    // kBufferSize - 1 bytes of a value come back.
    static constexpr std::size_t kBufferSize = 255;

    explicit IniFile(std::string path);

    const std::string& path() const { return path_; }

    // Like GetPrivateProfileString with an empty default: true when the key
    // exists (its value may be empty). The value is cut to bufferSize - 1
    // bytes, never in the middle of a UTF-8 character. A missing or
    // unreadable file reads as missing.
    bool ReadString(const std::string& section, const std::string& key, std::string& value,
                    std::size_t bufferSize = kBufferSize) const;

    // Like WritePrivateProfileString: creates the file, the section or the key
    // as needed and replaces an existing value. False when the file cannot be
    // read or written, or a name or the value cannot be stored in the layout
    // (an empty key, a line break, "=" in a key, "]" in a section).
    bool WriteString(const std::string& section, const std::string& key, const std::string& value);

    // Removes a key or a whole section; missing ones are not an error.
    bool DeleteKey(const std::string& section, const std::string& key);
    bool DeleteSection(const std::string& section);

    // Applies the changes in order, in one locked read-modify-write of the
    // file: the result is what the same calls one by one would leave, but the
    // file is rewritten at most once. When any change would be refused (see
    // Storable) nothing is changed and the result is false; so it is when
    // the file cannot be read or written.
    bool WriteMany(const std::vector<IniChange>& changes);

    // True when WriteString / WriteMany would accept the change (names and
    // value that fit the layout); says nothing about the file.
    static bool Storable(const IniChange& change);

    // Names in file order (first spelling of each).
    std::vector<std::string> Sections() const;
    std::vector<std::string> Keys(const std::string& section) const;

private:
    std::string path_;
};

}  // namespace platform
