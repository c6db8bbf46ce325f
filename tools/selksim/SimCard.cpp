#include "SimCard.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "FrameLog.h"
#include "platform/Cp932.h"
#include "platform/FileTime.h"
#include "platform/FindData.h"
#include "platform/ShortName.h"

namespace fs = std::filesystem;

namespace selksim {

namespace {

// Refusal bytes: 1 asks the PC to try again, 5 refuses for good.
constexpr uint8_t kFinal = 5;

uint32_t U32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

uint16_t U16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void Put16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

bool EndsWithNoCase(const std::string& text, const std::string& tail)
{
    if (text.size() < tail.size())
        return false;
    for (size_t i = 0; i < tail.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(text[text.size() - tail.size() + i])) != tail[i])
            return false;
    return true;
}

// Splits a CP932 path at "\" that are not the second byte of a character.
std::vector<std::string> SplitCardPath(const std::string& path)
{
    std::vector<std::string> parts;
    std::string current;
    for (size_t i = 0; i < path.size();) {
        const size_t len = platform::Cp932CharLength(path, i);
        if (len == 1 && path[i] == '\\') {
            parts.push_back(current);
            current.clear();
        } else {
            current.append(path, i, len);
        }
        i += len;
    }
    parts.push_back(current);
    return parts;
}

std::vector<std::string> HostNames(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The card name of each host entry of a folder.
std::vector<std::pair<std::string, std::string>> CardNames(const std::string& folder)
{
    const std::vector<std::string> names = HostNames(folder);
    platform::ShortNameTable table(names);
    std::vector<std::pair<std::string, std::string>> out;
    for (const std::string& name : names) {
        const std::string cp = platform::ToCp932(name);
        std::string card = platform::IsValidShortName(cp) && name[0] != '.' ? platform::UpperCp932(cp)
                                                                           : table.AliasOf(name);
        if (card.empty())
            card = platform::UpperCp932(cp);
        out.emplace_back(card, name);
    }
    return out;
}

void DosNow(uint16_t& date, uint16_t& time, const platform::FileTime& utc)
{
    platform::FileTime local;
    date = time = 0;
    if (platform::FileTimeToLocalFileTime(utc, local))
        platform::FileTimeToDosDateTime(local, date, time);
}

}  // namespace

SimCard::SimCard(const DeviceSetup& setup, FrameLog& log) : setup_(setup), log_(log), label_(setup.label) {}

SimCard::~SimCard()
{
    for (auto& [handle, file] : files_)
        if (file.fd >= 0)
            ::close(file.fd);
}

bool SimCard::Load(std::string& error)
{
    std::error_code ec;
    if (!fs::is_directory(setup_.cardFolder, ec)) {
        error = "card folder missing: " + setup_.cardFolder;
        return false;
    }
    root_ = fs::canonical(setup_.cardFolder, ec).string();
    if (!setup_.rawFile.empty() && !raw_.Load(setup_.rawFile, error))
        return false;
    formatted_ = setup_.status[2] == 0;
    return true;
}

bool SimCard::Usable() const
{
    return (setup_.status[1] & 0x03) != 0 && formatted_;
}

bool SimCard::Locked() const
{
    return (setup_.status[1] & 0x04) != 0;
}

void SimCard::Refuse(uint8_t& code, std::vector<uint8_t>& reply, uint8_t why) const
{
    code = kXferRefused;
    reply = {why};
}

bool SimCard::RawKey(const std::string& cardPath, std::string& key)
{
    if (cardPath.size() < 2 || std::toupper(static_cast<unsigned char>(cardPath[0])) != 'M' || cardPath[1] != ':')
        return false;
    key = RawEntries::Key(cardPath.substr(2));
    return true;
}

bool SimCard::MeetsRaw(const char* command, const std::string& cardPath) const
{
    std::string key;
    if (raw_.empty() || !RawKey(cardPath, key) || !raw_.Meets(key))
        return false;
    log_.Event(std::string("raw entry met: ") + command + " " +
               FrameLog::Hex(reinterpret_cast<const uint8_t*>(cardPath.data()), cardPath.size()));
    return true;
}

void SimCard::AddRawEntries(const std::string& folderKey, const std::string& mask, std::vector<Entry>& entries) const
{
    std::vector<const RawEntries::Entry*> placed, after;
    for (const RawEntries::Entry* r : raw_.In(folderKey))
        if (mask == "*.*" || mask == "*" || platform::MatchFilePattern(mask, r->name))
            (r->position >= 0 ? placed : after).push_back(r);
    std::stable_sort(placed.begin(), placed.end(),
                     [](const RawEntries::Entry* a, const RawEntries::Entry* b) { return a->position < b->position; });
    auto make = [](const RawEntries::Entry& r) {
        Entry e;
        e.cardName = r.name;
        e.attributes = r.attributes;
        e.size = (r.attributes & 0x10) ? 0 : r.size;
        e.date = static_cast<uint16_t>((2020 - 1980) << 9 | 1 << 5 | 1);  // 2020-01-01
        e.time = static_cast<uint16_t>(10 << 11);                         // 10:00:00
        return e;
    };
    for (const RawEntries::Entry* r : placed) {
        const size_t at = std::min(static_cast<size_t>(r->position), entries.size());
        entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(at), make(*r));
    }
    for (const RawEntries::Entry* r : after)
        entries.push_back(make(*r));
}

bool SimCard::Resolve(const std::string& cardPath, bool mayBeNew, std::string& hostPath, bool& exists) const
{
    exists = false;
    if (cardPath.size() < 2 || std::toupper(static_cast<unsigned char>(cardPath[0])) != 'M' || cardPath[1] != ':')
        return false;
    std::vector<std::string> parts = SplitCardPath(cardPath.substr(2));
    // "M:" and "M:\" are the root; a path starts with "\".
    if (parts.empty() || !parts[0].empty())
        return false;
    parts.erase(parts.begin());
    if (!parts.empty() && parts.back().empty())
        parts.pop_back();
    std::string current = root_;
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        if (part.empty() || part == "." || part == ".." || part.find('/') != std::string::npos ||
            part.find('\0') != std::string::npos)
            return false;
        const std::string wanted = platform::UpperCp932(part);
        std::string found;
        for (const auto& [card, host] : CardNames(current))
            if (card == wanted) {
                found = host;
                break;
            }
        const bool last = i + 1 == parts.size();
        if (found.empty()) {
            if (!last || !mayBeNew)
                return false;
            std::string utf8;
            platform::Cp932ToUtf8(part, utf8);
            hostPath = current + "/" + utf8;
            return true;
        }
        current += "/" + found;
        if (!last && !fs::is_directory(current))
            return false;
    }
    hostPath = current;
    exists = true;
    return true;
}

uint8_t SimCard::AttributesOf(const std::string& hostPath) const
{
    const auto known = attributes_.find(hostPath);
    if (known != attributes_.end())
        return known->second;
    struct stat st {};
    if (::stat(hostPath.c_str(), &st) != 0)
        return 0;
    uint8_t a = S_ISDIR(st.st_mode) ? 0x10 : 0x20;
    if (!(st.st_mode & S_IWUSR))
        a |= 0x01;
    const std::string name = fs::path(hostPath).filename().string();
    if (!name.empty() && name[0] == '.')
        a |= 0x02;
    if (EndsWithNoCase(name, ".SYS"))
        a |= 0x04;
    return a;
}

SimCard::Entry SimCard::Describe(const std::string& hostPath, const std::string& cardName) const
{
    Entry e;
    e.cardName = cardName;
    e.hostPath = hostPath;
    e.attributes = AttributesOf(hostPath);
    struct stat st {};
    if (::stat(hostPath.c_str(), &st) == 0) {
        platform::FileTime ft;
        if (platform::TimespecToFileTime(st.st_mtim, ft))
            DosNow(e.date, e.time, ft);
        e.size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint32_t>(st.st_size);
    }
    return e;
}

std::vector<SimCard::Entry> SimCard::List(const std::string& hostFolder, bool root) const
{
    std::vector<Entry> entries;
    if (root) {
        Entry label;
        label.cardName = label_;
        label.attributes = 0x08;
        if (!label_.empty())
            entries.push_back(label);
    } else {
        Entry dot = Describe(hostFolder, ".");
        dot.attributes = 0x10;
        dot.hostPath.clear();
        Entry dotdot = dot;
        dotdot.cardName = "..";
        entries.push_back(dot);
        entries.push_back(dotdot);
    }
    for (const auto& [card, host] : CardNames(hostFolder))
        entries.push_back(Describe(hostFolder + "/" + host, card));
    return entries;
}

void SimCard::Handle(uint8_t command, const uint8_t* p, size_t n, uint8_t& code, std::vector<uint8_t>& reply)
{
    code = kXferAccepted;
    reply.clear();
    const std::string text(reinterpret_cast<const char*>(p), n);
    const bool changes = command == 0x1F || command == 0x39 || command == 0x40 || command == 0xC0 ||
                         command == 0x41 || command == 0x43 || command == 0x56 || command == 0x57 ||
                         command == 0x9C || (command == 0x3D && n >= 2 && (p[1] & 0x40));

    if (command == 0x11) {  // GET STATUS
        reply.assign(setup_.status, setup_.status + 4);
        if (!formatted_)
            reply[2] = setup_.status[2] ? setup_.status[2] : 1;
        else
            reply[2] = 0;
        return;
    }
    if ((setup_.status[1] & 0x03) == 0)
        return Refuse(code, reply, kFinal);  // no card
    if (changes && Locked())
        return Refuse(code, reply, kFinal);
    if (command == 0x1F) {  // FORMAT
        std::error_code ec;
        for (const std::string& name : HostNames(root_))
            fs::remove_all(root_ + "/" + name, ec);
        attributes_.clear();
        formatted_ = true;
        log_.Event("card formatted");
        return;
    }
    if (!formatted_)
        return Refuse(code, reply, kFinal);

    std::string host;
    bool exists = false;
    switch (command) {
    case 0x1C: {  // GET VOLUME: six bytes, the label, 0x03
        reply.assign(6, 0);
        reply.insert(reply.end(), label_.begin(), label_.end());
        reply.push_back(0x03);
        return;
    }
    case 0x9C:  // SET VOLUME
        label_ = text.substr(0, 11);
        return;
    case 0x36: {  // FREE SPACE
        Put32(reply, setup_.freeClusters);
        Put32(reply, setup_.sectorsPerCluster);
        Put32(reply, setup_.bytesPerSector);
        Put32(reply, setup_.freeClusters * 2);
        return;
    }
    case 0x39:  // MAKE DIR
        if (MeetsRaw("MAKE DIR", text) || !Resolve(text, true, host, exists) || exists || ::mkdir(host.c_str(), 0755) != 0)
            return Refuse(code, reply, kFinal);
        return;
    case 0x41: {  // DELETE
        if (MeetsRaw("DELETE", text) || !Resolve(text, false, host, exists) || host == root_)
            return Refuse(code, reply, kFinal);
        if (AttributesOf(host) & 0x01)
            return Refuse(code, reply, kFinal);
        if (::remove(host.c_str()) != 0)  // a folder must be empty
            return Refuse(code, reply, kFinal);
        attributes_.erase(host);
        return;
    }
    case 0x43: {  // SET ATTRIBUTES
        if (n < 1 || MeetsRaw("SET ATTRIBUTES", text.substr(1)) || !Resolve(text.substr(1), false, host, exists) ||
            host == root_)
            return Refuse(code, reply, kFinal);
        const uint8_t keep = AttributesOf(host) & 0x10;
        const uint8_t a = static_cast<uint8_t>((p[0] & 0x27) | keep);
        attributes_[host] = a;
        struct stat st {};
        if (::stat(host.c_str(), &st) == 0)
            ::chmod(host.c_str(), (a & 0x01) ? (st.st_mode & ~0222u) : (st.st_mode | S_IWUSR));
        return;
    }
    case 0x56: {  // RENAME old \0 new
        const size_t zero = text.find('\0');
        std::string target;
        bool targetExists = false;
        if (zero == std::string::npos || MeetsRaw("RENAME", text.substr(0, zero)) ||
            MeetsRaw("RENAME", text.substr(zero + 1)) || !Resolve(text.substr(0, zero), false, host, exists) || host == root_ ||
            !Resolve(text.substr(zero + 1), true, target, targetExists) || targetExists ||
            ::rename(host.c_str(), target.c_str()) != 0)
            return Refuse(code, reply, kFinal);
        const auto a = attributes_.find(host);
        if (a != attributes_.end()) {
            attributes_[target] = a->second;
            attributes_.erase(host);
        }
        return;
    }
    case 0x57: {  // SET DATE-TIME: three date/time pairs, then the path
        if (n < 12 || MeetsRaw("SET DATE-TIME", text.substr(12)) || !Resolve(text.substr(12), false, host, exists))
            return Refuse(code, reply, kFinal);
        platform::FileTime local, utc;
        if (!platform::DosDateTimeToFileTime(U16(p + 8), U16(p + 10), local) ||
            !platform::LocalFileTimeToFileTime(local, utc) || !platform::SetFileTime(host, nullptr, nullptr, &utc))
            return Refuse(code, reply, kFinal);
        return;
    }
    case 0x3D: return OpenCmd(p, n, code, reply);
    case 0x3E: {  // CLOSE
        if (n < 4)
            return Refuse(code, reply, kFinal);
        const auto it = files_.find(U32(p));
        if (it == files_.end())
            return Refuse(code, reply, kFinal);
        if (it->second.fd >= 0)
            ::close(it->second.fd);
        files_.erase(it);
        return;
    }
    case 0x3F: return ReadCmd(p, n, code, reply);
    case 0x40: {  // WRITE: handle, start, total
        if (n < 12)
            return Refuse(code, reply, kFinal);
        const auto it = files_.find(U32(p));
        if (it == files_.end() || !it->second.write)
            return Refuse(code, reply, kFinal);
        writeHandle_ = it->first;
        return;
    }
    case 0xC0: {  // WRITE DATA: offset, n, bytes
        const auto it = files_.find(writeHandle_);
        if (n < 8 || it == files_.end())
            return Refuse(code, reply, kFinal);
        const uint32_t offset = U32(p), count = U32(p + 4);
        if (count > n - 8)
            return Refuse(code, reply, kFinal);
        if (::pwrite(it->second.fd, p + 8, count, offset) != static_cast<ssize_t>(count))
            return Refuse(code, reply, kFinal);
        return;
    }
    case 0x4E: return FindFirst(p, n, code, reply);
    case 0x4F: return FindNext(p, n, code, reply);
    case 0x50: {  // FIND CLOSE
        if (n < 1 || searches_.erase(p[0]) == 0)
            return Refuse(code, reply, kFinal);
        return;
    }
    default: return Refuse(code, reply, kFinal);
    }
}

void SimCard::OpenCmd(const uint8_t* p, size_t n, uint8_t& code, std::vector<uint8_t>& reply)
{
    // u8 0, u8 mode, path -> u8 error, u32 handle
    if (n < 3)
        return Refuse(code, reply, kFinal);
    const bool write = (p[1] & 0x40) != 0;
    std::string host;
    bool exists = false;
    const std::string path(reinterpret_cast<const char*>(p + 2), n - 2);
    uint8_t error = 0;
    int fd = -1;
    std::string key;
    const RawEntries::Entry* raw = RawKey(path, key) ? raw_.At(key) : nullptr;
    // Raw entries are read-only, and nothing is created in or over them.
    const bool rawWrite = write && MeetsRaw("OPEN for writing", path);
    if (raw != nullptr || rawWrite) {
        if (rawWrite)
            error = 5;
        else if (raw->attributes & 0x10)
            error = 3;
        reply.push_back(error);
        uint32_t handle = 0;
        if (error == 0) {
            handle = nextHandle_++;
            OpenFile file;
            file.raw = true;
            file.size = raw->size;
            files_[handle] = file;
        }
        Put32(reply, handle);
        return;
    }
    if (!Resolve(path, write, host, exists))
        error = 2;  // not found
    else if (exists && fs::is_directory(host))
        error = 3;
    else if (write && exists && (AttributesOf(host) & 0x01))
        error = 5;  // read-only
    else {
        fd = write ? ::open(host.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)
                   : ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            error = 4;
    }
    reply.push_back(error);
    uint32_t handle = 0;
    if (fd >= 0) {
        handle = nextHandle_++;
        files_[handle] = OpenFile{host, fd, write};
        if (write)
            attributes_.erase(host);
    }
    Put32(reply, handle);
}

void SimCard::ReadCmd(const uint8_t* p, size_t n, uint8_t& code, std::vector<uint8_t>& reply)
{
    // handle, offset, count -> u32 offset, u32 n, n bytes
    if (n < 12)
        return Refuse(code, reply, kFinal);
    const auto it = files_.find(U32(p));
    if (it == files_.end() || it->second.write)
        return Refuse(code, reply, kFinal);
    const uint32_t offset = U32(p + 4);
    const uint32_t count = std::min<uint32_t>(U32(p + 8), 65535 - 8);
    if (it->second.raw) {
        const uint32_t left = offset < it->second.size ? it->second.size - offset : 0;
        const uint32_t got = std::min(count, left);
        Put32(reply, offset);
        Put32(reply, got);
        for (uint32_t i = 0; i < got; ++i)
            reply.push_back(RawEntries::PatternByte(uint64_t(offset) + i));
        return;
    }
    std::vector<uint8_t> data(count);
    const ssize_t got = count ? ::pread(it->second.fd, data.data(), count, offset) : 0;
    if (got < 0)
        return Refuse(code, reply, kFinal);
    Put32(reply, offset);
    Put32(reply, static_cast<uint32_t>(got));
    reply.insert(reply.end(), data.begin(), data.begin() + got);
}

static void PutEntry(std::vector<uint8_t>& reply, int handle, const SimCard::Entry& e)
{
    reply.push_back(static_cast<uint8_t>(handle));
    reply.push_back(e.attributes);
    Put16(reply, e.date);  // creation
    Put16(reply, e.time);
    Put16(reply, e.date);  // last access (date only on FAT)
    Put16(reply, 0);
    Put16(reply, e.date);  // last write
    Put16(reply, e.time);
    Put32(reply, e.size);
    reply.insert(reply.end(), e.cardName.begin(), e.cardName.end());
}

void SimCard::FindFirst(const uint8_t* p, size_t n, uint8_t& code, std::vector<uint8_t>& reply)
{
    if (n < 2)
        return Refuse(code, reply, kFinal);
    const std::string pattern(reinterpret_cast<const char*>(p + 1), n - 1);
    // Split "M:\DIR\*.*" into the folder and the name pattern.
    size_t cut = std::string::npos;
    for (size_t i = 0; i < pattern.size();) {
        const size_t len = platform::Cp932CharLength(pattern, i);
        if (len == 1 && pattern[i] == '\\')
            cut = i;
        i += len;
    }
    std::string host;
    bool exists = false;
    const std::string folder = cut == std::string::npos ? "" : pattern.substr(0, cut);
    const std::string mask = cut == std::string::npos ? pattern : pattern.substr(cut + 1);
    const bool root = folder.size() <= 2;
    std::string key;
    const bool keyed = cut != std::string::npos && RawKey(folder, key);
    const RawEntries::Entry* rawFolder = keyed ? raw_.At(key) : nullptr;
    Search search;
    if (rawFolder != nullptr) {
        // A raw folder holds only the raw entries listed under it.
        if (!(rawFolder->attributes & 0x10)) {
            reply.assign(18, 0);
            return;
        }
    } else if (cut == std::string::npos || !Resolve(root ? "M:\\" : folder, false, host, exists) ||
               !fs::is_directory(host)) {
        reply.assign(18, 0);  // nothing found
        return;
    } else {
        for (const Entry& e : List(host, root))
            if (platform::MatchFilePattern(mask, e.cardName))
                search.entries.push_back(e);
    }
    if (keyed)
        AddRawEntries(key, mask, search.entries);
    int handle = 0;
    for (int h = 1; h < 256; ++h)
        if (!searches_.count(h)) {
            handle = h;
            break;
        }
    if (search.entries.empty() || handle == 0) {
        reply.assign(18, 0);
        return;
    }
    search.next = 1;
    PutEntry(reply, handle, search.entries[0]);
    searches_[handle] = std::move(search);
}

void SimCard::FindNext(const uint8_t* p, size_t n, uint8_t& code, std::vector<uint8_t>& reply)
{
    if (n < 1)
        return Refuse(code, reply, kFinal);
    const auto it = searches_.find(p[0]);
    if (it == searches_.end())
        return Refuse(code, reply, kFinal);
    Search& s = it->second;
    if (s.next >= s.entries.size()) {
        reply.assign(18, 0);  // no further entry
        return;
    }
    PutEntry(reply, it->first, s.entries[s.next++]);
}

}  // namespace selksim
