#pragma once
#include <cstdint>
#include <string>

namespace rolla {

constexpr size_t kMaxFolder = 2047;
constexpr int16_t kDefaultMode = 0;
constexpr int32_t kDefaultInterval = 1000;
constexpr int32_t kMinimumInterval = 10;  // the shortest timer period the system gives

// What the slide show is told on its command line
// "/" index "/" folder "/" mode "/" interval.
struct SlideShowArgs {
    std::string indexPath;      // folder + index file name
    std::string pictureFolder;  // with a "/" at its end unless empty
    int16_t showMode = kDefaultMode;
    int32_t interval = kDefaultInterval;
};

// Parses the command line: the first character is skipped and the rest split
// at "/"; the first piece is the index file name, the last two are the mode
// and the interval and everything between is the folder (so the folder may
// hold "/"). When the last two pieces are not both numbers they belong to
// the folder and the mode and interval keep their defaults (0 and 1000 ms,
// as the viewer would pass them with no settings). An interval of 0..9 ms
// is taken as 10 ms; a negative one, as the timer reads it unsigned, as the
// longest period (INT32_MAX ms), so the first picture stays. False for an empty line, one without an index name or
// a folder longer than kMaxFolder bytes.
bool ParseRollaCommandLine(const std::string& line, SlideShowArgs& out);

}  // namespace rolla
