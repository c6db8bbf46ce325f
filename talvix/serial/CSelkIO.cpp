#include "CSelkIO.h"

#include <cstring>

#include "platform/Pump.h"
#include "platform/Tick.h"

namespace talvix {

CSelkIO::CSelkIO() = default;

uint8_t CSelkIO::Checksum(const uint8_t* frame)
{
    unsigned sum = 0;
    for (int i = 0; i < 10; ++i)
        sum += frame[i];
    return static_cast<uint8_t>((0u - sum) & 0x7Fu);
}

SelkVerdict CSelkIO::JudgeStatus(uint8_t status)
{
    const uint8_t low = status & 0x07;
    if (low == 1)
        return SelkVerdict::Refused;
    if (low >= 2 && low <= 4)
        return SelkVerdict::Done;
    if (status & 0x40)
        return SelkVerdict::Done;
    return SelkVerdict::NotYet;
}

bool CSelkIO::WaitWhileBusy()
{
    for (int i = 0; i < 10 && busy_.load(); ++i)
        platform::PumpSleep(10);
    return !busy_.load();
}

void CSelkIO::SetCommand(int id, const uint8_t command[7])
{
    if (!WaitWhileBusy())
        busy_.store(false);  // a transaction that hangs on is overtaken
    std::memcpy(commandFrame + 3, command, 7);
    // A number that does not fit in the ID byte addresses nobody (Transact
    // refuses ID 0), never the device its low byte happens to name.
    commandFrame[2] = (id >= 0 && id <= 255) ? static_cast<uint8_t>(id) : 0;
}

int CSelkIO::Finish(int result)
{
    lastResult_ = result;
    notifier_.Post(lastError(), result);
    busy_.store(false);
    return result;
}

int CSelkIO::Transact()
{
    const uint8_t id = commandFrame[2];
    if (id == 0 || id > 127) {
        lastResult_ = SELK_ERR_ID;
        notifier_.Post(lastError(), SELK_ERR_ID);
        return SELK_ERR_ID;
    }
    WaitWhileBusy();
    busy_.store(true);

    commandFrame[0] = 0xFF;
    commandFrame[1] = 0xFF;
    commandFrame[10] = Checksum(commandFrame);

    // Space a send from an unanswered one (or a broadcast) by 80 ms.
    const uint32_t now = platform::GetTickCount();
    if (lastSendTick_ != 0 && now >= lastSendTick_) {
        const uint32_t elapsed = now - lastSendTick_;
        if (elapsed < kSpacingMs)
            platform::PumpSleep(static_cast<int>(kSpacingMs - elapsed));
    }

    lastSendTick_ = platform::GetTickCount();
    const bool written = Write(commandFrame, kFrameSize);
    platform::PumpSleep(0);
    if (!written)
        return Finish(SELK_ERR_WRITE);
    if (id >= 100)
        return Finish(SELK_OK);

    if (!Read(replyFrame, kFrameSize)) {
        std::memset(replyFrame, 0, sizeof replyFrame);
        return Finish(SELK_ERR_NOREPLY);
    }
    lastSendTick_ = 0;
    notifier_.Post(0, 0);
    int result = SELK_OK;
    if (replyFrame[0] != 0xFC || replyFrame[1] != 0xFF) {
        result = SELK_ERR_HEADER;
        std::memset(replyFrame, 0, sizeof replyFrame);
    } else if (replyFrame[10] != Checksum(replyFrame)) {
        result = SELK_ERR_CHECKSUM;
        std::memset(replyFrame, 0, sizeof replyFrame);
    }
    return Finish(result);
}

bool CSelkIO::TransactRetry(int count)
{
    // A frame to IDs 100..127 gets no reply, so there is no status to judge:
    // it goes out once and counts as no verdict (the reply frame would only
    // hold an older device's answer).
    if (count <= 0)
        return false;
    if (commandFrame[2] == 0 || commandFrame[2] >= 100) {
        Transact();
        return false;
    }
    for (int attempt = 0; attempt < count; ++attempt) {
        const int result = Transact();
        if (result != SELK_OK && result != SELK_ERR_NOREPLY)
            return false;
        switch (JudgeStatus(replyFrame[3])) {
        case SelkVerdict::Refused: return false;
        case SelkVerdict::Done: return true;
        case SelkVerdict::NotYet: break;
        }
    }
    return false;
}

}  // namespace talvix
