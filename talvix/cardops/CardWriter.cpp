#include "talvix/cardops/CardWriter.h"

#include "platform/Cp932.h"
#include "platform/FileTime.h"
#include "talvix/cardops/CardPath.h"
#include "talvix/cardops/CardViewSink.h"
#include "talvix/cardops/CopyProgressSink.h"
#include "talvix/cardops/OverwriteAsker.h"
#include "talvix/filexfer/FileOpe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <map>
#include <memory>
#include <new>
#include <set>

namespace talvix {

using platform::FindData;

CardWriter::CardWriter(CardSession& session) : s_(session) {}

bool CardWriter::BuildWriteList(const std::vector<std::string>& dropNames, const std::string& dropFolder)
{
    WriteTotal = 0;
    WriteList.clear();
    OverwriteAnswer = OverwriteAsker::Yes;
    tooMany_ = false;
    DropFolder = dropFolder;

    for (const std::string& name : dropNames) {
        std::string native = name;
        while (native.size() > 1 && native.back() == '/')
            native.pop_back();
        const size_t slash = native.rfind('/');
        const std::string parent = slash == std::string::npos ? "." : native.substr(0, slash);
        const std::string last = slash == std::string::npos ? native : native.substr(slash + 1);
        if (last.empty())
            continue;  // the file-system root, like a drive root
        platform::FindFile find;
        FindData fd;
        if (!find.First(native, fd))
            continue;
        if (!AddWriteEntry(parent, dropFolder, 0, fd) || !CheckFits()) {
            if (tooMany_)
                s_.CardStatus = ST_TOOMANY;
            WriteList.clear();
            WriteTotal = 0;
            return false;
        }
    }
    return true;
}

bool CardWriter::AddWriteEntry(const std::string& pcParent, const std::string& cardFolder, int depth,
                               const FindData& pcEntry)
{
    if (pcEntry.cFileName == "." || pcEntry.cFileName == "..")
        return true;
    tagWRITE_LIST entry;
    entry.find = pcEntry;
    // The card gets the 8.3 alias when the PC name needs one, else the name
    // itself, in CP932 either way. Linux cannot open a file by its alias, so
    // the PC path keeps the real name.
    entry.find.cFileName =
        pcEntry.cAlternateFileName.empty() ? platform::ToCp932(pcEntry.cFileName) : pcEntry.cAlternateFileName;
    entry.find.cAlternateFileName.clear();
    entry.pcPath = pcParent + "/" + pcEntry.cFileName;
    entry.cardPath = cardFolder + "\\" + entry.find.cFileName;
    entry.depth = depth;

    if (WriteList.size() >= kMaxEntries) {
        tooMany_ = true;
        return false;
    }
    switch (AskOverwriteWrite(entry)) {
    case OverwriteAsker::Cancel:
        return false;
    case OverwriteAsker::No:
        return true;
    default:
        break;
    }
    WriteList.push_back(entry);
    if (entry.find.IsDirectory())
        return AddWriteFolder(entry.pcPath, entry.cardPath, depth + 1);
    WriteTotal += entry.find.FileSize();
    return true;
}

bool CardWriter::AddWriteFolder(const std::string& pcFolder, const std::string& cardFolder, int depth)
{
    platform::FindFile find;
    FindData fd;
    for (bool more = find.First(pcFolder + "/*.*", fd); more; more = find.Next(fd))
        if (!AddWriteEntry(pcFolder, cardFolder, depth, fd))
            return false;
    return true;
}

void CardWriter::FreeWriteList()
{
    WriteList.clear();
    WriteList.shrink_to_fit();
}

int CardWriter::AskOverwriteWrite(const tagWRITE_LIST& entry)
{
    if (OverwriteAnswer == OverwriteAsker::YesToAll)
        return OverwriteAsker::YesToAll;
    const FindData* existing = s_.folders.FindCardEntry(entry.cardPath);
    if (existing == nullptr)
        return OverwriteAsker::Yes;
    OverwriteQuestion q;
    q.toCard = true;
    q.existingName = entry.cardPath;
    q.existing = *existing;
    q.iconPath = entry.pcPath;
    q.replacement = entry.find;
    OverwriteAnswer = s_.overwriteAsker ? s_.overwriteAsker->AskOverwrite(q) : OverwriteAsker::No;
    return OverwriteAnswer;
}

// Everything the write adds must fit into the folder table (256 records) and
// into the folder records (1024 entries each); otherwise the write is refused
// before it starts, rather than cut short in the middle.
bool CardWriter::CheckFits()
{
    CardFolders& t = s_.folders;
    int newRecords = 0;
    const bool rootMissing = t.CardFolderCount == 0;
    if (rootMissing)
        ++newRecords;
    std::set<std::string> newFolders;      // upper-cased relative paths of records to create
    std::map<std::string, std::set<std::string>> added;  // parent -> names new to it
    if (!DropFolder.empty() && t.FindFolder(DropFolder) == nullptr) {
        tooMany_ = true;  // the drop folder is beyond what the table holds
        return false;
    }
    for (const tagWRITE_LIST& e : WriteList) {
        const std::string parent = cardpath::Parent(e.cardPath);
        const std::string name = e.find.cFileName;
        if (e.find.IsDirectory()) {
            const std::string key = cardpath::Upper(e.cardPath);
            if (t.FindFolder(e.cardPath) == nullptr && newFolders.insert(key).second)
                ++newRecords;
        }
        CardFolder* record = t.FindFolder(parent);
        if (record == nullptr || record->Entry(name) == nullptr)
            added[cardpath::Upper(parent)].insert(name);
    }
    if (t.CardFolderCount + newRecords > CardFolders::kSlots) {
        tooMany_ = true;
        return false;
    }
    for (const auto& [parent, names] : added) {
        CardFolder* record = t.FindFolder(parent);
        const size_t have = record ? record->entries.size() : 0;
        if (have + names.size() > CardFolder::kMaxEntries) {
            tooMany_ = true;
            return false;
        }
    }
    return true;
}

void CardWriter::StartWrite()
{
    if (!s_.thread.Start([this] { Write_Th(); })) {
        s_.CardStatus = ST_NOTHREAD;
        return;
    }
    s_.thread.WaitDone();
}

void CardWriter::Write_Th()
{
    s_.CardStatus = ST_OK;
    s_.flags.copyCancel = false;
    s_.RunInTransfer(s_.flags.copyCancel, [this] { return WriteAll(); });
}

bool CardWriter::WriteAll()
{
    if (!s_.dummyMode) {
        uint32_t record[4] = {};
        if (s_.ope->GetFreeSpace(record)) {
            // Counted in 64 bits: a card with more than 4 GiB free must not
            // look nearly full, nor a big write look small.
            uint64_t free = uint64_t(record[0]) * record[1];
            if (free != 0 && record[2] > std::numeric_limits<uint64_t>::max() / free)
                free = std::numeric_limits<uint64_t>::max();
            else
                free *= record[2];
            if (WriteTotal > free) {
                s_.CardStatus = ST_CARDFULL;
                return false;
            }
        }
    }
    for (const tagWRITE_LIST& e : WriteList)
        if (e.find.IsDirectory() && !WriteFolder(e))
            return false;
    uint64_t done = 0;
    for (const tagWRITE_LIST& e : WriteList) {
        if (e.find.IsDirectory())
            continue;
        Progress(e.cardPath, done);
        if (!WriteFileEntry(e))
            return false;
        done += e.find.FileSize();
        Progress(e.cardPath, done);
    }
    return true;
}

void CardWriter::Progress(const std::string& cardPath, uint64_t done)
{
    if (s_.progressSink == nullptr)
        return;
    const int percent = WriteTotal == 0 ? 0 : static_cast<int>(std::min<uint64_t>(done * 100 / WriteTotal, 100));
    s_.progressSink->CopyProgress(cardPath, percent);
}

namespace {

// The record a new entry goes into; the root of an empty card is counted first.
CardFolder* ParentRecord(CardFolders& folders, const std::string& cardPath)
{
    const std::string parent = cardpath::Parent(cardPath);
    return parent.empty() ? folders.EnsureRoot() : folders.FindFolder(parent);
}

// The folder-table entry for what was written: the card's attributes
// (`attributes`) and, like every card entry, local wall-clock times (the PC
// entry's times are UTC).
FindData CardEntry(const tagWRITE_LIST& written, uint32_t attributes)
{
    FindData shown = written.find;
    shown.dwFileAttributes = attributes;
    uint16_t times[6];
    CardWriter::CardTimes(written.find.ftCreationTime, times);
    platform::FileTime local;
    if (platform::DosDateTimeToFileTime(times[0], times[1], local))
        shown.ftCreationTime = shown.ftLastAccessTime = shown.ftLastWriteTime = local;
    return shown;
}

// Puts `entry` into `record`, replacing an entry of the same name.
bool PutEntry(CardFolder& record, const FindData& entry)
{
    if (FindData* existing = record.Entry(entry.cFileName)) {
        *existing = entry;
        return true;
    }
    return record.Add(entry);
}

}  // namespace

bool CardWriter::WriteFolder(const tagWRITE_LIST& entry)
{
    if (!s_.dummyMode && !s_.ope->MakeDir(cardpath::Full(entry.cardPath))) {
        // A folder the card holds already, which the user agreed to write
        // into, is refused by the device as existing: the write goes on into
        // it. Any other folder that cannot be made ends the write.
        const FindData* known = s_.folders.FindCardEntry(entry.cardPath);
        if (known == nullptr || !known->IsDirectory()) {
            s_.CardStatus = ComErr(CMD_MAKE_DIR);
            return false;
        }
    }
    bool ok = true;
    auto change = [this, &entry, &ok] { ok = AddFolderRecord(entry); };
    if (s_.viewSink != nullptr)
        s_.viewSink->Apply(change);
    else
        change();
    return ok;
}

bool CardWriter::AddFolderRecord(const tagWRITE_LIST& entry)
{
    if (s_.folders.FindFolder(entry.cardPath) != nullptr)
        return true;
    CardFolder* parent = ParentRecord(s_.folders, entry.cardPath);
    CardFolder* record =
        parent ? s_.folders.Append(static_cast<uint16_t>(cardpath::Depth(entry.cardPath)), cardpath::Full(entry.cardPath))
               : nullptr;
    if (record == nullptr) {
        s_.CardStatus = ST_TOOMANY;
        return false;
    }
    if (s_.viewSink != nullptr)
        record->node = s_.viewSink->AddFolderNode(*parent, *record);
    if (!PutEntry(*parent, CardEntry(entry, platform::FILE_ATTRIBUTE_DIRECTORY))) {
        s_.CardStatus = ST_TOOMANY;
        return false;
    }
    return true;
}

bool CardWriter::WriteFileEntry(const tagWRITE_LIST& entry)
{
    if (!WriteOneFile(entry))
        return false;
    bool ok = true;
    auto change = [this, &entry, &ok] { ok = AddFileEntry(entry); };
    if (s_.viewSink != nullptr)
        s_.viewSink->Apply(change);
    else
        change();
    return ok;
}

bool CardWriter::AddFileEntry(const tagWRITE_LIST& entry)
{
    CardFolder* parent = ParentRecord(s_.folders, entry.cardPath);
    // The table shows the entry as the card now holds it: archive, with the
    // local time the file was stamped with.
    if (parent == nullptr || !PutEntry(*parent, CardEntry(entry, platform::FILE_ATTRIBUTE_ARCHIVE))) {
        s_.CardStatus = ST_TOOMANY;
        return false;
    }
    return true;
}

bool CardWriter::WriteOneFile(const tagWRITE_LIST& entry)
{
    if (s_.dummyMode)
        return true;
    FileOpe& ope = *s_.ope;

    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[kBlock]);
    if (!buffer) {
        s_.CardStatus = ST_PCFILE;
        return false;
    }
    // Without O_NONBLOCK a named pipe would hold the open until some other
    // program writes to it; only ordinary files are sent.
    const int fd = open(entry.pcPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        s_.CardStatus = ST_PCFILE;
        return false;
    }
    struct FdCloser {
        int fd;
        ~FdCloser() { close(fd); }
    } closer{fd};
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        s_.CardStatus = ST_PCFILE;
        return false;
    }

    if (entry.find.nFileSizeHigh != 0) {
        s_.CardStatus = ST_CARDFULL;  // no card file can be this big
        return false;
    }
    const uint32_t size = entry.find.nFileSizeLow;
    uint8_t error = 0;
    const uint32_t handle = ope.Open(cardpath::Full(entry.cardPath), kOpenWrite, error);
    if (handle == 0) {
        // No reply, or the device would not open the file: nothing may be
        // sent to a handle it never gave.
        s_.CardStatus = ComErr(CMD_OPEN);
        return false;
    }
    uint32_t chunk = size < kBlock ? size : kBlock;
    if (!ope.WriteBegin(handle, 0, size)) {
        s_.CardStatus = ComErr(CMD_WRITE);
    } else {
        uint32_t offset = 0;
        while (offset < size) {
            ssize_t n = pread(fd, buffer.get(), chunk, offset);
            while (n < 0 && errno == EINTR)
                n = pread(fd, buffer.get(), chunk, offset);
            if (n != static_cast<ssize_t>(chunk)) {
                // Unreadable, or shorter than when it was listed.
                s_.CardStatus = ST_PCFILE;
                break;
            }
            if (!ope.WriteData(offset, chunk, buffer.get())) {
                s_.CardStatus = ComErr(CMD_WRITE_DATA);
                break;
            }
            offset += chunk;
            if (offset + chunk > size)
                chunk = size - offset;
        }
    }
    ope.Close(handle);
    if (s_.CardStatus != ST_OK)
        return false;

    uint16_t t[6];
    CardTimes(entry.find.ftCreationTime, t);
    if (!ope.SetDateTime(cardpath::Full(entry.cardPath), {t[0], t[1]}, {t[2], t[3]}, {t[4], t[5]})) {
        s_.CardStatus = ComErr(CMD_SET_DATE_TIME);
        return false;
    }
    return true;
}

void CardWriter::CardTimes(const platform::FileTime& pcTime, uint16_t times[6])
{
    uint16_t date = (0 << 9) | (1 << 5) | 1;  // 1980-01-01
    uint16_t time = 0;
    platform::FileTime local;
    uint16_t d = 0, t = 0;
    if (platform::FileTimeToLocalFileTime(pcTime, local) && platform::FileTimeToDosDateTime(local, d, t)) {
        date = d;
        time = t;
    }
    for (int i = 0; i < 3; ++i) {
        times[2 * i] = date;
        times[2 * i + 1] = time;
    }
}

}  // namespace talvix
