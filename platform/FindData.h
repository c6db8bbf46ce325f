#pragma once
#include <cstddef>
#include <cstdint>
#include <dirent.h>
#include <memory>
#include <string>
#include <string_view>

#include "FileTime.h"
#include "ShortName.h"

namespace platform {

// PC file attributes (the FAT attribute bits, as cards use them too).
constexpr uint32_t FILE_ATTRIBUTE_READONLY = 0x01;
constexpr uint32_t FILE_ATTRIBUTE_HIDDEN = 0x02;
constexpr uint32_t FILE_ATTRIBUTE_SYSTEM = 0x04;
constexpr uint32_t FILE_ATTRIBUTE_VOLUME = 0x08;  // volume label
constexpr uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr uint32_t FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr uint32_t FILE_ATTRIBUTE_NORMAL = 0x80;  // no other attribute
constexpr uint32_t INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

// Longest path the find record's name field holds, with its ending zero.
constexpr size_t kMaxPath = 260;
// Size of the 8.3 alias field, with its ending zero.
constexpr size_t kMaxAlternateName = 14;

// One file or folder as a find operation reports it.
//
// For a PC entry: cFileName is the native (UTF-8) name, cAlternateFileName
// the CP932 8.3 alias when the name needs one (else empty); times are UTC.
// For a card entry: cFileName holds the device's CP932 bytes, the alias is
// empty and the times are the card's local wall-clock time.
struct FindData {
    uint32_t dwFileAttributes = 0;
    FileTime ftCreationTime;
    FileTime ftLastAccessTime;
    FileTime ftLastWriteTime;
    uint32_t nFileSizeHigh = 0;
    uint32_t nFileSizeLow = 0;
    std::string cFileName;
    std::string cAlternateFileName;

    uint64_t FileSize() const { return (static_cast<uint64_t>(nFileSizeHigh) << 32) | nFileSizeLow; }
    bool IsDirectory() const { return (dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
};

// Fills `out` for the PC entry at `path` (a file or folder; a symbolic link
// counts as what it points to). Attributes: folder = directory; read-only =
// owner write bit clear; hidden = name starts with "."; archive = regular
// file; never system; NORMAL when none applies. Creation time = birth time
// when the file system records one, else the last-write time.
// False when there is no such entry.
bool GetFindData(const std::string& path, FindData& out);

// The attributes of `path` as above, or INVALID_FILE_ATTRIBUTES.
uint32_t GetFileAttributes(const std::string& path);

// Applies what Linux can hold of `attributes`: with FILE_ATTRIBUTE_READONLY
// the write bits are cleared, without it (NORMAL, ARCHIVE, ...) the owner
// write bit is given back. Hidden, system and archive have no other effect.
bool SetFileAttributes(const std::string& path, uint32_t attributes);
bool SetReadOnly(const std::string& path, bool readOnly);

// Sets the times of a PC file (UTC); a null pointer leaves that time alone.
// Linux cannot set a birth time, so `creation` is ignored.
bool SetFileTime(const std::string& path, const FileTime* creation, const FileTime* lastAccess,
                 const FileTime* lastWrite);

// Windows-style name pattern test without letter case: "*" and "*.*" match
// every name, "?" one character, "*" any run; a name without a dot also
// matches a pattern that wants one at its end ("*." or "name.*").
bool MatchFilePattern(std::string_view pattern, std::string_view name);

// The 8.3 aliases of the entries of a PC folder. False when it cannot be read.
bool LoadShortNames(const std::string& folder, ShortNameTable& table);

// The actual name of the entry of `folder` that `name` means: `name` itself
// when it exists; else the one entry equal to it without regard to ASCII
// case (the first in byte order if several are); else the entry whose 8.3
// alias it is. False when nothing matches.
bool ResolvePcName(const std::string& folder, std::string_view name, std::string& longName);

// Folder enumeration in the order the file system gives (readdir order),
// like FindFirstFile / FindNextFile / FindClose.
//
//   FindFile find;
//   FindData fd;
//   for (bool more = find.First(folder + "/*.*", fd); more; more = find.Next(fd)) ...
//
// The last path component is the pattern (see MatchFilePattern); without
// wildcards, or when an entry of exactly that name exists (Linux names may
// hold "*" and "?"; "*" and "*.*" excepted), it names one entry, found as
// ResolvePcName finds it. "." and ".."
// are reported as the file system lists them, as on Windows. An entry that
// vanishes between listing and reading is skipped.
class FindFile {
public:
    FindFile() = default;
    ~FindFile() = default;
    FindFile(const FindFile&) = delete;
    FindFile& operator=(const FindFile&) = delete;
    FindFile(FindFile&&) noexcept = default;
    FindFile& operator=(FindFile&&) noexcept = default;

    // Starts a search; false when the folder cannot be read or nothing matches.
    bool First(const std::string& pathPattern, FindData& out);
    // The next matching entry; false when there is none (or no search).
    bool Next(FindData& out);
    // Ends the search (also done by the destructor and by the next First).
    void Close();
    bool IsOpen() const { return dir_ != nullptr || single_; }

private:
    struct DirCloser {
        void operator()(DIR* d) const { closedir(d); }
    };

    bool FillEntry(const char* name, FindData& out);

    std::unique_ptr<DIR, DirCloser> dir_;
    std::string folder_;
    std::string pattern_;
    ShortNameTable aliases_;
    bool aliasesLoaded_ = false;
    bool single_ = false;  // a search for one named entry, already reported
};

}  // namespace platform
