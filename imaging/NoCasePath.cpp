#include "imaging/NoCasePath.h"

#include <dirent.h>
#include <sys/stat.h>

#include <memory>

namespace imaging {

namespace {

struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};

}  // namespace

std::string FindExistingPath(const std::string& path) {
    if (path.empty()) return path;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) return path;
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string(".") : (slash == 0 ? "/" : path.substr(0, slash));
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty() || name == "." || name == "..") return path;
    std::unique_ptr<DIR, DirCloser> d(::opendir(dir.c_str()));
    if (!d) return path;
    std::string best;
    bool found = false;
    while (const dirent* e = ::readdir(d.get())) {
        const std::string entry(e->d_name);
        if (entry == "." || entry == "..") continue;
        if (EqualsNoCase(entry, name) && (!found || entry < best)) {
            best = entry;
            found = true;
        }
    }
    if (!found) return path;
    return slash == std::string::npos ? best : path.substr(0, slash + 1) + best;
}

}  // namespace imaging
