#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace selksim {

// Writes every frame in both directions and notable events as JSON lines:
//   {"t":12,"dir":"pc","mode":"selk","hex":"FF FF 01 7C 4E 20 00 00 00 00 17"}
//   {"t":13,"event":"power on","id":1}
// "t" is milliseconds since the emulator started; "dir" is "pc" for bytes
// from the PC and "dev" for bytes the device sent.
class FrameLog {
public:
    FrameLog() = default;
    ~FrameLog();
    FrameLog(const FrameLog&) = delete;
    FrameLog& operator=(const FrameLog&) = delete;

    bool Open(const std::string& path);
    void Frame(const char* dir, const char* mode, const uint8_t* bytes, size_t count);
    void Event(const std::string& text, int id = -1);

    static std::string Hex(const uint8_t* bytes, size_t count);

private:
    long long Now() const;
    FILE* file_ = nullptr;
};

}  // namespace selksim
