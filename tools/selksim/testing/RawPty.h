#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace selksim {

// A bare pseudo-terminal for tests that play the device by hand: the test
// writes exactly the bytes it wants the PC side to receive (garbage, half
// frames, odd lengths) and reads what the PC side sent.
class RawPty {
public:
    RawPty();
    ~RawPty();
    RawPty(const RawPty&) = delete;
    RawPty& operator=(const RawPty&) = delete;

    bool ok() const { return master_ >= 0 && slave_ >= 0; }
    // Path of the slave end, to be opened by the PC side.
    const std::string& path() const { return path_; }
    int masterFd() const { return master_; }

    bool Write(const std::vector<uint8_t>& bytes);
    // Reads what arrived within `timeoutMs` (stops early after `want` bytes
    // when want > 0).
    std::vector<uint8_t> Read(int timeoutMs, size_t want = 0);
    // Closes the master end: the line vanishes for the PC side.
    void Hangup();

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

}  // namespace selksim
