#include "FindData.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>

#include "AsciiText.h"
#include "Cp932.h"

namespace platform {

namespace {

struct DirCloser {
    void operator()(DIR* d) const { closedir(d); }
};
using DirPtr = std::unique_ptr<DIR, DirCloser>;

bool IsDotEntry(std::string_view name) { return name == "." || name == ".."; }

// Looks at `name` relative to `dirFd` (or an absolute/relative path with
// AT_FDCWD). A link is followed; a dangling link is described as itself.
bool StatEntry(int dirFd, const char* name, struct statx& st)
{
    const unsigned mask = STATX_BASIC_STATS | STATX_BTIME;
    if (statx(dirFd, name, AT_STATX_SYNC_AS_STAT, mask, &st) == 0)
        return true;
    return statx(dirFd, name, AT_STATX_SYNC_AS_STAT | AT_SYMLINK_NOFOLLOW, mask, &st) == 0;
}

FileTime FromStatx(const statx_timestamp& t)
{
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(t.tv_sec);
    ts.tv_nsec = static_cast<long>(t.tv_nsec);
    FileTime ft;
    if (!TimespecToFileTime(ts, ft))
        ft.ticks = 0;  // before 1601: shown as the earliest time
    return ft;
}

uint32_t AttributesOf(const struct statx& st, std::string_view name)
{
    uint32_t attrs = 0;
    if (S_ISDIR(st.stx_mode))
        attrs |= FILE_ATTRIBUTE_DIRECTORY;
    else if (S_ISREG(st.stx_mode))
        attrs |= FILE_ATTRIBUTE_ARCHIVE;
    if ((st.stx_mode & S_IWUSR) == 0)
        attrs |= FILE_ATTRIBUTE_READONLY;
    if (!name.empty() && name[0] == '.' && !IsDotEntry(name))
        attrs |= FILE_ATTRIBUTE_HIDDEN;
    return attrs == 0 ? FILE_ATTRIBUTE_NORMAL : attrs;
}

// Everything but the name fields.
void FillFromStat(const struct statx& st, std::string_view name, FindData& out)
{
    out.dwFileAttributes = AttributesOf(st, name);
    out.ftLastWriteTime = FromStatx(st.stx_mtime);
    out.ftLastAccessTime = FromStatx(st.stx_atime);
    out.ftCreationTime = (st.stx_mask & STATX_BTIME) != 0 ? FromStatx(st.stx_btime) : out.ftLastWriteTime;
    const uint64_t size = S_ISDIR(st.stx_mode) ? 0 : st.stx_size;
    out.nFileSizeHigh = static_cast<uint32_t>(size >> 32);
    out.nFileSizeLow = static_cast<uint32_t>(size);
}

// True when `name` keeps itself as its 8.3 name.
bool NeedsNoAlias(std::string_view name)
{
    std::string cp932;
    return Utf8ToCp932(name, cp932, "_") && IsValidShortName(cp932);
}

bool ListFolderNames(const std::string& folder, std::vector<std::string>& names)
{
    DirPtr dir(opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir)
        return false;
    while (const dirent* e = readdir(dir.get()))
        if (!IsDotEntry(e->d_name))
            names.emplace_back(e->d_name);
    return true;
}



bool Matches(std::string_view p, std::string_view n)
{
    // Iterative wildcard match with one back-track point.
    size_t pi = 0;
    size_t ni = 0;
    size_t star = std::string_view::npos;
    size_t mark = 0;
    while (ni < n.size()) {
        if (pi < p.size() && (p[pi] == '?' || AsciiUpper(p[pi]) == AsciiUpper(n[ni]))) {
            ++pi;
            ++ni;
        } else if (pi < p.size() && p[pi] == '*') {
            star = pi++;
            mark = ni;
        } else if (star != std::string_view::npos) {
            pi = star + 1;
            ni = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*')
        ++pi;
    return pi == p.size();
}

void SplitPath(const std::string& path, std::string& folder, std::string& last)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        // assign(count, char) rather than a literal: GCC 12 at -O3 reports a
        // false -Wrestrict inside the string copy of a short literal.
        folder.assign(1, '.');
        last = path;
    } else {
        if (slash == 0)
            folder.assign(1, '/');
        else
            folder = path.substr(0, slash);
        last = path.substr(slash + 1);
    }
}

std::string Join(const std::string& folder, const std::string& name)
{
    if (folder.empty() || folder == ".")
        return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool HasWildcard(std::string_view s) { return s.find_first_of("*?") != std::string_view::npos; }

}  // namespace

bool GetFindData(const std::string& path, FindData& out)
{
    struct statx st{};
    if (path.empty() || !StatEntry(AT_FDCWD, path.c_str(), st))
        return false;
    std::string folder;
    std::string name;
    SplitPath(path, folder, name);
    // A path ending in "/" names the folder before it.
    while (name.empty() && folder.size() > 1) {
        const std::string whole = folder;
        SplitPath(whole, folder, name);
    }
    FillFromStat(st, name, out);
    out.cFileName = name;
    out.cAlternateFileName.clear();
    if (!name.empty() && !NeedsNoAlias(name)) {
        ShortNameTable table;
        if (LoadShortNames(folder, table))
            out.cAlternateFileName = table.AliasOf(name);
    }
    return true;
}

uint32_t GetFileAttributes(const std::string& path)
{
    FindData fd;
    return GetFindData(path, fd) ? fd.dwFileAttributes : INVALID_FILE_ATTRIBUTES;
}

bool SetFileAttributes(const std::string& path, uint32_t attributes)
{
    return SetReadOnly(path, (attributes & FILE_ATTRIBUTE_READONLY) != 0);
}

bool SetReadOnly(const std::string& path, bool readOnly)
{
    struct stat st{};
    if (stat(path.c_str(), &st) != 0)
        return false;
    mode_t mode = st.st_mode & 07777;
    mode = readOnly ? mode & ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH) : mode | S_IWUSR;
    if (mode == (st.st_mode & 07777))
        return true;
    return chmod(path.c_str(), mode) == 0;
}

bool SetFileTime(const std::string& path, const FileTime* creation, const FileTime* lastAccess,
                 const FileTime* lastWrite)
{
    (void)creation;  // no way to set a birth time on Linux
    timespec times[2]{};
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_nsec = UTIME_OMIT;
    if (lastAccess)
        times[0] = FileTimeToTimespec(*lastAccess);
    if (lastWrite)
        times[1] = FileTimeToTimespec(*lastWrite);
    return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

bool MatchFilePattern(std::string_view pattern, std::string_view name)
{
    if (pattern == "*" || pattern == "*.*")
        return true;
    if (Matches(pattern, name))
        return true;
    // Windows lets "abc" match "abc.*" and "*.": as if it ended in a dot.
    if (name.find('.') == std::string_view::npos && !pattern.empty() &&
        pattern.find('.') != std::string_view::npos) {
        const std::string dotted = std::string(name) + ".";
        return Matches(pattern, dotted);
    }
    return false;
}

bool LoadShortNames(const std::string& folder, ShortNameTable& table)
{
    std::vector<std::string> names;
    if (!ListFolderNames(folder, names))
        return false;
    table = ShortNameTable(std::move(names));
    return true;
}

bool ResolvePcName(const std::string& folder, std::string_view name, std::string& longName)
{
    if (name.empty() || name.find('/') != std::string_view::npos)
        return false;
    struct stat st{};
    const std::string exact(name);
    if (lstat(Join(folder, exact).c_str(), &st) == 0) {
        longName = exact;
        return true;
    }
    std::vector<std::string> names;
    if (!ListFolderNames(folder, names))
        return false;
    std::sort(names.begin(), names.end());
    for (const std::string& candidate : names) {
        if (EqualsNoCase(candidate, name)) {
            longName = candidate;
            return true;
        }
    }
    std::string cp932;
    if (!Utf8ToCp932(name, cp932))
        return false;
    return ShortNameTable(std::move(names)).LongNameOf(cp932, longName);
}

void FindFile::Close()
{
    dir_.reset();
    single_ = false;
    aliasesLoaded_ = false;
    aliases_ = ShortNameTable();
}

bool FindFile::First(const std::string& pathPattern, FindData& out)
{
    Close();
    SplitPath(pathPattern, folder_, pattern_);
    if (pattern_.empty())
        return false;
    // A name that exists as given is that one entry, even when Linux let it
    // contain "*" or "?" (a dropped "what?.txt" must not pick another file);
    // only the catch-all patterns always list the folder.
    struct stat st{};
    const bool catchAll = pattern_ == "*" || pattern_ == "*.*";
    if (!HasWildcard(pattern_) || (!catchAll && lstat(pathPattern.c_str(), &st) == 0)) {
        std::string longName;
        if (!ResolvePcName(folder_, pattern_, longName) || !GetFindData(Join(folder_, longName), out))
            return false;
        single_ = true;
        return true;
    }
    dir_.reset(opendir(folder_.c_str()));
    if (!dir_)
        return false;
    if (Next(out))
        return true;
    Close();
    return false;
}

bool FindFile::Next(FindData& out)
{
    if (!dir_)
        return false;
    while (const dirent* e = readdir(dir_.get())) {
        if (MatchFilePattern(pattern_, e->d_name) && FillEntry(e->d_name, out))
            return true;
    }
    return false;
}

bool FindFile::FillEntry(const char* name, FindData& out)
{
    struct statx st{};
    if (!StatEntry(dirfd(dir_.get()), name, st))
        return false;
    FillFromStat(st, name, out);
    out.cFileName = name;
    out.cAlternateFileName.clear();
    if (!IsDotEntry(name) && !NeedsNoAlias(name)) {
        if (!aliasesLoaded_) {
            aliasesLoaded_ = true;
            LoadShortNames(folder_, aliases_);
        }
        out.cAlternateFileName = aliases_.AliasOf(name);
    }
    return true;
}

}  // namespace platform
