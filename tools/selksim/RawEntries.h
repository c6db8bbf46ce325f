#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace selksim {

// Card entries given byte for byte instead of coming from the host folder,
// so that a test can present names no host file could have: "..", "A/B",
// names holding a NUL byte, names far longer than a FIND reply takes.
//
// The file has one entry a line:
//   FOLDER<TAB>HEXNAME<TAB>ATTR<TAB>SIZE[<TAB>POS]
// FOLDER is a relative card path ("\" for the root, "\DCIM" or "DCIM\100"
// below it); HEXNAME the name's bytes in hexadecimal (two digits a byte, any
// byte including 00); ATTR the attribute byte and SIZE the file size (decimal
// or 0x hex); POS the index in that folder's FIND replies at which the entry
// is answered (counting the label or dot entries; default: after the host
// entries). Empty lines and lines starting with "#" are ignored.
//
// Paths are compared without regard to ASCII case. A raw entry's own path is
// its folder + "\" + its bytes; a raw entry with the folder attribute lists
// the raw entries whose FOLDER is that path.
class RawEntries {
public:
    struct Entry {
        std::string folder;  // key form: "" for the root, else "\A\B", upper-cased
        std::string name;    // the raw bytes
        uint8_t attributes = 0x20;
        uint32_t size = 0;
        int position = -1;   // -1: after the host entries
        std::string path;    // key form of folder + "\" + name
    };

    // Reads the file. False with `error` (naming the line) on a mistake.
    bool Load(const std::string& file, std::string& error);
    // The same from text (for the tests).
    bool Parse(const std::string& text, std::string& error);

    bool empty() const { return entries_.empty(); }

    // The key form of a relative card path ("\x\y\" -> "\X\Y", "\" -> "").
    static std::string Key(const std::string& relative);

    // The entries listed in a folder (key form), in file order.
    std::vector<const Entry*> In(const std::string& folderKey) const;
    // The entry whose own path is `key`, or null.
    const Entry* At(const std::string& key) const;
    // True when `key` is a raw entry's path, lies below one, or is a folder
    // that holds raw entries (at any depth).
    bool Meets(const std::string& key) const;

    // The byte at `offset` of every raw file's contents.
    static uint8_t PatternByte(uint64_t offset) { return static_cast<uint8_t>('A' + offset % 26); }

private:
    std::vector<Entry> entries_;
};

}  // namespace selksim
