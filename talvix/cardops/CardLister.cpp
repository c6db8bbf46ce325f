#include "talvix/cardops/CardLister.h"

#include "platform/Cp932.h"
#include "platform/FindData.h"
#include "talvix/cardops/CardPath.h"
#include "talvix/filexfer/FileOpe.h"

namespace talvix {

using platform::FindData;

CardLister::CardLister(CardSession& session) : s_(session) {}

void CardLister::StartListing()
{
    if (!s_.thread.Start([this] { Find_Th(); })) {
        s_.CardStatus = ST_NOTHREAD;
        return;
    }
    s_.thread.WaitDone();
}

bool CardLister::Aborted() const
{
    return s_.flags.listingAbort.load();
}

void CardLister::Find_Th()
{
    s_.CardStatus = ST_OK;
    if (s_.OpenTransfer(s_.flags.listingAbort)) {
        s_.ReadVolume();
        if (Aborted())
            s_.CardStatus = ST_ABORT;
        else if (ListCard() && Aborted())
            s_.CardStatus = ST_ABORT;
    }
    s_.LeaveTransfer();
}

bool CardLister::ListCard()
{
    s_.folders.Clear();
    nextSlot_ = 1;
    if (ReadFolder(0, 0, cardpath::kDrive) > 0) {
        ReadSubfolders(0);
        s_.folders.CardFolderCount = nextSlot_;
        return true;
    }
    // An empty card: the root record stays in slot 0 with no entries.
    s_.folders.CardFolderCount = 0;
    return false;
}

namespace {

bool Kept(const FindData& e)
{
    if (e.cFileName == "." || e.cFileName == "..")
        return false;
    constexpr uint32_t hidden =
        platform::FILE_ATTRIBUTE_HIDDEN | platform::FILE_ATTRIBUTE_SYSTEM | platform::FILE_ATTRIBUTE_VOLUME;
    return (e.dwFileAttributes & hidden) == 0;
}

}  // namespace

int CardLister::ReadFolder(int slot, uint16_t level, const std::string& path)
{
    FileOpe& ope = *s_.ope;
    FindData fd;
    const int handle = ope.FindFirst(0, path + "\\*.*", &fd);
    if (handle == 0) {
        if (ope.lastOutcome()) {
            // The device answered that the folder holds nothing at all: an
            // empty folder, not a failure.
            s_.folders.Create(slot, level, path);
            return 0;
        }
        s_.CardStatus = ComErr(CMD_FIND_FIRST);
        return 0;
    }
    if (Aborted()) {
        s_.CardStatus = ST_ABORT;
    } else {
        CardFolder* record = s_.folders.Create(slot, level, path);
        if (Kept(fd))
            record->Add(fd);
        for (;;) {
            const int next = ope.FindNext(handle, &fd);
            if (next < 0) {
                s_.CardStatus = ComErr(CMD_FIND_NEXT);
                break;
            }
            if (next == 0)
                break;
            if (Aborted()) {
                s_.CardStatus = ST_ABORT;
                break;
            }
            // A full record takes nothing more; the rest of the folder is not read.
            if (Kept(fd) && !record->Add(fd))
                break;
        }
    }
    ope.FindClose(handle);
    if (s_.CardStatus != ST_OK)
        return 0;
    const CardFolder* record = s_.folders.Slot(slot);
    return record ? record->count() : 0;
}

bool CardLister::ReadSubfolders(int slot)
{
    CardFolder* record = s_.folders.Slot(slot);
    if (record == nullptr)
        return true;
    for (size_t i = 0; i < record->entries.size(); ++i) {
        const FindData& e = *record->entries[i];
        // A folder whose name holds a separator (or is empty) cannot be named
        // by a path: "M:\X\SUB" would search, and its record would stand for,
        // another folder. It stays an entry of its parent, unread.
        if (!e.IsDirectory() || cardpath::IsUnsafeName(e.cFileName))
            continue;
        if (nextSlot_ >= CardFolders::kListingSlots)
            return false;
        const int newSlot = nextSlot_++;
        const std::string path = record->path + "\\" + e.cFileName;
        if (ReadFolder(newSlot, static_cast<uint16_t>(record->level + 1), path) > 0 && !ReadSubfolders(newSlot))
            return false;
        if (Aborted()) {
            s_.CardStatus = ST_ABORT;
            return false;
        }
    }
    return true;
}

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
