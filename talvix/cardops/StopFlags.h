#pragma once
#include <atomic>

namespace talvix {

// The stop flags of the three dialogs that stand in front of a card
// operation. The dialogs (or tvcard, or a test) set them from their own
// thread; the card threads read them between steps. A stale read only
// delays the stop to the next check.
struct StopFlags {
    std::atomic<bool> listingAbort{false};  // listing dialog's Abort (Find_Th, OpenTransfer)
    std::atomic<bool> copyCancel{false};    // progress dialog's Cancel (Copy_Th, Write_Th)
    std::atomic<bool> waitAbort{false};     // wait dialog's Stop (Delete_Th, MakeDir_Th, Rename_Th)
};

}  // namespace talvix
