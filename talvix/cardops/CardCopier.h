#pragma once
#include "platform/FindData.h"
#include "talvix/cardops/CardSession.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace talvix {

// One card file or folder to copy to the PC.
struct CopyItem {
    platform::FindData find;  // copy of the card entry
    std::string path;         // relative card path
    int depth = 0;            // 0 for a selected item, +1 per folder level below it
};

// Copy from the card to a PC folder.
//
// BuildCopyList runs on the UI thread: it expands the selection into a flat
// list (each folder before its contents) and asks every overwrite question
// before anything moves. StartCopy runs Copy_Th and waits for it with the
// pump; the thread makes the PC folders and reads each card file whole, in
// blocks of the card's block size, before writing it to the PC through a
// temporary file that is renamed over the destination.
class CardCopier {
public:
    static constexpr size_t kMaxItems = 256;

    explicit CardCopier(CardSession& session);

    // Expands `selected` (entries of the folder `treeFolder`, in list order)
    // or, when nothing is selected, the folder `treeFolder` itself. False
    // when the user cancelled an overwrite question, when there is nothing
    // to copy (the card root as tree folder), or when the selection needs
    // more than kMaxItems items or holds a folder the folder table had no
    // room for (CardStatus = ST_TOOMANY, list left empty).
    // Entries whose names cannot be PC names are left out with everything
    // below them and listed in `Skipped`.
    bool BuildCopyList(const std::vector<const platform::FindData*>& selected, const std::string& treeFolder);
    void FreeCopyList();

    // The same in steps, for selections from several folders (tvcard get):
    // BeginCopyList resets the list, the totals and the overwrite state;
    // AddCopySelection adds one entry of `folder` with everything below it and
    // fails like BuildCopyList (the list is then emptied).
    void BeginCopyList();
    bool AddCopySelection(const platform::FindData& entry, const std::string& folder);

    // Runs Copy_Th and waits for it (pumping); the result is in CardStatus.
    void StartCopy();

    // The PC path an item is copied to: CopyDest + the last depth + 1
    // components of its path, converted to UTF-8.
    std::string DestinationName(const CopyItem& item) const;

    // Writes `size` bytes as the PC file `dest` with the card entry's
    // last-write time (card local time, set as the matching UTC time). The
    // bytes go to a temporary file in the same folder that is then renamed
    // over `dest`, so an old file of that name stays whole until the new one
    // is complete; a read-only old file is replaced too. The new file is an
    // ordinary writable file.
    static bool SavePcFile(const uint8_t* data, size_t size, const std::string& dest,
                           const platform::FindData& item);

    // Thread body and its steps (public for the tests).
    void Copy_Th();
    bool CopyAll();
    bool CopyOneFile(const CopyItem& item);

    std::string CopyDest;                 // PC folder, ending with "/"; set before BuildCopyList
    uint64_t CopyTotal = 0;               // bytes of the listed files
    std::atomic<uint64_t> CopyDone{0};    // bytes copied so far
    std::string CopyCurrent;              // relative card path of the file being copied
    std::vector<CopyItem> CopyList;
    std::vector<std::string> Skipped;     // relative card paths left out for their names
    int OverwriteAnswer = 1;              // 1 ask, 2 Yes to all (see OverwriteAsker)

private:

    int AskOverwriteCopy(const CopyItem& item);
    bool ExpandFolder(const std::string& path, int depth);
    // Takes one candidate into the list (asking first). Returns false to end
    // the whole build; `taken` tells whether the item went into the list.
    bool Take(const platform::FindData& entry, const std::string& path, int depth, bool& taken);
    bool Fail();
    void SendProgress();
    bool CopyDummyFile(const CopyItem& item, const std::string& dest);

    CardSession& s_;
    bool tooMany_ = false;
};

}  // namespace talvix
