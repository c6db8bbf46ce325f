#include "CFileIO.h"

#include <cstring>

#include "platform/Pump.h"
#include "platform/Tick.h"

namespace talvix {

CFileIO::CFileIO(CComm& port)
    : port_(port), buffers_(new uint8_t[2 * kBufferSize]()), request_(buffers_.get()),
      reply_(buffers_.get() + kBufferSize)
{
}

CFileIO::~CFileIO() = default;

uint8_t CFileIO::Checksum(const uint8_t* bytes, size_t count)
{
    unsigned sum = 0;
    for (size_t i = 0; i < count; ++i)
        sum += bytes[i];
    return static_cast<uint8_t>(sum);
}

size_t CFileIO::requestLength() const
{
    return static_cast<size_t>(request_[2] | request_[3] << 8) + 6;
}

uint16_t CFileIO::replyPayloadLength() const
{
    return static_cast<uint16_t>(reply_[2] | reply_[3] << 8);
}

void CFileIO::WaitRecovery()
{
    // After a failed exchange the device gets 2 s to drop what it half got.
    if (lastSendTick_ == 0)
        return;
    const uint32_t now = platform::GetTickCount();
    if (now < lastSendTick_)
        return;
    const uint32_t elapsed = now - lastSendTick_;
    if (elapsed < kRecoveryMs)
        platform::PumpSleep(static_cast<int>(kRecoveryMs - elapsed));
}

bool CFileIO::BuildRequest(uint8_t command, const uint8_t* payload, uint16_t length)
{
    WaitRecovery();
    if (payload == nullptr)
        length = 0;
    request_[0] = kStart;
    request_[1] = command;
    request_[2] = static_cast<uint8_t>(length);
    request_[3] = static_cast<uint8_t>(length >> 8);
    if (length)
        std::memcpy(request_ + 4, payload, length);
    request_[4 + length] = kEnd;
    request_[5 + length] = Checksum(request_, 5u + length);
    return true;
}

int CFileIO::Collect()
{
    const size_t length = replyPayloadLength();
    const size_t want = length + 6;
    size_t position = 4;
    int empty = 0;
    while (position < want && empty < kEmptyPolls) {
        const int got = port_.ReadAvailable(reply_ + position, kBufferSize - position);
        if (got < 0)
            break;
        if (got > 0) {
            position += static_cast<size_t>(got);
            empty = 0;
            if (position >= want || position >= kBufferSize)
                break;
        } else {
            ++empty;
        }
        // Sleep until more bytes arrive, at most 30 ms.
        if (empty < kEmptyPolls)
            port_.WaitReadable(kPollMs);
    }
    replyBytes_ = position;
    if (position != want)
        return XFER_ERR_FRAME;
    if (Checksum(reply_, length + 5) != reply_[length + 5])
        return XFER_ERR_FRAME;
    return XFER_OK;
}

int CFileIO::Exchange()
{
    int result = XFER_OK;
    WaitRecovery();
    lastSendTick_ = platform::GetTickCount();
    replyBytes_ = 0;
    if (!port_.Write(request_, requestLength())) {
        result = XFER_ERR_WRITE;
    } else {
        lastSendTick_ = platform::GetTickCount();
        std::memset(reply_, 0xFF, kBufferSize);
        if (!port_.Read(reply_, 4)) {
            replyBytes_ = port_.bytesRead() > 0 ? static_cast<size_t>(port_.bytesRead()) : 0;
            result = XFER_ERR_NOREPLY;
        } else if (reply_[0] != kStart) {
            replyBytes_ = 4;
            result = XFER_ERR_HEADER;
        } else {
            result = Collect();
            if (result == XFER_OK)
                lastSendTick_ = 0;
        }
    }
    notifier_.Post(0, result);
    lastResult_ = result;
    return result;
}

bool CFileIO::ExchangeRetry(int count)
{
    for (int attempt = 0; attempt < count; ++attempt) {
        if (Exchange() != XFER_OK)
            continue;
        if (reply_[1] != kRefused)
            return true;
        // A refusal: byte 4 of 0 or 1 asks for another try, 2 and above is final.
        if (reply_[4] & 0xFE)
            return false;
    }
    return false;
}

}  // namespace talvix
