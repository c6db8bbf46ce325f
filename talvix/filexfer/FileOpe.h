#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "CFileIO.h"
#include "DeviceSelection.h"
#include "platform/FindData.h"
#include "talvix/serial/CSelkIO.h"

namespace talvix {

// Card command codes of the file-transfer mode.
enum CardCommand : uint8_t {
    CMD_NOP = 0x00,
    CMD_GET_STATUS = 0x11,
    CMD_SET_RATE = 0x13,
    CMD_END = 0x1B,
    CMD_GET_VOLUME = 0x1C,
    CMD_FORMAT = 0x1F,
    CMD_FREE_SPACE = 0x36,
    CMD_MAKE_DIR = 0x39,
    CMD_OPEN = 0x3D,
    CMD_CLOSE = 0x3E,
    CMD_READ = 0x3F,
    CMD_WRITE = 0x40,
    CMD_WRITE_DATA = 0xC0,
    CMD_DELETE = 0x41,
    CMD_SET_ATTRIBUTES = 0x43,
    CMD_FIND_FIRST = 0x4E,
    CMD_FIND_NEXT = 0x4F,
    CMD_FIND_CLOSE = 0x50,
    CMD_RENAME = 0x56,
    CMD_SET_DATE_TIME = 0x57,
    CMD_SET_VOLUME = 0x9C,
};

// OPEN modes.
constexpr uint8_t kOpenRead = 0x80;
constexpr uint8_t kOpenWrite = 0x40;

// An MS-DOS (FAT) date and time, local time.
struct DosDateTime {
    uint16_t date = 0;
    uint16_t time = 0;
};

// The card operations of the file-transfer mode, one per command, plus the
// switch into the mode and back. Paths and names are the card's CP932 bytes,
// absolute, starting with "M:\".
class FileOpe {
public:
    static constexpr size_t kVolumeRecordSize = 266;
    static constexpr size_t kFindEntryMax = 278;
    static constexpr int kDefaultAttempts = 3;
    // Wait after END when the device list does not hold exactly one device.
    static constexpr int kLeaveWaitMs = 6000;
    // Largest WRITE DATA count: the payload (count + 8) must fit in 16 bits.
    static constexpr uint32_t kMaxWriteData = 65527;

    // Creates the one CFileIO on the port of `selk`.
    FileOpe(CSelkIO& selk, const DeviceSelection& devices);
    ~FileOpe();
    FileOpe(const FileOpe&) = delete;
    FileOpe& operator=(const FileOpe&) = delete;

    // Link control.
    bool EnterTransferMode();
    bool SetTransferRate(int rate);
    bool LeaveTransferMode();

    // Card commands. Each runs ExchangeRetry with the attempt count.
    bool GetStatus();
    bool GetVolume();
    bool SetVolume(const std::string& label);
    bool Format();
    // `record` (four u32, may be null) receives the reply or zeros.
    bool GetFreeSpace(uint32_t* record);
    bool MakeDir(const std::string& path);
    bool Delete(const std::string& path);
    bool SetAttributes(uint8_t attributes, const std::string& path);
    bool Rename(const std::string& oldPath, const std::string& newPath);
    bool SetDateTime(const std::string& path, DosDateTime creation, DosDateTime lastAccess, DosDateTime lastWrite);
    // File handle, 0 when not opened. `error` becomes 0xFF when no reply was
    // accepted, the device's error value when it reports one, and is left
    // alone when the file was opened.
    uint32_t Open(const std::string& path, uint8_t mode, uint8_t& error);
    bool Close(uint32_t handle);
    // Asks for `largest` bytes at `offset`; copies the n bytes delivered to
    // image + offset and sets `count` to n. False (count untouched) when n is
    // above `largest` or above what the reply holds; false with count 0 when
    // no reply was accepted or no image was given (nothing is sent then).
    // `image` must hold offset + largest bytes.
    bool Read(uint32_t handle, uint8_t* image, uint32_t offset, uint32_t largest, uint32_t& count);
    bool WriteBegin(uint32_t handle, uint32_t start, uint32_t total);
    bool WriteData(uint32_t offset, uint32_t count, const uint8_t* bytes);
    // Search handle (1..255), 0 when nothing was found or the request failed.
    int FindFirst(uint8_t attributes, const std::string& pattern, platform::FindData* record);
    // 1: an entry was delivered; 0: no further entry; -1: the request failed.
    int FindNext(int handle, platform::FindData* record);
    bool FindClose(int handle);

    // Status bytes of the last GET STATUS (zero after a failed one).
    const std::array<uint8_t, 4>& status() const { return status_; }
    // The volume record of the last GET VOLUME: label from byte 6, ended by 0.
    const std::array<uint8_t, kVolumeRecordSize>& volumeRecord() const { return volume_; }
    // The label bytes of the volume record (CP932), "" when there is none.
    std::string VolumeLabel() const;
    // Free bytes from a free-space record: the product of its first three
    // numbers, modulo 2^32.
    static uint32_t FreeBytes(const uint32_t record[4]);
    // READ block size from status byte 3: bit 0 = 4096, else the highest of
    // bits 1..7 gives 64 << (bit - 1); 0 when no bit is set.
    static int BlockSizeFromStatus(uint8_t byte3);

    int attemptCount() const { return attempts_; }
    void SetAttemptCount(int count) { attempts_ = count < 1 ? 1 : count; }
    int BlockSize() const { return blockSize_; }
    void SetBlockSize(int size) { blockSize_ = size; }
    bool lastOutcome() const { return lastOutcome_ != 0; }
    int deviceID() const { return deviceId_; }

    CFileIO& fileIO() { return *io_; }
    CSelkIO& selk() { return selk_; }

private:
    bool Run(uint8_t command, const uint8_t* payload, size_t length);
    bool RunPath(uint8_t command, const std::string& prefix, const std::string& path);
    bool ParseFindEntry(platform::FindData* record) const;

    CSelkIO& selk_;
    const DeviceSelection& devices_;
    std::unique_ptr<CFileIO> io_;
    int deviceId_ = 0;
    std::array<uint8_t, 4> status_{};
    std::array<uint8_t, kVolumeRecordSize> volume_{};
    int attempts_ = kDefaultAttempts;
    int blockSize_ = 0;
    uint8_t lastOutcome_ = 0;
};

}  // namespace talvix
