#include "talvix/cardops/CardLister.h"

#include "platform/Cp932.h"
#include "platform/FindData.h"
#include "talvix/cardops/CardPath.h"

namespace talvix {

using platform::FindData;

CardLister::CardLister(CardSession& session) : s_(session) {}

bool CardLister::LoadDummyCard()
{
    s_.folders.Clear();
    nextSlot_ = 1;
    const std::string pc = s_.programPath + "MMC";
    if (ReadDummyFolder(0, 0, cardpath::kDrive, pc) < 0)
        return false;
    ReadDummySubfolders(0, pc);
    s_.folders.CardFolderCount = nextSlot_;
    return true;
}

// The PC folder's entries, all but "." and ".." (no attribute filter), with
// the card form of each name: the 8.3 alias when the PC name needs one,
// else the name in CP932. -1 when the folder cannot be read (no record).
int CardLister::ReadDummyFolder(int slot, uint16_t level, const std::string& cardPath, const std::string& pcPath)
{
    platform::FindFile find;
    FindData fd;
    bool more = find.First(pcPath + "/*.*", fd);
    if (!more && !find.IsOpen()) {
        platform::FindData probe;
        if (!platform::GetFindData(pcPath, probe) || !probe.IsDirectory())
            return -1;
    }
    CardFolder* record = s_.folders.Create(slot, level, cardPath);
    if (record == nullptr)
        return -1;
    for (; more; more = find.Next(fd)) {
        if (fd.cFileName == "." || fd.cFileName == "..")
            continue;
        FindData entry = fd;
        entry.cFileName = fd.cAlternateFileName.empty() ? platform::ToCp932(fd.cFileName) : fd.cAlternateFileName;
        entry.cAlternateFileName.clear();
        if (!record->Add(entry))
            break;
    }
    return record->count();
}

void CardLister::ReadDummySubfolders(int slot, const std::string& pcPath)
{
    CardFolder* record = s_.folders.Slot(slot);
    if (record == nullptr)
        return;
    for (size_t i = 0; i < record->entries.size(); ++i) {
        const FindData& e = *record->entries[i];
        if (!e.IsDirectory())
            continue;
        if (nextSlot_ >= CardFolders::kListingSlots)
            return;
        std::string pcName;
        if (!platform::ResolvePcName(pcPath, platform::ToUtf8(e.cFileName), pcName))
            continue;
        const std::string childPc = pcPath + "/" + pcName;
        const int newSlot = nextSlot_;
        const int n = ReadDummyFolder(newSlot, static_cast<uint16_t>(record->level + 1),
                                      record->path + "\\" + e.cFileName, childPc);
        if (n < 0)
            continue;  // cannot be read: no record, no slot
        ++nextSlot_;
        if (n > 0)
            ReadDummySubfolders(newSlot, childPc);
    }
}

}  // namespace talvix
