#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace selksim {

// One device on the simulated bus.
struct DeviceSetup {
    int id = 1;
    uint8_t identity1[6] = {0x21, 0, 0, 0, 0, 0};  // reply to "|I"; byte 0 is the category
    uint8_t identity2[6] = {0, 0, 0, 0, 0, 0};     // reply to "|E"
    std::string name = "SIMDEV";                   // up to 12 characters
    bool poweredOn = true;
    int switchOnDelay = 0;   // power-sense polls after switch-on before it reports on; -1: never
    int notYetPolls = 0;     // "not yet" replies before each new command is done
    std::string cardFolder;  // host folder that backs the card; empty: no card
    std::string rawFile;     // card entries given byte for byte (see RawEntries); empty: none
    // Card status and geometry (file-transfer mode).
    uint8_t status[4] = {0x00, 0x01, 0x00, 0x01};
    std::string label = "SIMCARD";
    uint32_t freeClusters = 1000, sectorsPerCluster = 8, bytesPerSector = 512;
    bool freeSpaceGiven = false;
};

// What happens to a reply.
enum class FaultKind {
    BadChecksum,  // last byte wrong
    BadHeader,    // first byte wrong
    Cut,          // only the first `arg` bytes go out
    Drop,         // no reply
    Delay,        // `arg` ms more before the reply
    Refuse,       // file-transfer refusal with byte `arg`
    Close,        // the line is closed instead of replying
    Long,         // `arg` extra bytes after the reply
};

// A fault rule: applies to the replies it matches, from the nth on, `count`
// times (0: from then on for good).
struct FaultSetup {
    FaultKind kind = FaultKind::Drop;
    int proto = 0;      // 0 both, 1 SELK, 2 file transfer
    int id = -1;        // device ID, -1 any
    int command = -1;   // SELK byte 3 or file-transfer command code, -1 any
    int nth = 1;
    int count = 0;
    int arg = 0;
};

struct Options {
    std::string linkPath;
    std::string logPath;
    bool pacing = true;
    bool rateCheck = true;
    std::vector<DeviceSetup> devices;
    std::vector<FaultSetup> faults;
};

// Parses the command line. On a mistake returns false with a message.
bool ParseOptions(int argc, char** argv, Options& options, std::string& error);
bool ParseDevice(const std::string& text, DeviceSetup& device, std::string& error);
bool ParseFault(const std::string& text, FaultSetup& fault, std::string& error);

const char* UsageText();

}  // namespace selksim
