#include "talvix/cardops/CardWriter.h"

#include "platform/Cp932.h"
#include "platform/FileTime.h"
#include "talvix/cardops/CardPath.h"
#include "talvix/cardops/OverwriteAsker.h"

#include <map>
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
