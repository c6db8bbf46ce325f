#pragma once
#include "platform/FindData.h"
#include "talvix/cardops/CardSession.h"
#include "talvix/cardops/CardViewSink.h"

#include <cstdint>
#include <string>
#include <vector>

namespace talvix {

// One card file or folder to delete.
struct tagDEL_LIST {
    std::string path;               // relative card path
    TreeNode node = nullptr;        // its tree node (folders), or none
    ListItem item = nullptr;        // its list item, or none
    CardFolder* folder = nullptr;   // the record that holds the entry
    int index = -1;                 // its position in `folder` when listed, -1 when not found
    uint8_t isFile = 0;             // 1 file, 0 folder
};

// Delete, make folder and rename on the card.
//
// The delete list is built on the UI thread (read-only entries are asked
// about) in pre-order; Delete_Th then deletes every file from the last to the
// first and after that every folder from the last to the first, so each
// folder is empty when its delete goes out. The list items, tree nodes and
// folder-table entries of what was deleted are removed as it goes.
class CardEditor {
public:
    static constexpr size_t kMaxEntries = 256;

    explicit CardEditor(CardSession& session);

    // A selected item of the file list and the entry it shows.
    struct ListSelection {
        ListItem item = nullptr;
        const platform::FindData* entry = nullptr;
    };

    // Empties the delete list (DelCount = 0) and Skipped, as every delete
    // command does first.
    void ClearDelList();
    // Adds the selected list items of the tree folder `treeFolder` (folders
    // with everything in them). False on Cancel in a read-only question, or
    // when more than kMaxEntries would be needed (CardStatus = ST_TOOMANY;
    // the list is emptied).
    bool BuildDelListFromList(const std::vector<ListSelection>& selected, const std::string& treeFolder);
    // Adds the folder `folder` (relative path) shown by `node`, and
    // everything in it; `item` is its list item, if any. False as above.
    bool BuildDelListFromTree(const std::string& folder, TreeNode node, ListItem item);
    int DelCount() const { return static_cast<int>(DelList.size()); }

    // Starts Delete_Th and returns at once, as the main window does.
    void StartDelete();
    // Starts Delete_Th and waits for it (pumping); the result is in CardStatus.
    void DeleteAndWait();

    // Makes the folder "M:" + relative with the three DOS date/time pairs
    // (creation, last access, last write) and waits for it.
    void StartMakeDir(const std::string& relative, const uint16_t times[6]);
    // Renames "M:" + from to "M:" + to (full paths in the same folder) and waits.
    void StartRename(const std::string& fromRelative, const std::string& toRelative);

    // The DOS date/time block for the current local time, three times.
    static void NowTimes(uint16_t times[6]);

    // Thread bodies (public for the tests).
    void Delete_Th();
    void MakeDir_Th();
    void Rename_Th();

    std::vector<tagDEL_LIST> DelList;
    // Relative card paths of entries left out of the delete list because
    // their names cannot be sent as one component of a card path (empty,
    // ".", "..", or holding "\", "/" or NUL): the path sent would name
    // another entry. Emptied by ClearDelList.
    std::vector<std::string> Skipped;
    std::string MakeDirPath;
    uint16_t MakeDirTimes[6] = {};
    std::string RenameFrom;
    std::string RenameTo;

private:
    bool Add(tagDEL_LIST entry);
    bool Fail();
    // Removes a deleted entry from the table (and a deleted folder's record).
    void Forget(const tagDEL_LIST& entry);

    CardSession& s_;
    bool tooMany_ = false;
};

}  // namespace talvix
