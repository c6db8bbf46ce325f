#include "talvix/cardops/CardCopier.h"

#include "platform/FileTime.h"
#include "talvix/cardops/CardPath.h"
#include "talvix/cardops/CopyProgressSink.h"
#include "talvix/cardops/OverwriteAsker.h"
#include "talvix/filexfer/FileOpe.h"
#include "platform/AtomicFile.h"
#include "platform/Cp932.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>
#include <memory>
#include <new>

namespace talvix {

using platform::FindData;

CardCopier::CardCopier(CardSession& session) : s_(session) {}

void CardCopier::BeginCopyList()
{
    CopyTotal = 0;
    CopyDone = 0;
    CopyList.clear();
    Skipped.clear();
    OverwriteAnswer = OverwriteAsker::Yes;
    tooMany_ = false;
}

bool CardCopier::Fail()
{
    if (tooMany_)
        s_.CardStatus = ST_TOOMANY;
    CopyList.clear();
    CopyTotal = 0;
    return false;
}

bool CardCopier::AddCopySelection(const FindData& entry, const std::string& folder)
{
    const std::string path = folder + "\\" + entry.cFileName;
    bool taken = false;
    if (!Take(entry, path, 0, taken))
        return Fail();
    if (taken && entry.IsDirectory() && !ExpandFolder(path, 1))
        return Fail();
    return true;
}

bool CardCopier::BuildCopyList(const std::vector<const FindData*>& selected, const std::string& treeFolder)
{
    BeginCopyList();
    if (!selected.empty()) {
        for (const FindData* entry : selected)
            if (entry != nullptr && !AddCopySelection(*entry, treeFolder))
                return false;
        return true;
    }

    // Nothing selected in the list: the tree's folder itself, unless it is the root.
    if (cardpath::Depth(treeFolder) == 0)
        return false;
    CardFolder* parent = s_.folders.FindFolder(cardpath::Parent(treeFolder));
    const FindData* entry = parent ? parent->Entry(cardpath::LastComponent(treeFolder)) : nullptr;
    if (entry == nullptr)
        return false;
    return AddCopySelection(*entry, cardpath::Parent(treeFolder));
}

void CardCopier::FreeCopyList()
{
    CopyList.clear();
    CopyList.shrink_to_fit();
}

bool CardCopier::Take(const FindData& entry, const std::string& path, int depth, bool& taken)
{
    taken = false;
    std::string pcName;
    if (!cardpath::ToPcName(entry.cFileName, pcName)) {
        Skipped.push_back(path);
        return true;
    }
    if (CopyList.size() >= kMaxItems) {
        tooMany_ = true;
        return false;
    }
    CopyItem item{entry, path, depth};
    switch (AskOverwriteCopy(item)) {
    case OverwriteAsker::Cancel:
        return false;
    case OverwriteAsker::No:
        return true;
    default:
        break;
    }
    if (!entry.IsDirectory())
        CopyTotal += entry.FileSize();
    CopyList.push_back(std::move(item));
    taken = true;
    return true;
}

bool CardCopier::ExpandFolder(const std::string& path, int depth)
{
    CardFolder* record = s_.folders.FindFolder(path);
    if (record == nullptr) {
        // The listing stopped at the folder table's limit before this folder:
        // what it holds is not known, and copying it as an empty folder would
        // lose its files without a word.
        tooMany_ = true;
        return false;
    }
    // Subfolders first, each followed by its own contents; then the files.
    for (int pass = 0; pass < 2; ++pass) {
        const bool folders = pass == 0;
        for (size_t i = 0; i < record->entries.size(); ++i) {
            const FindData& entry = *record->entries[i];
            if (entry.IsDirectory() != folders)
                continue;
            const std::string child = path + "\\" + entry.cFileName;
            bool taken = false;
            if (!Take(entry, child, depth, taken))
                return false;
            if (taken && folders && !ExpandFolder(child, depth + 1))
                return false;
        }
    }
    return true;
}

int CardCopier::AskOverwriteCopy(const CopyItem& item)
{
    if (OverwriteAnswer == OverwriteAsker::YesToAll)
        return OverwriteAsker::YesToAll;
    OverwriteQuestion q;
    q.existingName = DestinationName(item);
    if (!platform::GetFindData(q.existingName, q.existing))
        return OverwriteAsker::Yes;
    q.toCard = false;
    q.iconPath = q.existingName;
    q.replacement = item.find;
    // Without anyone to ask, what is there stays.
    OverwriteAnswer = s_.overwriteAsker ? s_.overwriteAsker->AskOverwrite(q) : OverwriteAsker::No;
    return OverwriteAnswer;
}

std::string CardCopier::DestinationName(const CopyItem& item) const
{
    const std::vector<std::string> parts = cardpath::Split(item.path);
    const size_t keep = static_cast<size_t>(item.depth) + 1;
    const size_t first = parts.size() > keep ? parts.size() - keep : 0;
    std::string out = CopyDest;
    if (out.empty() || out.back() != '/')
        out += '/';
    for (size_t i = first; i < parts.size(); ++i) {
        if (i > first)
            out += '/';
        std::string pcName;
        // Unsafe names never reach the list; should one come anyway, it
        // becomes a harmless placeholder instead of a path step.
        out += cardpath::ToPcName(parts[i], pcName) ? pcName : std::string("_");
    }
    return out;
}

namespace {

// An fd that closes itself.
struct Fd {
    int fd = -1;
    ~Fd()
    {
        if (fd >= 0)
            close(fd);
    }
};

bool WriteAll(int fd, const uint8_t* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

bool CardCopier::SavePcFile(const uint8_t* data, size_t size, const std::string& dest, const FindData& item)
{
    const size_t slash = dest.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : dest.substr(0, slash == 0 ? 1 : slash);

    // A temporary name of our own in the same folder; O_EXCL makes sure it is new.
    Fd tmp;
    std::string tmpPath;
    static std::atomic<unsigned> counter{0};
    for (unsigned attempt = 0; attempt < 100 && tmp.fd < 0; ++attempt) {
        tmpPath = folder + "/.tvc" + std::to_string(getpid()) + "-" + std::to_string(counter++) + ".tmp";
        tmp.fd = open(tmpPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (tmp.fd < 0 && errno != EEXIST)
            return false;
    }
    if (tmp.fd < 0)
        return false;

    bool ok = WriteAll(tmp.fd, data, size);
    if (ok) {
        // The card keeps local wall-clock time; the PC file gets the same moment in UTC.
        platform::FileTime utc;
        if (item.ftLastWriteTime.ticks != 0 && platform::LocalFileTimeToFileTime(item.ftLastWriteTime, utc)) {
            timespec times[2];
            times[0].tv_sec = 0;
            times[0].tv_nsec = UTIME_OMIT;
            times[1] = platform::FileTimeToTimespec(utc);
            futimens(tmp.fd, times);
        }
        ok = fsync(tmp.fd) == 0;
    }
    ok = (close(tmp.fd) == 0) && ok;
    tmp.fd = -1;
    if (ok)
        ok = rename(tmpPath.c_str(), dest.c_str()) == 0;
    if (!ok)
        unlink(tmpPath.c_str());
    return ok;
}

void CardCopier::StartCopy()
{
    if (!s_.thread.Start([this] { Copy_Th(); }, CardThread::Priority::BelowNormal)) {
        s_.CardStatus = ST_NOTHREAD;
        return;
    }
    s_.thread.WaitDone();
}

void CardCopier::Copy_Th()
{
    s_.CardStatus = ST_OK;
    s_.RunInTransfer(s_.flags.copyCancel, [this] { return CopyAll(); });
}

bool CardCopier::CopyAll()
{
    for (const CopyItem& item : CopyList) {
        if (s_.flags.copyCancel) {
            s_.CardStatus = ST_ABORT;
            return false;
        }
        if (item.find.IsDirectory()) {
            // Folders that exist already are accepted.
            if (!platform::AtomicFile::CreateFolders(DestinationName(item))) {
                s_.CardStatus = ST_PCFOLDER;
                return false;
            }
            continue;
        }
        CopyCurrent = item.path;
        if (!CopyOneFile(item))
            return false;
        CopyDone += item.find.FileSize();
        SendProgress();
    }
    return true;
}

void CardCopier::SendProgress()
{
    const uint64_t total = CopyTotal;
    const int percent = total == 0 ? 0 : static_cast<int>(std::min<uint64_t>(CopyDone * 100 / total, 100));
    if (s_.progressSink != nullptr)
        s_.progressSink->CopyProgress(CopyCurrent, percent);
}

bool CardCopier::CopyOneFile(const CopyItem& item)
{
    SendProgress();
    const std::string dest = DestinationName(item);
    if (s_.dummyMode)
        return CopyDummyFile(item, dest);

    FileOpe& ope = *s_.ope;
    const uint32_t size = item.find.nFileSizeLow;
    uint8_t error = 0;
    const uint32_t handle = ope.Open(cardpath::Full(item.path), kOpenRead, error);

    if (size == 0) {
        // Nothing to read: an empty PC file, once the card has opened the file.
        if (handle == 0)
            s_.CardStatus = ComErr(CMD_OPEN);
        else if (!ope.Close(handle))
            s_.CardStatus = ComErr(CMD_CLOSE);
        else if (!SavePcFile(nullptr, 0, dest, item.find))
            s_.CardStatus = ST_PCFILE;
        return s_.CardStatus == ST_OK;
    }

    // The whole file is read before the PC file is written, so a failure or
    // a cancel never leaves a partial file behind.
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[size_t(size) + 4096]);
    if (!buffer) {
        if (handle != 0)
            ope.Close(handle);
        s_.CardStatus = ST_PCFILE;
        return false;
    }
    uint32_t chunk = static_cast<uint32_t>(ope.BlockSize());
    uint32_t offset = 0;
    for (;;) {
        if (s_.flags.copyCancel) {
            s_.CardStatus = ST_ABORT;
            break;
        }
        uint32_t count = 0;
        if (!ope.Read(handle, buffer.get(), offset, chunk, count) || count == 0) {
            s_.CardStatus = ComErr(CMD_READ);
            break;
        }
        offset += count;
        if (offset >= size)
            break;
        if (offset + chunk > size)
            chunk = size - offset;
    }
    // A file the card never opened has nothing to close.
    if (handle != 0 && !ope.Close(handle))
        s_.CardStatus = ComErr(CMD_CLOSE);
    if (offset > 0 && s_.CardStatus == ST_OK && !SavePcFile(buffer.get(), std::min(offset, size), dest, item.find))
        s_.CardStatus = ST_PCFILE;
    return s_.CardStatus == ST_OK;
}

bool CardCopier::CopyDummyFile(const CopyItem& item, const std::string& dest)
{
    // The dummy card's names are CP932 card names (8.3 aliases included);
    // find the PC entries they stand for.
    std::string source = s_.programPath + "MMC";
    for (const std::string& part : cardpath::Split(item.path)) {
        std::string name;
        if (!platform::ResolvePcName(source, platform::ToUtf8(part), name)) {
            s_.CardStatus = ST_PCFILE;
            return false;
        }
        source += "/" + name;
    }
    std::ifstream in(source, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
        s_.CardStatus = ST_PCFILE;
        return false;
    }
    // The dummy entry carries the PC file's UTC time; SavePcFile wants card local time.
    FindData stamp = item.find;
    platform::FileTime local;
    if (platform::FileTimeToLocalFileTime(item.find.ftLastWriteTime, local))
        stamp.ftLastWriteTime = local;
    if (!SavePcFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), dest, stamp)) {
        s_.CardStatus = ST_PCFILE;
        return false;
    }
    return true;
}

}  // namespace talvix
