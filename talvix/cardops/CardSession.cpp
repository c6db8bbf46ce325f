#include "talvix/cardops/CardSession.h"

#include "talvix/filexfer/FileOpe.h"

namespace talvix {

CardSession::CardSession(FileOpe* fileOpe) : ope(fileOpe) {}

bool CardSession::OpenTransfer(const std::atomic<bool>& abort)
{
    CardStatus = ST_OK;
    if (ope == nullptr || !ope->EnterTransferMode()) {
        CardStatus = ST_NOSUPPORT;
        return false;
    }
    if (abort) {
        CardStatus = ST_ABORT;
        return false;
    }
    if (!ope->SetTransferRate(transferRate)) {
        CardStatus = ComErr(CMD_SET_RATE);
        return false;
    }
    if (abort) {
        CardStatus = ST_ABORT;
        return false;
    }
    if (!ope->GetStatus()) {
        CardStatus = ComErr(CMD_GET_STATUS);
        return false;
    }
    if (abort) {
        CardStatus = ST_ABORT;
        return false;
    }
    int blockSize = 0;
    const uint32_t judged = CheckCard(ope->status().data(), blockSize);
    if (judged != ST_OK) {
        CardStatus = judged;
        return false;
    }
    ope->SetBlockSize(blockSize);
    CardStatus = ST_OK;
    return true;
}

void CardSession::LeaveTransfer()
{
    if (ope != nullptr)
        ope->LeaveTransferMode();
}

void CardSession::RunInTransfer(const std::atomic<bool>& cancel, const std::function<bool()>& work)
{
    if (!dummyMode) {
        if (!OpenTransfer(cancel)) {
            LeaveTransfer();
            return;
        }
        ope->GetVolume();
    }
    if (cancel)
        CardStatus = ST_ABORT;
    else if (work() && cancel)
        CardStatus = ST_ABORT;
    if (!dummyMode)
        LeaveTransfer();
}

void CardSession::ReadVolume()
{
    volumeLabel.clear();
    if (ope != nullptr && ope->GetVolume())
        volumeLabel = ope->VolumeLabel();
}

uint32_t CardSession::CheckCard(const uint8_t status[4], int& blockSize)
{
    if ((status[1] & 0x03) == 0)
        return ST_NOCARD;
    // Byte 2 is the card's format state: zero for a card with a usable file
    // system, any other value for one that needs formatting.
    if (status[2] != 0)
        return ST_NOFORMAT;
    const uint8_t sizes = status[3];
    if (sizes & 0x01) {
        blockSize = 4096;
        return ST_OK;
    }
    for (int bit = 7; bit >= 1; --bit) {
        if (sizes & (1u << bit)) {
            blockSize = 1 << (bit + 5);
            return ST_OK;
        }
    }
    return ST_NOBLOCK;
}

}  // namespace talvix
