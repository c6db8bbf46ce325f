#pragma once
#include "platform/FindData.h"

#include <QIcon>
#include <QString>

#include <map>
#include <string>

namespace talvix::ui {

// Icons and type names of the file list, asked for placeholder files in the
// folder "tmp" beside the program's settings: an empty "tmp.<ext>" for a file,
// the folder "tmp" itself for a folder. The answers are kept for the run, so
// the type text (a sort key) stays the same within it.
class ShellTypes {
public:
    struct Info {
        QIcon smallIcon;
        QIcon largeIcon;
        QString typeName;
    };

    // `stateFolder`: the folder the placeholders are made in (without "/").
    explicit ShellTypes(std::string stateFolder);

    Info ShellInfo(const platform::FindData& entry);

    // The placeholder asked about for `entry` (made when missing).
    std::string Placeholder(const platform::FindData& entry) const;

private:
    std::string tmpFolder_;
    std::map<std::string, Info> cache_;
};

}  // namespace talvix::ui
