#pragma once
#include <functional>

namespace talvix {

struct CardFolder;

// Handles of the main window's tree nodes and list items. The card engine
// only stores and hands them back; what they point at is the window's own.
using TreeNode = void*;
using ListItem = void*;

// What the card threads change in the main window's tree and list.
//
// The threads make every such change, together with the matching change of
// the folder table, inside one Apply() call. A window implementation runs
// Apply's function on the UI thread and waits for it (for example with
// Qt::BlockingQueuedConnection; the UI thread keeps its event loop running
// while a card operation is waited for), so the three calls below always
// arrive on the UI thread and need no hand-over of their own.
class CardViewSink {
public:
    virtual ~CardViewSink() = default;

    // A folder was made on the card: add a tree node for `record` under the
    // node of `parent`, in name order, and return it (stored in record.node).
    virtual TreeNode AddFolderNode(CardFolder& parent, CardFolder& record) = 0;
    // An entry was deleted: remove its list item and lower the item count by one.
    virtual void RemoveListItem(ListItem item) = 0;
    // A folder was deleted: remove its tree node with its whole subtree.
    virtual void RemoveTreeNode(TreeNode node) = 0;

    // Runs `change` (an update of the folder table together with the calls
    // above) on the thread that owns the windows and returns when it is done,
    // so the windows never read the table while a worker changes it. This
    // matters for the delete, which the main window does not wait for. The
    // default runs it on the calling thread, for owners without windows.
    virtual void Apply(const std::function<void()>& change) { change(); }
};

}  // namespace talvix
