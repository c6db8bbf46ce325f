#include "FileOpe.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/FileTime.h"
#include "platform/Pump.h"

namespace talvix {

namespace {

void PutU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutU16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

uint32_t GetU32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

uint16_t GetU16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

// SELK commands of the switch into file-transfer mode.
constexpr uint8_t kPrepare[7] = {0x7C, 0x56, 0x70, 0, 0, 0, 0};
constexpr uint8_t kOutput[7] = {0x7C, 0x4F, 0x01, 0, 0, 0, 0};
constexpr uint8_t kProtocol[7] = {0x7C, 0x70, 'S', 'X', 'F', 'P', '1'};

}  // namespace

FileOpe::FileOpe(CSelkIO& selk, const DeviceSelection& devices)
    : selk_(selk), devices_(devices), io_(std::make_unique<CFileIO>(selk))
{
}

FileOpe::~FileOpe() = default;

bool FileOpe::EnterTransferMode()
{
    deviceId_ = devices_.CurrentDeviceID();
    selk_.SetCommand(deviceId_, kPrepare);
    if (!selk_.TransactRetry(3))
        return false;
    selk_.SetCommand(127, kOutput);
    selk_.commandFrame[5] = 0x03;
    if (selk_.Transact() != SELK_OK)
        return false;
    selk_.SetCommand(deviceId_, kProtocol);
    if (!selk_.TransactRetry(3))
        return false;
    selk_.SetReadTimeout(2000);
    platform::PumpSleep(50);
    return true;
}

bool FileOpe::SetTransferRate(int rate)
{
    std::vector<uint8_t> payload;
    PutU32(payload, static_cast<uint32_t>(rate));
    if (!Run(CMD_SET_RATE, payload.data(), payload.size()))
        return false;
    return selk_.SetBaudRate(rate);
}

bool FileOpe::LeaveTransferMode()
{
    io_->BuildRequest(CMD_END);
    const bool ended = io_->ExchangeRetry(3);
    lastOutcome_ = ended;
    selk_.SetReadTimeout(80);
    if (devices_.DeviceCount() != 1)
        platform::PumpSleep(kLeaveWaitMs);
    if (!selk_.SetBaudRate(9600))
        return false;
    return ended;
}

bool FileOpe::Run(uint8_t command, const uint8_t* payload, size_t length)
{
    if (length > 0xFFFF) {
        lastOutcome_ = 0;
        return false;
    }
    io_->BuildRequest(command, payload, static_cast<uint16_t>(length));
    const bool ok = io_->ExchangeRetry(attempts_);
    lastOutcome_ = ok;
    return ok;
}

bool FileOpe::RunPath(uint8_t command, const std::string& prefix, const std::string& path)
{
    std::vector<uint8_t> payload(prefix.begin(), prefix.end());
    payload.insert(payload.end(), path.begin(), path.end());
    return Run(command, payload.data(), payload.size());
}

bool FileOpe::GetStatus()
{
    const bool ok = Run(CMD_GET_STATUS, nullptr, 0) && io_->replyPayloadLength() >= 4;
    if (ok)
        std::memcpy(status_.data(), io_->reply() + 4, 4);
    else
        status_.fill(0);
    return ok;
}

bool FileOpe::GetVolume()
{
    // A reply is taken when it holds at least the six leading bytes; the
    // label follows and ends at the first 0x03 (the frame's own end byte when
    // nothing else comes first).
    const bool ok = Run(CMD_GET_VOLUME, nullptr, 0) && io_->replyPayloadLength() >= 6;
    if (!ok) {
        volume_.fill(0);
        return false;
    }
    std::memcpy(volume_.data(), io_->reply() + 4, kVolumeRecordSize);
    for (size_t i = 6; i < kVolumeRecordSize; ++i) {
        if (volume_[i] == 0x03) {
            volume_[i] = 0;
            break;
        }
    }
    return true;
}

std::string FileOpe::VolumeLabel() const
{
    std::string label;
    for (size_t i = 6; i < kVolumeRecordSize && volume_[i] != 0; ++i)
        label += static_cast<char>(volume_[i]);
    return label;
}

bool FileOpe::SetVolume(const std::string& label)
{
    return RunPath(CMD_SET_VOLUME, {}, label);
}

bool FileOpe::Format()
{
    return Run(CMD_FORMAT, nullptr, 0);
}

uint32_t FileOpe::FreeBytes(const uint32_t record[4])
{
    return record[0] * record[1] * record[2];
}

bool FileOpe::GetFreeSpace(uint32_t* record)
{
    const bool ok = Run(CMD_FREE_SPACE, nullptr, 0) && io_->replyPayloadLength() >= 16;
    if (record) {
        for (int i = 0; i < 4; ++i)
            record[i] = ok ? GetU32(io_->reply() + 4 + 4 * i) : 0;
    }
    return ok;
}

bool FileOpe::MakeDir(const std::string& path)
{
    return RunPath(CMD_MAKE_DIR, {}, path);
}

bool FileOpe::Delete(const std::string& path)
{
    return RunPath(CMD_DELETE, {}, path);
}

bool FileOpe::SetAttributes(uint8_t attributes, const std::string& path)
{
    return RunPath(CMD_SET_ATTRIBUTES, std::string(1, static_cast<char>(attributes)), path);
}

bool FileOpe::Rename(const std::string& oldPath, const std::string& newPath)
{
    return RunPath(CMD_RENAME, oldPath + std::string(1, '\0'), newPath);
}

bool FileOpe::SetDateTime(const std::string& path, DosDateTime creation, DosDateTime lastAccess,
                          DosDateTime lastWrite)
{
    std::vector<uint8_t> payload;
    for (const DosDateTime& dt : {creation, lastAccess, lastWrite}) {
        PutU16(payload, dt.date);
        PutU16(payload, dt.time);
    }
    payload.insert(payload.end(), path.begin(), path.end());
    return Run(CMD_SET_DATE_TIME, payload.data(), payload.size());
}

uint32_t FileOpe::Open(const std::string& path, uint8_t mode, uint8_t& error)
{
    std::string prefix = {'\0', static_cast<char>(mode)};
    if (!RunPath(CMD_OPEN, prefix, path) || io_->replyPayloadLength() < 1) {
        error = 0xFF;
        return 0;
    }
    const uint8_t* p = io_->reply() + 4;
    if (p[0] != 0) {
        error = p[0];
        return 0;
    }
    if (io_->replyPayloadLength() < 5) {
        // "Opened" without a handle: nothing usable came back.
        error = 0xFF;
        return 0;
    }
    return GetU32(p + 1);
}

bool FileOpe::Close(uint32_t handle)
{
    std::vector<uint8_t> payload;
    PutU32(payload, handle);
    return Run(CMD_CLOSE, payload.data(), payload.size());
}

bool FileOpe::Read(uint32_t handle, uint8_t* image, uint32_t offset, uint32_t largest, uint32_t& count)
{
    if (image == nullptr) {  // nowhere to put the bytes: nothing is asked for
        lastOutcome_ = 0;
        count = 0;
        return false;
    }
    std::vector<uint8_t> payload;
    PutU32(payload, handle);
    PutU32(payload, offset);
    PutU32(payload, largest);
    if (!Run(CMD_READ, payload.data(), payload.size())) {
        count = 0;
        return false;
    }
    const size_t length = io_->replyPayloadLength();
    if (length < 8)
        return false;
    const uint32_t n = GetU32(io_->reply() + 8);
    if (n > largest || n > length - 8)
        return false;
    if (n > 0)
        std::memcpy(image + offset, io_->reply() + 12, n);
    count = n;
    return true;
}

bool FileOpe::WriteBegin(uint32_t handle, uint32_t start, uint32_t total)
{
    std::vector<uint8_t> payload;
    PutU32(payload, handle);
    PutU32(payload, start);
    PutU32(payload, total);
    return Run(CMD_WRITE, payload.data(), payload.size());
}

bool FileOpe::WriteData(uint32_t offset, uint32_t count, const uint8_t* bytes)
{
    if (count > kMaxWriteData || (count > 0 && bytes == nullptr)) {
        lastOutcome_ = 0;
        return false;
    }
    std::vector<uint8_t> payload;
    payload.reserve(count + 8);
    PutU32(payload, offset);
    PutU32(payload, count);
    payload.insert(payload.end(), bytes, bytes + count);
    return Run(CMD_WRITE_DATA, payload.data(), payload.size());
}

bool FileOpe::ParseFindEntry(platform::FindData* record) const
{
    // Work on at most 278 payload bytes; what the payload lacks reads as 0.
    const size_t length = std::min<size_t>(io_->replyPayloadLength(), kFindEntryMax);
    uint8_t entry[kFindEntryMax] = {};
    std::memcpy(entry, io_->reply() + 4, length);

    *record = platform::FindData{};
    record->dwFileAttributes = entry[1];
    platform::FileTime ft;
    if (platform::DosDateTimeToFileTime(GetU16(entry + 2), GetU16(entry + 4), ft))
        record->ftCreationTime = ft;
    ft = {};
    if (platform::DosDateTimeToFileTime(GetU16(entry + 6), GetU16(entry + 8), ft))
        record->ftLastAccessTime = ft;
    ft = {};
    if (platform::DosDateTimeToFileTime(GetU16(entry + 10), GetU16(entry + 12), ft))
        record->ftLastWriteTime = ft;
    record->nFileSizeHigh = 0;
    record->nFileSizeLow = GetU32(entry + 14);
    std::string name;
    for (size_t i = 18; i < length && entry[i] != 0 && name.size() < platform::kMaxPath - 1; ++i)
        name += static_cast<char>(entry[i]);
    record->cFileName = std::move(name);
    return true;
}

int FileOpe::FindFirst(uint8_t attributes, const std::string& pattern, platform::FindData* record)
{
    if (pattern.empty() || record == nullptr)
        return 0;
    *record = platform::FindData{};
    if (!RunPath(CMD_FIND_FIRST, std::string(1, static_cast<char>(attributes)), pattern))
        return 0;
    if (io_->replyPayloadLength() == 0)
        return 0;
    ParseFindEntry(record);
    return io_->reply()[4];
}

int FileOpe::FindNext(int handle, platform::FindData* record)
{
    if (handle < 0 || record == nullptr)
        return 0;
    const uint8_t h = static_cast<uint8_t>(handle);
    if (!Run(CMD_FIND_NEXT, &h, 1))
        return -1;
    if (io_->replyPayloadLength() == 0 || io_->reply()[4] == 0)
        return 0;
    ParseFindEntry(record);
    return 1;
}

bool FileOpe::FindClose(int handle)
{
    if (handle < 0)
        return false;
    const uint8_t h = static_cast<uint8_t>(handle);
    return Run(CMD_FIND_CLOSE, &h, 1);
}

int FileOpe::BlockSizeFromStatus(uint8_t byte3)
{
    if (byte3 & 0x01)
        return 4096;
    for (int bit = 7; bit >= 1; --bit)
        if (byte3 & (1 << bit))
            return 64 << (bit - 1);
    return 0;
}

}  // namespace talvix
