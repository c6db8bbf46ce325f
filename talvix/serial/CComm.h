#pragma once
#include <cstdint>
#include <string>
#include <termios.h>

#include "SerialPortMap.h"

namespace talvix {

// The one serial port through which the devices are reached. Knows nothing
// of the protocols on it: opens a port, applies the fixed line settings,
// writes blocks, reads an exact count within a time limit, takes what is
// waiting, changes speed and read limit, closes. Every wait goes through the
// thread's pump hook (platform/Pump.h), so a GUI thread keeps running.
class CComm {
public:
    CComm();
    virtual ~CComm();
    CComm(const CComm&) = delete;
    CComm& operator=(const CComm&) = delete;

    // Opens port 1..4 through the port map. Other numbers fail at once.
    bool Open(int port);
    // Opens an explicit device path (tests, the command-line tool). `number`
    // is what portNumber() reports while it is open (1..4, or 0 for a port
    // that is not one of the four numbered ones).
    bool OpenPath(const std::string& path, int number = 0);
    // 9600 bit/s, 8 data bits, odd parity, one stop bit, raw, no flow
    // control, DTR and RTS raised; then SetReadTimeout(80).
    bool Setup();
    bool SetBaudRate(int rate);
    // Read limit = 5 ms per byte asked for + `constantMs`.
    bool SetReadTimeout(int constantMs);
    // Discards both queues, then sends the bytes. False only when no port is
    // open or nothing was given; the send itself is not reported.
    bool Write(const uint8_t* bytes, size_t count);
    // Reads exactly `count` bytes within the read limit (and the 2000 ms
    // guard). bytesRead() tells how many arrived.
    bool Read(uint8_t* buffer, size_t count);
    // Takes the bytes waiting in the input queue, at most `room`. Returns
    // their number, 0 when none wait, -1 on failure (input is discarded).
    int ReadAvailable(uint8_t* buffer, size_t room);
    // Waits up to `timeoutMs` for input to arrive (through the pump hook).
    // True when bytes are waiting (or the line reports a hang-up).
    bool WaitReadable(int timeoutMs);
    void Close();

    bool IsOpen() const { return fd_ >= 0; }
    int portNumber() const { return portNumber_; }
    uint32_t lastError() const { return lastError_; }
    int32_t bytesRead() const { return bytesRead_; }
    int32_t readTimeoutConstant() const { return readTimeoutConstant_; }
    // The line settings as last read back and then changed.
    const termios& lineSettings() const { return settings_; }
    // The descriptor of the open port, -1 when closed (for tests).
    int fd() const { return fd_; }

    void SetPortMap(SerialPortMap map) { portMap_ = std::move(map); }
    const SerialPortMap& portMap() const { return portMap_; }

    // The guard on top of the read limit.
    static constexpr int kReadGuardMs = 2000;
    // Maps a bit rate to the termios speed; 0 when there is none.
    static speed_t SpeedOf(int rate);

private:
    bool ApplySettings(const termios& wanted);
    bool Fail(int err);

    int fd_ = -1;
    int portNumber_ = 0;
    uint32_t lastError_ = 0;
    int32_t bytesRead_ = 0;
    int32_t readTimeoutConstant_ = 0;
    termios settings_{};
    SerialPortMap portMap_;
};

}  // namespace talvix
