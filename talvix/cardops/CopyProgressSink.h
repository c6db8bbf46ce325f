#pragma once
#include <string>

namespace talvix {

// The copy's progress message: the relative card path of the file being
// copied and the percentage of bytes done (0..100). Called synchronously
// from the copy thread; a window implementation hands it to the UI thread
// and waits, so that only the UI thread touches the dialog.
class CopyProgressSink {
public:
    virtual ~CopyProgressSink() = default;
    virtual void CopyProgress(const std::string& cardPath, int percent) = 0;
};

}  // namespace talvix
