#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <new>

#include "glimra/core/CommandIds.h"
#include "glimra/core/PictureSender.h"
#include "platform/FileTime.h"
#include "talvix/cardops/CardSession.h"
#include "talvix/cardops/CardWriter.h"
#include "talvix/filexfer/FileOpe.h"
#include "talvix/filexfer/RegistryDeviceSelection.h"
#include "talvix/serial/CSelkIO.h"
#include "talvix/serial/CSelkReg.h"
#include "talvix/serial/SerialPortMap.h"

namespace glimra {

namespace {

constexpr uint32_t kWriteBlock = 4096;
// A picture prepared for a device is below 128000 bytes; anything far larger
// is not a picture we made.
constexpr off_t kLargestFile = off_t(64) << 20;

// Reads a whole PC file; 1 when it cannot be read, 2 when there is no memory for it.
int ReadPcFile(const std::string& path, std::unique_ptr<uint8_t[]>& bytes, uint32_t& size) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return kSendFailure;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kLargestFile) return kSendFailure;
    size = uint32_t(st.st_size);
    bytes.reset(new (std::nothrow) uint8_t[size + 1]);
    if (!bytes) return kSendMemoryError;
    uint32_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, bytes.get() + got, size - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return kSendFailure;
        got += uint32_t(n);
    }
    return kSendFinished;
}

// Writes one file into the card's root folder under `name` (8.3, CP932).
int WriteCardFile(talvix::FileOpe& ope, const std::string& pcPath, const std::string& name) {
    std::unique_ptr<uint8_t[]> bytes;
    uint32_t size = 0;
    if (int r = ReadPcFile(pcPath, bytes, size); r != kSendFinished) return r;
    const std::string cardPath = "M:\\" + name;
    uint8_t error = 0;
    const uint32_t handle = ope.Open(cardPath, talvix::kOpenWrite, error);
    if (handle == 0) return kSendFailure;
    bool ok = ope.WriteBegin(handle, 0, size);
    for (uint32_t offset = 0; ok && offset < size;) {
        const uint32_t chunk = size - offset < kWriteBlock ? size - offset : kWriteBlock;
        ok = ope.WriteData(offset, chunk, bytes.get() + offset);
        offset += chunk;
    }
    ope.Close(handle);
    if (!ok) return kSendFailure;
    // The card file gets the time it was sent.
    uint16_t t[6];
    talvix::CardWriter::CardTimes(platform::GetSystemTimeAsFileTime(), t);
    ope.SetDateTime(cardPath, {t[0], t[1]}, {t[2], t[3]}, {t[4], t[5]});
    return kSendFinished;
}

}  // namespace

PictureSender::PictureSender(std::string registryPath) : registryPath_(std::move(registryPath)) {}

int PictureSender::Send(int32_t portClass, const std::vector<std::string>& files,
                        const std::vector<std::string>& names) {
    // Only the cable has a link here; infrared is not supported.
    if (portClass != 1) return kSendNotSupported;
    return SendByCable(files, names);
}

int PictureSender::SendByCable(const std::vector<std::string>& files, const std::vector<std::string>& names) {
    if (files.empty() || files.size() != names.size()) return kSendNothingToReport;

    // The port and the current device as the device dialog stored them.
    talvix::CSelkReg reg(registryPath_);
    uint32_t port = 0;
    if (!reg.ReadValue(talvix::CSelkReg::kSection, "COM", port) || port < 1 || port > 4) return kSendFailure;
    talvix::RegistryDeviceSelection devices(registryPath_);
    if (devices.CurrentDeviceID() <= 0) return kSendFailure;

    talvix::CSelkIO selk;
    selk.SetPortMap(talvix::SerialPortMap(registryPath_));
    if (!selk.Open(int(port)) || !selk.Setup()) return kSendFailure;

    talvix::FileOpe ope(selk, devices);
    if (!ope.EnterTransferMode()) {
        // A device that answered but would not switch has no file-transfer
        // mode; one that did not answer at all is a failure of the line.
        const bool answered = selk.lastResult() == talvix::SELK_OK;
        selk.Close();
        return answered ? kSendNotSupported : kSendFailure;
    }
    int result = kSendFinished;
    int blockSize = 0;
    if (!ope.SetTransferRate(devices.TransferRate()) || !ope.GetStatus() ||
        talvix::CardSession::CheckCard(ope.status().data(), blockSize) != talvix::ST_OK) {
        result = kSendFailure;  // no card, an unformatted one, or no answer
    } else {
        ope.SetBlockSize(blockSize);
        for (size_t i = 0; i < files.size() && result == kSendFinished; ++i) {
            result = WriteCardFile(ope, files[i], names[i]);
        }
    }
    ope.LeaveTransferMode();
    selk.Close();
    return result;
}

}  // namespace glimra
