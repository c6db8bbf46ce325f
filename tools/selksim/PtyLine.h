#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace selksim {

// The emulator's end of the line: a pseudo-terminal whose slave is linked to
// a path for the PC side to open. The emulator keeps its own slave
// descriptor open, so the PC may close and reopen the port and finds the
// settings it left.
class PtyLine {
public:
    PtyLine() = default;
    ~PtyLine();
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    // Creates the pty, makes the slave raw and links it to `linkPath`
    // (replacing an old link there, never a file). False with `error` on failure.
    bool Create(const std::string& linkPath, std::string& error);
    // Closes both ends and removes the link.
    void Close();

    int masterFd() const { return master_; }
    const std::string& slaveName() const { return slaveName_; }

    // Bit rate the PC side has set on its end, 0 when unknown.
    int PcRate() const;

    // Sends bytes to the PC. With pacing, the bytes leave at `rate` bit/s
    // (11 bits a byte: start, 8 data, parity, stop). Returns false when the
    // line is gone.
    bool Send(const uint8_t* bytes, size_t count, int rate, bool pacing);

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slaveName_;
    std::string linkPath_;
};

}  // namespace selksim
