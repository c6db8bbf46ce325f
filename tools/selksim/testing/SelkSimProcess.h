#pragma once
#include <string>
#include <sys/types.h>
#include <vector>

namespace selksim {

// One line of the emulator's frame log.
struct SimLogEntry {
    long long t = 0;     // ms since the emulator started
    std::string dir;     // "pc" or "dev" for frames, empty for events
    std::string mode;    // "selk", "xfer", "garbage", "noise"
    std::string hex;     // "FF FF 01 ..."
    std::string event;   // text of an event line
    int id = -1;
};

// Runs selksim for a test: a private temporary folder holds the line's link
// and the log; the destructor stops the emulator and removes the folder.
// Pacing at the line rate is off unless asked for, to keep tests short.
class SelkSimProcess {
public:
    explicit SelkSimProcess(std::vector<std::string> args = {}, bool pacing = false);
    ~SelkSimProcess();
    SelkSimProcess(const SelkSimProcess&) = delete;
    SelkSimProcess& operator=(const SelkSimProcess&) = delete;

    // Starts the emulator and waits until its line is there. False when it
    // did not come up (its error output is in startError()).
    bool Start();
    // Asks the emulator to end and waits for it.
    void Stop();
    // Ends it at once (a device that vanishes).
    void Kill();
    bool running() const { return pid_ > 0; }
    // Whether the process has ended by itself (for example after a "close"
    // fault); reaps it when it has.
    bool Exited();

    const std::string& tempDir() const { return dir_; }
    const std::string& linkPath() const { return link_; }
    const std::string& logPath() const { return log_; }
    const std::string& startError() const { return startError_; }
    pid_t pid() const { return pid_; }

    std::vector<SimLogEntry> ReadLog() const;
    // The hex text of every frame in one direction ("pc" or "dev") and mode
    // ("selk", "xfer"; empty for any).
    std::vector<std::string> Frames(const std::string& dir, const std::string& mode = {}) const;
    // Forgets what was logged so far.
    void ClearLog() const;

private:
    std::vector<std::string> args_;
    bool pacing_;
    std::string dir_, link_, log_, startError_;
    pid_t pid_ = -1;
};

}  // namespace selksim
