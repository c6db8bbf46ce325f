#pragma once
#include <string>

namespace talvix {

// A PC path (native, "/" separated) and the ways the programs take it apart.
//
// Every operation exists as a member working on the held path and as a
// static function working on any path text.
class FileName {
public:
    FileName() = default;
    explicit FileName(std::string path) : path_(std::move(path)) {}

    const std::string& path() const { return path_; }
    void SetPath(std::string path) { path_ = std::move(path); }

    // The text after a dot found among the last five bytes, searched from
    // the end ("jpeg" for "a.jpeg", "" for "a.html5x"); empty when there is
    // none. A dot in a folder name never counts.
    std::string GetExt() const { return GetExt(path_); }
    static std::string GetExt(const std::string& path);

    // The text before the last "/"; empty when there is none.
    std::string GetDir() const { return GetDir(path_); }
    static std::string GetDir(const std::string& path);

    // Always empty: native paths have no drive letters.
    std::string GetDrive() const { return GetDrive(path_); }
    static std::string GetDrive(const std::string& path);

    // An absolute path unchanged; a relative one below the working folder;
    // empty for an empty path.
    std::string GetFullPath() const { return GetFullPath(path_); }
    static std::string GetFullPath(const std::string& path);

    // Each prefix of an absolute path that ends before a "/" after the root
    // must be an existing folder or, when `create` is true, is created; false
    // at the first prefix that fails (a file in the way, a folder that cannot
    // be made) and for a relative or empty path. A path ending in "/" has its
    // last folder tested too; otherwise the last part is not looked at.
    bool CheckPath(bool create) const { return CheckPath(path_, create); }
    static bool CheckPath(const std::string& path, bool create);

    // The name after the last "/" ("FRAME003.jpg").
    std::string GetFileName() const { return GetFileName(path_); }
    static std::string GetFileName(const std::string& path);

    // The name after the last "/" without its extension (the text from its
    // last dot on): "FRAME003" for ".../FRAME003.jpg". A name that only
    // starts with a dot (".hidden") is kept whole.
    std::string GetBaseName() const { return GetBaseName(path_); }
    static std::string GetBaseName(const std::string& path);

    // True when the path names an existing entry that is not a folder.
    bool FileExists() const { return FileExists(path_); }
    static bool FileExists(const std::string& path);

private:
    std::string path_;
};

}  // namespace talvix
