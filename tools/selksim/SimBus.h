#pragma once
#include <csignal>
#include <cstdint>
#include <memory>
#include <vector>

#include "SimOptions.h"

namespace selksim {

class FrameLog;
class PtyLine;
class SimDevice;

// The simulated bus: reads the PC's bytes from the line, cuts them into
// frames of the current mode (11-byte SELK frames, or file-transfer frames
// once a device has been switched over), lets the addressed device answer,
// and sends the reply through the fault rules at the line rate.
class SimBus {
public:
    SimBus(const Options& options, PtyLine& line, FrameLog& log);
    ~SimBus();

    bool Init(std::string& error);
    // Runs until `stop` is set (checked whenever `wakeFd` is readable or a
    // poll ends) or the line is closed by a fault. Returns the exit code.
    int Run(const volatile sig_atomic_t& stop, int wakeFd);

private:
    struct Rule {
        FaultSetup setup;
        int matched = 0;
    };
    struct Verdict {
        bool drop = false, close = false, badSum = false, badHeader = false;
        int cut = -1, delayMs = 0, refuse = -1, extra = 0;
    };

    void TakeInput();
    void ProcessSelk();
    void ProcessTransfer();
    void HandleSelk(const uint8_t* frame);
    void HandleTransfer(uint8_t command, const uint8_t* payload, size_t length);
    Verdict Judge(int proto, int id, int command);
    void SendReply(std::vector<uint8_t> bytes, int proto, int id, int command);
    void Discard(size_t count, const char* why);
    bool Sleep(int ms);  // false when asked to stop
    void WaitArrival(size_t frameBytes);
    int LineRate() const;

    const Options& options_;
    PtyLine& line_;
    FrameLog& log_;
    std::vector<std::unique_ptr<SimDevice>> devices_;
    std::vector<Rule> rules_;
    std::vector<uint8_t> input_;
    long long inputSinceMs_ = 0;  // when the first byte now in input_ arrived
    SimDevice* transfer_ = nullptr;  // the device in file-transfer mode
    int transferRate_ = 9600;
    bool closed_ = false;
    const volatile sig_atomic_t* stop_ = nullptr;
    int wakeFd_ = -1;
};

}  // namespace selksim
