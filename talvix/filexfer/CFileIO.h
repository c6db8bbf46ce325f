#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "talvix/serial/CComm.h"
#include "talvix/serial/SelkNotifier.h"

namespace talvix {

// Result codes of one file-transfer exchange.
enum XferResult : int {
    XFER_OK = 0,
    XFER_ERR_WRITE = 2,
    XFER_ERR_NOREPLY = 3,
    XFER_ERR_HEADER = 4,
    XFER_ERR_FRAME = 7,
};

// The file-transfer link: builds request frames
//   16 | command | length (u16 LE) | payload | 03 | sum of all bytes before
// sends them on the port and collects one reply frame of the same layout.
class CFileIO {
public:
    static constexpr size_t kBufferSize = 100000;
    static constexpr uint8_t kStart = 0x16;
    static constexpr uint8_t kEnd = 0x03;
    static constexpr uint8_t kRefused = 0x15;
    // A request after a failed exchange waits until this long after it.
    static constexpr uint32_t kRecoveryMs = 2000;
    // The body of a reply is collected until ten polls in a row find nothing,
    // each waiting up to 30 ms for bytes.
    static constexpr int kEmptyPolls = 10;
    static constexpr int kPollMs = 30;

    explicit CFileIO(CComm& port);
    ~CFileIO();
    CFileIO(const CFileIO&) = delete;
    CFileIO& operator=(const CFileIO&) = delete;

    // Waits out the recovery spacing, then writes the request frame. No
    // payload means length 0. Always true.
    bool BuildRequest(uint8_t command, const uint8_t* payload = nullptr, uint16_t length = 0);
    // Sends the built request and collects one reply. Returns the result code.
    int Exchange();
    // Repeats Exchange until the reply is accepted (true), refused for good
    // (false), or the attempts are used up (false).
    bool ExchangeRetry(int count);

    // Registers the watcher of WM_SELK_NOTIFY (wParam 0, lParam the result).
    void SetNotifyWindow(NotifyObserver observer) { notifier_.Set(std::move(observer)); }

    // The frames. Reply: code at byte 1, payload length at bytes 2..3,
    // payload from byte 4; filled with 0xFF before every exchange.
    const uint8_t* request() const { return request_; }
    const uint8_t* reply() const { return reply_; }
    size_t requestLength() const;          // L + 6 of the built request
    uint16_t replyPayloadLength() const;   // L of the reply
    size_t replyBytes() const { return replyBytes_; }  // bytes gathered by the last exchange

    int lastResult() const { return lastResult_; }
    uint32_t lastSendTick() const { return lastSendTick_; }
    CComm& port() { return port_; }

    // Sum of `count` bytes modulo 256.
    static uint8_t Checksum(const uint8_t* bytes, size_t count);

private:
    void WaitRecovery();
    int Collect();

    CComm& port_;
    std::unique_ptr<uint8_t[]> buffers_;  // request and reply, 100000 bytes each
    uint8_t* request_;
    uint8_t* reply_;
    size_t replyBytes_ = 0;
    uint32_t lastSendTick_ = 0;
    int lastResult_ = XFER_OK;
    SelkNotifier notifier_;
};

}  // namespace talvix
