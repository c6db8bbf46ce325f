#include "SimDevice.h"

#include <cstring>

#include "FrameLog.h"
#include "SimCard.h"

namespace selksim {

namespace {
constexpr uint8_t kDone = 0x03;
constexpr uint8_t kRefused = 0x01;
constexpr uint8_t kNotYet = 0x00;

bool Is(const uint8_t* cmd, std::initializer_list<uint8_t> code)
{
    size_t i = 0;
    for (uint8_t b : code)
        if (cmd[i++] != b)
            return false;
    return true;
}
}  // namespace

SimDevice::SimDevice(const DeviceSetup& setup, FrameLog& log)
    : id_(setup.id), setup_(setup), log_(log), on_(setup.poweredOn)
{
}

SimDevice::~SimDevice() = default;

void SimDevice::SetCard(std::unique_ptr<SimCard> card)
{
    card_ = std::move(card);
}

uint8_t SimDevice::Checksum(const uint8_t* frame)
{
    unsigned sum = 0;
    for (int i = 0; i < 10; ++i)
        sum += frame[i];
    return static_cast<uint8_t>((0u - sum) & 0x7F);
}

void SimDevice::Reply(uint8_t reply[11], uint8_t status, const uint8_t* data) const
{
    reply[0] = 0xFC;
    reply[1] = 0xFF;
    reply[2] = static_cast<uint8_t>(id_);
    reply[3] = status;
    if (data)
        std::memcpy(reply + 4, data, 6);
    else
        std::memset(reply + 4, 0, 6);
    reply[10] = Checksum(reply);
}

void SimDevice::HandleBroadcast(const uint8_t frame[11])
{
    const uint8_t* cmd = frame + 3;
    if (Is(cmd, {0x7C, 0x4F}) && frame[5] == 0x03 && stage_ == 1) {
        stage_ = 2;
        log_.Event("armed for file transfer", id_);
    }
}

void SimDevice::HandleCommand(const uint8_t frame[11], uint8_t reply[11], bool& enterTransfer)
{
    enterTransfer = false;
    const uint8_t* cmd = frame + 3;
    if (!hasLast_ || std::memcmp(lastCommand_, cmd, 7) != 0) {
        std::memcpy(lastCommand_, cmd, 7);
        hasLast_ = true;
        notYetLeft_ = setup_.notYetPolls;
    }
    if (notYetLeft_ > 0) {
        --notYetLeft_;
        Reply(reply, kNotYet);
        return;
    }

    uint8_t data[6] = {};
    if (Is(cmd, {0x7C, 0x4E, 0x20})) {  // sense through the interface
        data[0] = on_ ? 1 : 0;
        Reply(reply, kDone, data);
    } else if (Is(cmd, {0x3E, 0x4E, 0x20})) {  // power sense
        if (!on_ && warming_ >= 0) {
            if (warming_ == 0) {
                on_ = true;
                warming_ = -2;
                log_.Event("power on", id_);
            } else {
                --warming_;
            }
        }
        data[0] = on_ ? 1 : 0;
        Reply(reply, kDone, data);
    } else if (Is(cmd, {0x3E, 0x40, 0x70})) {  // switch on
        if (!on_) {
            warming_ = setup_.switchOnDelay;  // -1 stays off for good
            if (warming_ == 0) {
                on_ = true;
                warming_ = -2;
                log_.Event("power on", id_);
            } else {
                log_.Event("switching on", id_);
            }
        }
        Reply(reply, kDone);
    } else if (Is(cmd, {0x3E, 0x40, 0x60})) {  // switch off
        on_ = false;
        warming_ = -2;
        stage_ = 0;
        log_.Event("power off", id_);
        Reply(reply, kDone);
    } else if (!on_) {
        Reply(reply, kRefused);
    } else if (Is(cmd, {0x7C, 0x49})) {
        Reply(reply, kDone, setup_.identity1);
    } else if (Is(cmd, {0x7C, 0x45})) {
        Reply(reply, kDone, setup_.identity2);
    } else if (Is(cmd, {0x7C, 0x4C}) || Is(cmd, {0x7C, 0x4D})) {
        const size_t first = cmd[1] == 0x4C ? 0 : 6;
        const std::string& name = setup_.name;
        for (size_t i = 0; i < 6; ++i) {
            const size_t at = first + i;
            if (at < name.size())
                data[i] = static_cast<uint8_t>(name[at]);
            else if (at == name.size()) {
                data[i] = 0x7F;
                break;
            }
        }
        Reply(reply, kDone, data);
    } else if (Is(cmd, {0x7C, 0x41})) {  // new device ID in frame byte 5
        const int newId = frame[5];
        if (newId < 1 || newId > 99) {
            Reply(reply, kRefused);
        } else {
            Reply(reply, kDone);
            log_.Event("id changed to " + std::to_string(newId), id_);
            id_ = newId;
            hasLast_ = false;
        }
    } else if (Is(cmd, {0x7C, 0x56, 0x70})) {  // prepare file transfer
        if (!card_) {
            Reply(reply, kRefused);
        } else {
            stage_ = 1;
            Reply(reply, kDone);
        }
    } else if (Is(cmd, {0x7C, 0x70, 'S', 'X', 'F', 'P', '1'})) {
        if (stage_ == 2 && card_) {
            Reply(reply, kDone);
            enterTransfer = true;
            stage_ = 3;
        } else {
            Reply(reply, kRefused);
        }
    } else {
        Reply(reply, kRefused);
    }
}

}  // namespace selksim
