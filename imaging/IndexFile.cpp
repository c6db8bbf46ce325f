#include "imaging/IndexFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "imaging/UniqueFd.h"

namespace imaging {

namespace {

// Feeds the bytes of a file to `take` in pieces until it returns false or
// the file ends.
template <typename Take>
void StreamFile(const std::string& path, Take take) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.Valid()) return;
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return;
    unsigned char buf[8192];
    for (;;) {
        ssize_t n = ::read(fd.Get(), buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        for (ssize_t i = 0; i < n; ++i) {
            if (!take(buf[i])) return;
        }
    }
}

}  // namespace

std::vector<std::string> ReadViewerIndex(const std::string& indexPath) {
    std::vector<std::string> names;
    std::string line;
    bool tooLong = false;
    StreamFile(indexPath, [&](unsigned char b) {
        if (b >= 32) {
            if (line.size() < kViewerMaxName) line.push_back(char(b));
            else tooLong = true;
            return true;
        }
        if (line.empty() && !tooLong) return true;  // leading or repeated separators
        if (tooLong) {
            tooLong = false;
            line.clear();
            return true;
        }
        if (line.size() < 2) return false;  // a one-byte line ends the list
        // The viewer turns, rewrites and deletes files by these names, so a
        // name that leaves the picture folder ("..", "a/b") is passed over.
        if (line != ".." && line.find('/') == std::string::npos) names.push_back(std::move(line));
        line.clear();
        return names.size() < kViewerMaxNames;
    });
    return names;
}

std::vector<std::string> ReadSlideIndex(const std::string& indexPath, const std::string& folder) {
    std::vector<std::string> entries;
    std::string entry = folder;
    bool tooLong = false;
    StreamFile(indexPath, [&](unsigned char b) {
        if (b == 13) {
            if (!tooLong) entries.push_back(entry);
            entry = folder;
            tooLong = false;
            return entries.size() < kSlideMaxEntries;
        }
        if (b <= 32) return true;
        if (entry.size() < kSlideMaxPath) entry.push_back(char(b));
        else tooLong = true;
        return true;
    });
    return entries;
}

}  // namespace imaging
