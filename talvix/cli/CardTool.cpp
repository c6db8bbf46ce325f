#include "talvix/cli/CardTool.h"

#include "platform/Cp932.h"
#include "platform/FileTime.h"
#include "platform/ProgramPaths.h"
#include "platform/Pump.h"
#include "talvix/cardops/CardCopier.h"
#include "talvix/cardops/CardEditor.h"
#include "talvix/cardops/CardLister.h"
#include "talvix/cardops/CardNameCheck.h"
#include "talvix/cardops/CardPath.h"
#include "talvix/cardops/CardSession.h"
#include "talvix/cardops/CardWriter.h"
#include "talvix/cli/CliDevices.h"
#include "talvix/cli/ProgressBar.h"
#include "talvix/cli/TerminalAsker.h"
#include "talvix/filexfer/FileOpe.h"
#include "talvix/serial/CSelkIO.h"
#include "talvix/serial/CSelkReg.h"
#include "talvix/serial/SelkSys.h"
#include "talvix/serial/SerialPortMap.h"

#include <csignal>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <vector>

namespace talvix {

using platform::FindData;

namespace {

constexpr const char* kInit = "INIT";

uint32_t ReadReg(CSelkReg& reg, const char* name, uint32_t fallback)
{
    uint32_t v = 0;
    return reg.ReadValue(kInit, name, v) ? v : fallback;
}

// The card path an argument names (UTF-8 in, CP932 relative path out).
std::string CardArg(const std::string& arg)
{
    return cardpath::Normalize(platform::ToCp932(arg));
}

// The entry a relative path names, found without regard to ASCII case;
// `exact` receives its path as the card spells it.
const FindData* LookUp(CardFolders& folders, const std::string& relative, std::string& exact, std::string& folder)
{
    CardFolder* parent = folders.FindFolder(cardpath::Parent(relative));
    const int index = CardFolders::IndexInFolder(parent, relative);
    if (parent == nullptr || index < 0)
        return nullptr;
    const FindData* entry = parent->entries[static_cast<size_t>(index)].get();
    folder = parent->RelativePath();
    exact = folder + "\\" + entry->cFileName;
    return entry;
}

std::string TimeText(const platform::FileTime& t)
{
    platform::SystemTime s;
    char text[64] = "0000-00-00 00:00:00";
    if (platform::FileTimeToSystemTime(t, s))
        std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", s.wYear, s.wMonth, s.wDay, s.wHour,
                      s.wMinute, s.wSecond);
    return text;
}

std::string PathText(const std::string& cardPath)
{
    return cardpath::Depth(cardPath) == 0 ? std::string("M:\\") : "M:" + platform::ToUtf8(cardPath);
}

// Ctrl-C stops a card operation the way the dialogs' Stop buttons do, so the
// device leaves file-transfer mode and no PC file is left half-written. A
// second Ctrl-C ends the program at once.
StopFlags* interruptFlags = nullptr;

void OnInterrupt(int)
{
    if (StopFlags* f = interruptFlags) {
        f->listingAbort = true;
        f->copyCancel = true;
        f->waitAbort = true;
    }
    std::signal(SIGINT, SIG_DFL);
}

// Routes Ctrl-C to a session's stop flags while it lives.
class InterruptGuard {
public:
    explicit InterruptGuard(StopFlags& flags)
    {
        interruptFlags = &flags;
        struct sigaction sa {};
        sa.sa_handler = OnInterrupt;
        sigemptyset(&sa.sa_mask);
        sigaction(SIGINT, &sa, &old_);
    }
    ~InterruptGuard()
    {
        sigaction(SIGINT, &old_, nullptr);
        interruptFlags = nullptr;
    }

private:
    struct sigaction old_ {};
};

}  // namespace

CardTool::CardTool(const CliOptions& options, std::FILE* out, std::FILE* err) : o_(options), out_(out), err_(err)
{
    texts_.SetLanguage(MLang::kEnglish);
    texts_.LoadCaptionTable(platform::ProgramPaths::ProgramFolder() + "/tv10.cpt");
}

std::string CardTool::ErrorLine(uint32_t status, const MLang& t)
{
    char head[32];
    std::snprintf(head, sizeof head, "error 0x%04X: ", status);
    std::string text;
    switch (status & 0xFF) {
    case 1: {
        char code[8];
        std::snprintf(code, sizeof code, "%02X", (status >> 8) & 0xFF);
        text = t.GetText("MSG_COMERR") + " [" + code + "]";
        break;
    }
    case 2: text = t.GetText("MSG_NODEV1") + " " + t.GetText("MSG_NODEV2"); break;
    case 3: text = t.GetText("MSG_NOSPACE"); break;
    case 5: text = t.GetText("MSG_NOSUPORT"); break;
    case 6: text = t.GetText("MSG_NOCARD"); break;
    case 7: text = t.GetText("MSG_NOFORMAT"); break;
    case 0xFF: text = t.GetText("MSG_ABORT"); break;
    default: text = "ERROR"; break;
    }
    return head + text;
}

std::string CardTool::CategoryText(int code, const MLang& t)
{
    switch (code) {
    case 1: return "VCR";
    case 3: return "VDP";
    case 7: return t.GetText("SG_MOVIE");
    case 9: return "VCP";
    case 34: return t.GetText("SG_PRINTER");
    default: return t.GetText("SG_UNKNOWN");
    }
}

int CardTool::Fail(uint32_t status)
{
    std::fprintf(err_, "%s\n", ErrorLine(status, texts_).c_str());
    return kFailed;
}

int CardTool::Usage(const std::string& message)
{
    std::fprintf(err_, "tvcard: %s\n", message.c_str());
    return kUsage;
}

int CardTool::NoDevice()
{
    std::fprintf(err_, "tvcard: %s %s\n", texts_.GetText("MSG_NODEV1").c_str(), texts_.GetText("MSG_NODEV2").c_str());
    return kNoDevice;
}

bool CardTool::OpenPort(CSelkIO& selk, int& portNumber)
{
    CSelkReg reg;
    portNumber = 0;
    if (!o_.portPath.empty()) {
        // A path that one of the four numbered ports maps to counts as that port.
        SerialPortMap map;
        for (int n = 1; n <= 4; ++n)
            if (map.DevicePath(n) == o_.portPath)
                portNumber = n;
        if (!selk.OpenPath(o_.portPath, portNumber))
            return false;
    } else {
        portNumber = o_.port != 0 ? o_.port : static_cast<int>(ReadReg(reg, "COM", 0));
        if (portNumber < 1 || portNumber > 4 || !selk.Open(portNumber))
            return false;
    }
    return selk.Setup();
}

int CardTool::Run()
{
    CSelkIO selk;
    int portNumber = 0;
    if (!OpenPort(selk, portNumber))
        return NoDevice();
    if (o_.command == "scan")
        return Scan(selk, portNumber);
    if (o_.command == "devices")
        return Devices(selk);
    return CardCommand(selk);
}

int CardTool::Scan(CSelkIO& selk, int portNumber)
{
    SelkSys sys(selk);
    CSelkReg reg;
    sys.Ping(1);
    std::vector<std::array<uint8_t, kDeviceRecordSize>> found;
    for (int id = 1; id <= 99; ++id) {
        if (sys.EnsurePowerOn(id)) {
            std::array<uint8_t, kDeviceRecordSize> record{};
            record[0] = static_cast<uint8_t>(id);
            found.push_back(record);
            platform::PumpSleep(100);
        }
    }
    for (auto& record : found) {
        platform::PumpSleep(1000);
        sys.ReadDeviceInfo(DeviceRecord(record));
    }

    // Stored as the device dialog's OK stores it.
    const int previous = static_cast<int>(ReadReg(reg, "CurID", 0));
    int current = 0;
    int category = 0;
    for (const auto& record : found)
        if (found.size() == 1 || record[0] == previous) {
            current = record[0];
            category = record[1];
        }
    const int rate = o_.rate != 0 ? o_.rate : static_cast<int>(ReadReg(reg, "BAUDRATE", 115200));
    reg.WriteValue(kInit, "DEVICES", static_cast<int32_t>(found.size()));
    for (size_t i = 0; i < found.size(); ++i)
        reg.WriteValue(kInit, "ID" + std::to_string(i), found[i][0]);
    for (size_t i = found.size(); i < 100; ++i)
        reg.DeleteValue(kInit, "ID" + std::to_string(i));
    reg.WriteValue(kInit, "CurID", current);
    reg.WriteValue(kInit, "COM", portNumber);
    reg.WriteValue(kInit, "BAUDRATE", rate);
    reg.WriteValue(kInit, "Category", category);

    for (const auto& record : found) {
        const std::string name(reinterpret_cast<const char*>(record.data() + 13));
        std::fprintf(out_, "%02d\t%s\t%s\n", record[0], CategoryText(record[1], texts_).c_str(),
                     platform::ToUtf8(name).c_str());
    }
    return kOk;
}

int CardTool::Devices(CSelkIO& selk)
{
    SelkSys sys(selk);
    CSelkReg reg;
    const int count = static_cast<int>(ReadReg(reg, "DEVICES", 0));
    for (int i = 0; i < count && i < 100; ++i) {
        std::array<uint8_t, kDeviceRecordSize> record{};
        record[0] = static_cast<uint8_t>(ReadReg(reg, ("ID" + std::to_string(i)).c_str(), 0) & 0xFF);
        const bool answered = sys.EnsurePowerOn(record[0]);
        if (answered)
            sys.ReadDeviceInfo(DeviceRecord(record));
        const std::string name(reinterpret_cast<const char*>(record.data() + 13));
        std::fprintf(out_, "%02d\t%s\t%s\t%s\n", record[0], CategoryText(record[1], texts_).c_str(),
                     platform::ToUtf8(name).c_str(), answered ? "yes" : "no");
        platform::PumpSleep(100);
    }
    return kOk;
}

int CardTool::CardCommand(CSelkIO& selk)
{
    CSelkReg reg;
    const int id = o_.id != 0 ? o_.id : static_cast<int>(ReadReg(reg, "CurID", 0));
    const int count = static_cast<int>(ReadReg(reg, "DEVICES", 0));
    const int rate = o_.rate != 0 ? o_.rate : static_cast<int>(ReadReg(reg, "BAUDRATE", 115200));
    if (id < 1 || id > 99)
        return NoDevice();
    // The device must answer (and is switched on when it is off).
    SelkSys sys(selk);
    if (!sys.EnsurePowerOn(id))
        return NoDevice();

    CliDevices devices(id, count, rate);
    FileOpe ope(selk, devices);
    CardSession session(&ope);
    session.transferRate = rate;
    TerminalAsker asker(TerminalAsker::PolicyFor(o_.yesAll, o_.noClobber, isatty(STDIN_FILENO) != 0), stdin, err_);
    session.overwriteAsker = &asker;
    session.readOnlyAsker = &asker;
    InterruptGuard interrupt(session.flags);

    if (o_.command == "status")
        return Status(session);
    CardLister lister(session);
    lister.StartListing();
    if (session.CardStatus != ST_OK)
        return Fail(session.CardStatus);
    if (o_.command == "ls")
        return List(session);
    if (o_.command == "get")
        return Get(session);
    if (o_.command == "put")
        return Put(session);
    if (o_.command == "rm")
        return Remove(session);
    if (o_.command == "mkdir")
        return MakeDir(session);
    return Rename(session);
}

int CardTool::Status(CardSession& session)
{
    FileOpe& ope = *session.ope;
    const bool usable = session.OpenTransfer(session.flags.listingAbort);
    const uint32_t status = session.CardStatus;
    // These verdicts come from status bytes that did arrive.
    const bool haveStatus = status == ST_OK || status == ST_NOCARD || status == ST_NOFORMAT || status == ST_NOBLOCK;
    if (haveStatus) {
        const auto& s = ope.status();
        std::fprintf(out_, "status\t%02X %02X %02X %02X\n", s[0], s[1], s[2], s[3]);
        std::fprintf(out_, "locked\t%s\n", (s[1] & 0x04) ? "yes" : "no");
    }
    if (usable) {
        std::fprintf(out_, "block size\t%d\n", ope.BlockSize());
        session.ReadVolume();
        std::fprintf(out_, "label\t%s\n", platform::ToUtf8(session.volumeLabel).c_str());
        uint32_t record[4] = {};
        if (ope.GetFreeSpace(record)) {
            const unsigned long long free = static_cast<unsigned long long>(record[0]) * record[1] * record[2];
            std::fprintf(out_, "free\t%llu\n", free);
        } else {
            session.CardStatus = ComErr(CMD_FREE_SPACE);
        }
    }
    session.LeaveTransfer();
    return session.CardStatus == ST_OK ? kOk : Fail(session.CardStatus);
}

int CardTool::List(CardSession& session)
{
    CardFolders& t = session.folders;
    auto print = [&](const FindData& e) {
        std::fprintf(out_, "%s\t%u\t%s\t%s\n", e.IsDirectory() ? "d" : "-", e.nFileSizeLow,
                     TimeText(e.ftLastWriteTime).c_str(), platform::ToUtf8(e.cFileName).c_str());
    };
    if (o_.recursive) {
        for (int i = 0; i < t.CardFolderCount; ++i) {
            const CardFolder* record = t.Slot(i);
            if (record == nullptr)
                continue;
            std::fprintf(out_, "%s:\n", PathText(record->RelativePath()).c_str());
            for (const auto& e : record->entries)
                print(*e);
        }
        return kOk;
    }
    const std::string path = o_.args.empty() ? std::string() : CardArg(o_.args[0]);
    if (const CardFolder* record = t.FindFolder(path)) {
        for (const auto& e : record->entries)
            print(*e);
        return kOk;
    }
    if (path.empty())
        return kOk;  // an empty card
    std::string exact, folder;
    if (const FindData* e = LookUp(t, path, exact, folder)) {
        print(*e);
        return kOk;
    }
    return Usage("no such entry on the card: " + o_.args[0]);
}

int CardTool::Get(CardSession& session)
{
    std::error_code ec;
    const std::string dest = std::filesystem::absolute(o_.args.back(), ec).lexically_normal().string();
    if (ec || !std::filesystem::is_directory(dest))
        return Usage("not a folder: " + o_.args.back());
    CardCopier copier(session);
    copier.CopyDest = dest.back() == '/' ? dest : dest + "/";
    copier.BeginCopyList();
    for (size_t i = 0; i + 1 < o_.args.size(); ++i) {
        const std::string path = CardArg(o_.args[i]);
        std::vector<const FindData*> entries;
        std::string folder;
        if (path.empty()) {
            // The root: everything on the card.
            if (const CardFolder* root = session.folders.FindFolder(""))
                for (const auto& e : root->entries)
                    entries.push_back(e.get());
        } else {
            std::string exact;
            const FindData* e = LookUp(session.folders, path, exact, folder);
            if (e == nullptr)
                return Usage("no such entry on the card: " + o_.args[i]);
            entries.push_back(e);
        }
        for (const FindData* e : entries)
            if (!copier.AddCopySelection(*e, folder))
                return Fail(session.CardStatus != ST_OK ? session.CardStatus.load() : ST_ABORT);
    }
    for (const std::string& skipped : copier.Skipped)
        std::fprintf(err_, "tvcard: not copied, the name cannot be a PC file name: %s\n",
                     platform::ToUtf8(skipped).c_str());
    ProgressBar bar(err_);
    if (!o_.quiet && isatty(fileno(err_)))
        session.progressSink = &bar;
    copier.StartCopy();
    bar.Finish();
    session.progressSink = nullptr;
    if (session.CardStatus != ST_OK)
        return Fail(session.CardStatus);
    // Everything else arrived, but a script must not take the copy as whole.
    return copier.Skipped.empty() ? kOk : Fail(ST_PCFILE);
}

int CardTool::Put(CardSession& session)
{
    const std::string folder = CardArg(o_.args.back());
    std::string exactFolder;
    if (!folder.empty()) {
        const CardFolder* record = session.folders.FindFolder(folder);
        if (record == nullptr)
            return Usage("no such folder on the card: " + o_.args.back());
        exactFolder = record->RelativePath();
    }
    std::vector<std::string> names;
    for (size_t i = 0; i + 1 < o_.args.size(); ++i) {
        std::error_code ec;
        const std::string abs = std::filesystem::absolute(o_.args[i], ec).lexically_normal().string();
        if (ec || !std::filesystem::exists(abs))
            return Usage("no such file or folder: " + o_.args[i]);
        names.push_back(abs);
    }
    CardWriter writer(session);
    if (!writer.BuildWriteList(names, exactFolder))
        return Fail(session.CardStatus != ST_OK ? session.CardStatus.load() : ST_ABORT);
    ProgressBar bar(err_);
    if (!o_.quiet && isatty(fileno(err_)))
        session.progressSink = &bar;
    writer.StartWrite();
    bar.Finish();
    session.progressSink = nullptr;
    return session.CardStatus == ST_OK ? kOk : Fail(session.CardStatus);
}

int CardTool::Remove(CardSession& session)
{
    CardEditor editor(session);
    editor.ClearDelList();
    for (const std::string& arg : o_.args) {
        const std::string path = CardArg(arg);
        if (path.empty())
            return Usage("the card root cannot be deleted");
        std::string exact, folder;
        const FindData* e = LookUp(session.folders, path, exact, folder);
        if (e == nullptr)
            return Usage("no such entry on the card: " + arg);
        // As a selected list item: a folder goes with everything in it.
        if (!editor.BuildDelListFromList({{nullptr, e}}, folder))
            return Fail(session.CardStatus != ST_OK ? session.CardStatus.load() : ST_ABORT);
    }
    for (const std::string& skipped : editor.Skipped)
        std::fprintf(err_, "tvcard: not deleted, the name cannot be sent as a card path: %s\n",
                     platform::ToUtf8(skipped).c_str());
    editor.DeleteAndWait();
    return session.CardStatus == ST_OK ? kOk : Fail(session.CardStatus);
}

namespace {

// The message the main window shows for a refused name.
std::string NameMessage(CardNameCheck::Verdict v, const MLang& t)
{
    switch (v) {
    case CardNameCheck::BadLength: return t.GetText("MSG_WLEN");
    case CardNameCheck::BadChars:
        return t.GetText("MSG_WCHAR") + "\n       " + CardNameCheck::kRefusedChars;
    case CardNameCheck::Duplicate: return t.GetText("MSG_OWN");
    default: return {};
    }
}

std::vector<std::string> NamesIn(const CardFolder* record)
{
    std::vector<std::string> names;
    if (record != nullptr)
        for (const auto& e : record->entries)
            names.push_back(e->cFileName);
    return names;
}

}  // namespace

int CardTool::MakeDir(CardSession& session)
{
    const std::string path = CardArg(o_.args[0]);
    if (path.empty())
        return Usage("no folder name given");
    const std::string parentPath = cardpath::Parent(path);
    const CardFolder* parent = session.folders.FindFolder(parentPath);
    if (parent == nullptr && !parentPath.empty())
        return Usage("no such folder on the card: " + PathText(parentPath));
    const std::string name = CardNameCheck::Upper(cardpath::LastComponent(path));
    const CardNameCheck::Verdict v = CardNameCheck::Check(name, NamesIn(parent));
    if (v != CardNameCheck::Ok)
        return Usage(NameMessage(v, texts_));
    uint16_t times[6];
    CardEditor::NowTimes(times);
    CardEditor editor(session);
    editor.StartMakeDir((parent ? parent->RelativePath() : std::string()) + "\\" + name, times);
    return session.CardStatus == ST_OK ? kOk : Fail(session.CardStatus);
}

int CardTool::Rename(CardSession& session)
{
    const std::string path = CardArg(o_.args[0]);
    std::string exact, folder;
    const FindData* e = path.empty() ? nullptr : LookUp(session.folders, path, exact, folder);
    if (e == nullptr)
        return Usage("no such entry on the card: " + o_.args[0]);
    const std::string name = CardNameCheck::Upper(platform::ToCp932(o_.args[1]));
    const CardNameCheck::Verdict v = CardNameCheck::Check(name, NamesIn(session.folders.FindFolder(folder)));
    if (v != CardNameCheck::Ok)
        return Usage(NameMessage(v, texts_));
    if ((e->dwFileAttributes & platform::FILE_ATTRIBUTE_READONLY) != 0 &&
        session.readOnlyAsker->AskReadOnlyDelete(e->cFileName, false) == ReadOnlyAsker::Cancel)
        return Fail(ST_ABORT);
    CardEditor editor(session);
    editor.StartRename(exact, folder + "\\" + name);
    return session.CardStatus == ST_OK ? kOk : Fail(session.CardStatus);
}

}  // namespace talvix
