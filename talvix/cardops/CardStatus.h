#pragma once
#include <cstdint>

namespace talvix {

// The result word of a card operation. The low byte is the kind; for
// ST_COMERR the second byte is the file-transfer command that failed
// (command code * 256 + 1, e.g. 0x3F01 for a failed READ).
enum : uint32_t {
    ST_OK = 0x0000,
    ST_COMERR = 0x0001,
    ST_NOSUPPORT = 0x0005,  // the device did not enter file-transfer mode
    ST_NOCARD = 0x0006,     // no card in the device
    ST_NOFORMAT = 0x0007,   // the card is not formatted
    ST_NOBLOCK = 0x0008,    // the card status offers no transfer block size
    ST_PCFILE = 0x0009,     // a PC file could not be created, opened or read
    ST_PCFOLDER = 0x000A,   // a PC folder could not be created
    // The selection needs more than a list (256 entries), the folder table
    // (256 folders) or a folder record (1024 entries) can hold; refused
    // before anything is transferred.
    ST_TOOMANY = 0x000B,
    ST_NOTHREAD = 0x000C,  // no worker thread could be started
    ST_CARDFULL = 0x0103,  // free space smaller than the bytes to write
    ST_ABORT = 0x00FF,     // the user stopped the operation
};

// The status word of a failed file-transfer command.
constexpr uint32_t ComErr(uint8_t command) { return (uint32_t(command) << 8) | ST_COMERR; }

}  // namespace talvix
