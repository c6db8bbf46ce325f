#include "talvix/cardops/CardSession.h"

namespace talvix {

CardSession::CardSession(FileOpe* fileOpe) : ope(fileOpe) {}

uint32_t CardSession::CheckCard(const uint8_t status[4], int& blockSize)
{
    if ((status[1] & 0x03) == 0)
        return ST_NOCARD;
    // Bit 0 of byte 2 marks a card without a usable file system.
    if ((status[2] & 0x01) != 0)
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
