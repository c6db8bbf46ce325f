#pragma once

namespace talvix {

struct CardFolder;

// Handles of the main window's tree nodes and list items. The card engine
// only stores and hands them back; what they point at is the window's own.
using TreeNode = void*;
using ListItem = void*;

// What the card threads change in the main window's tree and list. The
// threads call these from the worker thread; an implementation that owns
// widgets hands each call to the UI thread and waits until it is done
// (Qt::BlockingQueuedConnection), because the UI thread keeps its event loop
// running while a card operation is waited for.
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
};

}  // namespace talvix
