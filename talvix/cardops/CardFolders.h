#pragma once
#include "platform/FindData.h"
#include "talvix/cardops/CardViewSink.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace talvix {

// One card folder: its entries in the card's order (the record owns them;
// list items and lists point at them, so they never move in memory while
// the record lives).
struct CardFolder {
    static constexpr size_t kMaxEntries = 1024;

    int32_t index = 0;    // slot in the folder table
    uint16_t level = 0;   // 0 for the card root
    std::vector<std::unique_ptr<platform::FindData>> entries;
    std::string path;     // "M:" for the root, parent's path + "\" + name below it
    TreeNode node = nullptr;  // the main window's tree node for this folder

    uint16_t count() const { return static_cast<uint16_t>(entries.size()); }
    bool Full() const { return entries.size() >= kMaxEntries; }
    // Appends a copy of `entry`; false (and nothing changed) when the record is full.
    bool Add(const platform::FindData& entry);
    // The entry whose name is exactly `name`, or null.
    platform::FindData* Entry(const std::string& name);
    // The relative path of the folder: the last `level` components of `path`.
    std::string RelativePath() const;
};

// The in-memory model of the card: up to 256 folder records. After a listing
// they stand in depth-first pre-order with the root in slot 0; a write
// appends records for the folders it makes.
class CardFolders {
public:
    static constexpr int kSlots = 256;
    static constexpr int kListingSlots = 255;  // a listing records at most this many

    // Frees every record (also those taken out by RemoveFolder) and empties
    // every slot; CardFolderCount = 0.
    void Clear();

    // The record in `slot`, or null (also for a slot outside 0..255).
    CardFolder* Slot(int slot);
    const CardFolder* Slot(int slot) const;

    // Creates (or replaces) the record in `slot`; null for a slot outside 0..255.
    CardFolder* Create(int slot, uint16_t level, const std::string& path);

    // Appends a record at slot CardFolderCount and counts it; null when the
    // table is full.
    CardFolder* Append(uint16_t level, const std::string& path);

    // Takes a deleted folder's record out of the table; the records after it
    // move down one slot (their objects stay where they are, so pointers to
    // them stay good). The record itself is kept aside until the next
    // Clear(), so a delete list, a tree node or a list item that still points
    // at it or at one of its entries never points at freed memory. False when
    // the record is not in the table.
    bool RemoveFolder(const CardFolder* record);

    // Makes sure the root record is counted: after the listing of an empty
    // card the root record stands in slot 0 but the count is 0; a write onto
    // that card needs it. Returns the root record (created when missing), or
    // null when the table holds folders but no root.
    CardFolder* EnsureRoot();

    // The first of records 0..CardFolderCount-1 whose relative path equals
    // `relative`, compared without regard to ASCII case; null when none.
    CardFolder* FindFolder(const std::string& relative);

    // The entry whose relative path is exactly `relative` (case-sensitive),
    // searched in table order; null when none.
    platform::FindData* FindCardEntry(const std::string& relative);

    // Position of the first entry of `record` whose name equals the last
    // component of `path` without regard to ASCII case; -1 when none; 0 when
    // there is no record.
    static int IndexInFolder(const CardFolder* record, const std::string& path);

    // Removes the entry named `name` (without regard to ASCII case) from
    // `record`; the entries after it move down, keeping their order. False
    // when there is no record or no such entry (nothing changes then).
    static bool RemoveEntry(CardFolder* record, const std::string& name);

    // After a rename on the card: `parent` is the relative path of the folder
    // that holds the entry followed by "\" ("\" for the root). The parent's
    // record gets the new name for its first entry named exactly `oldName`;
    // the records of the renamed folder and of every folder inside it get the
    // new name in their paths. Paths compare exactly.
    void ApplyRename(const std::string& parent, const std::string& oldName, const std::string& newName);

    // After a folder was made on the card: appends its entry (folder, all
    // three times = `time`) to `parent` and a record for it to the table.
    // When the table or the parent record is full nothing changes and the
    // result is null: the folder exists on the card and shows up at the next
    // listing.
    struct NewFolder {
        platform::FindData* entry = nullptr;
        CardFolder* record = nullptr;
    };
    NewFolder AddFolder(CardFolder& parent, const std::string& name, const platform::FileTime& time);

    // The subfolder records of `record` in tree order: one per distinct
    // folder-entry name, in byte order of the names, each with the record
    // FindFolder gives for it (null when the table holds none).
    struct Child {
        std::string name;
        std::string relative;
        CardFolder* record = nullptr;
    };
    std::vector<Child> Children(const CardFolder& record);

    int CardFolderCount = 0;  // number of valid records

private:
    std::array<std::unique_ptr<CardFolder>, kSlots> slots_;
    std::vector<std::unique_ptr<CardFolder>> removed_;  // taken out since the last Clear()
};

}  // namespace talvix
