#pragma once
#include "platform/FindData.h"

#include <string>

namespace talvix {

// The overwrite question, asked on the UI thread while a copy or write list
// is built, before any byte moves.
struct OverwriteQuestion {
    bool toCard = false;               // false: copy from the card; true: write to it
    std::string existingName;          // copy: PC destination path; write: relative card path
    platform::FindData existing;       // the entry that is there already
    std::string iconPath;              // copy: PC destination; write: PC source file
    platform::FindData replacement;    // the entry that would replace it
};

class OverwriteAsker {
public:
    // The answers, with the values the list builders keep in OverwriteAnswer.
    enum Answer { Cancel = 0, Yes = 1, YesToAll = 2, No = 3 };

    virtual ~OverwriteAsker() = default;
    virtual Answer AskOverwrite(const OverwriteQuestion& question) = 0;
};

}  // namespace talvix
