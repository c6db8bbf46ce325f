#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "SimOptions.h"

namespace selksim {

class FrameLog;
class SimCard;

// One device on the simulated SELK bus: its ID, identity, name, power state
// with the switch-on delay, the "not yet" answers, and the three-step switch
// into file-transfer mode. Its card (if any) answers the card commands.
class SimDevice {
public:
    SimDevice(const DeviceSetup& setup, FrameLog& log);
    ~SimDevice();

    int id() const { return id_; }
    bool hasCard() const { return card_ != nullptr; }
    SimCard* card() { return card_.get(); }
    void SetCard(std::unique_ptr<SimCard> card);

    // Handles a SELK command frame addressed to this device. Fills the 11-byte
    // reply (checksum included). `enterTransfer` becomes true when the device
    // switches to file-transfer mode after this reply.
    void HandleCommand(const uint8_t frame[11], uint8_t reply[11], bool& enterTransfer);
    // The broadcast "|O" with 0x03 arms every device that got "|Vp".
    void HandleBroadcast(const uint8_t frame[11]);
    // Back to SELK mode (after END).
    void LeaveTransfer() { stage_ = 0; }

    static uint8_t Checksum(const uint8_t* frame);

private:
    void Reply(uint8_t reply[11], uint8_t status, const uint8_t* data = nullptr) const;

    int id_;
    DeviceSetup setup_;
    FrameLog& log_;
    bool on_;
    int warming_ = -2;  // polls left before on; -2: not switching on; -1: never
    uint8_t lastCommand_[7] = {};
    bool hasLast_ = false;
    int notYetLeft_ = 0;
    int stage_ = 0;  // 1 after "|Vp", 2 after the broadcast "|O" 03
    std::unique_ptr<SimCard> card_;
};

}  // namespace selksim
