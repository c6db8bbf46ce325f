#pragma once
#include <atomic>
#include <cstdint>

#include "CComm.h"
#include "SelkNotifier.h"

namespace talvix {

// Result codes of one SELK transaction.
enum SelkResult : int {
    SELK_OK = 0,
    SELK_ERR_WRITE = 2,
    SELK_ERR_NOREPLY = 3,
    SELK_ERR_HEADER = 4,
    SELK_ERR_CHECKSUM = 5,
    SELK_ERR_ID = 6,
};

// What a reply's status byte says about the command.
enum class SelkVerdict { Refused, Done, NotYet };

// One SELK device-control transaction at a time over the port: an 11-byte
// command frame out, an 11-byte reply in, header and checksum checked.
class CSelkIO : public CComm {
public:
    static constexpr int kFrameSize = 11;
    // Sends to IDs 100..127 are spaced from the next one by this much, as are
    // sends that got no complete reply.
    static constexpr uint32_t kSpacingMs = 80;

    CSelkIO();

    // Registers the watcher of WM_SELK_NOTIFY; an empty observer clears it.
    void SetNotifyWindow(NotifyObserver observer) { notifier_.Set(std::move(observer)); }

    // Waits for the busy flag, then puts the ID into byte 2 and the seven
    // command bytes into bytes 3..9.
    void SetCommand(int id, const uint8_t command[7]);
    // One send and, for IDs 1..99, one receive. Returns the result code.
    int Transact();
    // Repeats Transact until the reply's status decides, at most `count` times.
    bool TransactRetry(int count);

    // (-(b0 + ... + b9)) & 0x7F over the first ten bytes of a frame.
    static uint8_t Checksum(const uint8_t* frame);
    static SelkVerdict JudgeStatus(uint8_t status);

    // The frames are open to callers: they put operands into single bytes
    // between SetCommand and Transact, and read the reply directly.
    uint8_t commandFrame[kFrameSize] = {};
    uint8_t replyFrame[kFrameSize] = {};

    int lastResult() const { return lastResult_; }
    uint32_t lastSendTick() const { return lastSendTick_; }
    bool busy() const { return busy_.load(); }

private:
    // Up to ten waits of 10 ms while another transaction is marked busy.
    // Returns true when the flag cleared.
    bool WaitWhileBusy();
    int Finish(int result);

    int lastResult_ = SELK_OK;
    uint32_t lastSendTick_ = 0;
    std::atomic<bool> busy_{false};
    SelkNotifier notifier_;
};

}  // namespace talvix
