#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "RawEntries.h"
#include "SimOptions.h"

namespace selksim {

class FrameLog;

// Reply codes of the file-transfer frames.
constexpr uint8_t kXferAccepted = 0x06;
constexpr uint8_t kXferRefused = 0x15;

// The memory card of a device, backed by a host folder, answering the card
// commands of the file-transfer mode.
//
// Host names appear as CP932 8.3 names: a name that is a valid 8.3 name is
// shown upper-cased, any other gets its alias (MYPHOT~1.JPG). Names the PC
// creates are stored on the host as the UTF-8 form of the CP932 bytes sent.
// Attributes are kept per entry while the emulator runs: folders 0x10, files
// 0x20, read-only when the owner write bit is clear, hidden for host names
// starting with ".", system for names ending in ".SYS" (any case). Times
// are the host modification times as local DOS date and time. The root
// lists the volume label as an entry; subfolders list "." and "..".
// Entries of the device's raw entry file (see RawEntries) are listed, opened
// and read besides the host entries, and no command changes them.
class SimCard {
public:
    SimCard(const DeviceSetup& setup, FrameLog& log);
    ~SimCard();
    SimCard(const SimCard&) = delete;
    SimCard& operator=(const SimCard&) = delete;

    // Checks the backing folder. False with `error` when it is unusable.
    bool Load(std::string& error);

    // Answers one request: sets the reply code and payload.
    void Handle(uint8_t command, const uint8_t* payload, size_t length, uint8_t& replyCode,
                std::vector<uint8_t>& reply);

    // A card entry as the device reports it.
    struct Entry {
        std::string cardName;  // CP932
        std::string hostPath;  // empty for the label and the dot entries
        uint8_t attributes = 0;
        uint16_t date = 0, time = 0;
        uint32_t size = 0;
    };

private:
    struct OpenFile {
        std::string hostPath;
        int fd = -1;
        bool write = false;
        bool raw = false;    // a raw entry: reads give its pattern bytes
        uint32_t size = 0;   // the raw entry's size
    };
    struct Search {
        std::vector<Entry> entries;
        size_t next = 0;
    };

    bool Usable() const;
    bool Locked() const;
    // Resolves a card path ("M:\A\B.JPG") to a host path. With `mayBeNew`
    // the last part need not exist. False for anything outside the card.
    bool Resolve(const std::string& cardPath, bool mayBeNew, std::string& hostPath, bool& exists) const;
    std::vector<Entry> List(const std::string& hostFolder, bool root) const;
    Entry Describe(const std::string& hostPath, const std::string& cardName) const;
    uint8_t AttributesOf(const std::string& hostPath) const;
    void Refuse(uint8_t& code, std::vector<uint8_t>& reply, uint8_t why) const;
    // The key of a card path ("M:\A\B") for the raw entries; false when it
    // does not start with the drive.
    static bool RawKey(const std::string& cardPath, std::string& key);
    // True (and logged) when a changing command names a path that is, lies
    // below or holds a raw entry.
    bool MeetsRaw(const char* command, const std::string& cardPath) const;
    void AddRawEntries(const std::string& folderKey, const std::string& mask, std::vector<Entry>& entries) const;

    void FindFirst(const uint8_t* p, size_t n, uint8_t& code, std::vector<uint8_t>& reply);
    void FindNext(const uint8_t* p, size_t n, uint8_t& code, std::vector<uint8_t>& reply);
    void OpenCmd(const uint8_t* p, size_t n, uint8_t& code, std::vector<uint8_t>& reply);
    void ReadCmd(const uint8_t* p, size_t n, uint8_t& code, std::vector<uint8_t>& reply);

    DeviceSetup setup_;
    FrameLog& log_;
    std::string root_;
    std::string label_;
    RawEntries raw_;
    bool formatted_ = true;
    std::map<std::string, uint8_t> attributes_;  // by host path, once known or set
    std::map<uint32_t, OpenFile> files_;
    uint32_t nextHandle_ = 1;
    uint32_t writeHandle_ = 0;  // the handle of the last WRITE
    std::map<int, Search> searches_;
};

}  // namespace selksim
