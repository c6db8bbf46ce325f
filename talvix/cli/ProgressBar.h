#pragma once
#include "talvix/cardops/CopyProgressSink.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace talvix {

// A one-line progress bar on a terminal: file name, bar, percentage and the
// time left as estimated from the time taken so far.
class ProgressBar : public CopyProgressSink {
public:
    explicit ProgressBar(std::FILE* out);
    void CopyProgress(const std::string& cardPath, int percent) override;
    // Ends the line when something was shown.
    void Finish();

    // The text of one update (without the carriage return), for the tests.
    static std::string Line(const std::string& name, int percent, double elapsedSeconds);

private:
    std::FILE* out_;
    std::chrono::steady_clock::time_point start_;
    bool shown_ = false;
};

}  // namespace talvix
