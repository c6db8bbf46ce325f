#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "SimOptions.h"

namespace selksim {

class FrameLog;

// Reply codes of the file-transfer frames.
constexpr uint8_t kXferAccepted = 0x06;
constexpr uint8_t kXferRefused = 0x15;

// The memory card of a device, answering the card commands of the
// file-transfer mode.
class SimCard {
public:
    SimCard(const DeviceSpec& spec, FrameLog& log);
    ~SimCard();

    // Checks the backing folder. False with `error` when it is unusable.
    bool Load(std::string& error);

    // Answers one request: sets the reply code and payload.
    void Handle(uint8_t command, const uint8_t* payload, size_t length, uint8_t& replyCode,
                std::vector<uint8_t>& reply);

private:
    struct Impl;
    Impl* impl_;
};

}  // namespace selksim
