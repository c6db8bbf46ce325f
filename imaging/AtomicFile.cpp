#include "imaging/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "imaging/UniqueFd.h"

namespace imaging {

namespace {

bool WriteAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= size_t(n);
    }
    return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, const uint8_t* data, size_t size) {
    if (path.empty()) return false;
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string tmpl = dir + "." + base + ".XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    UniqueFd fd(::mkstemp(name.data()));
    if (!fd.Valid()) return false;
    const std::string tmpPath(name.data());

    mode_t mode = 0644;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) mode = st.st_mode & 07777;
    bool ok = ::fchmod(fd.Get(), mode) == 0 && WriteAll(fd.Get(), data, size) && ::fsync(fd.Get()) == 0;
    fd.Reset();
    if (ok) ok = ::rename(tmpPath.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(tmpPath.c_str());
    return ok;
}

bool ReadWholeFile(const std::string& path, size_t maxBytes, std::string& out) {
    out.clear();
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.Valid()) return false;
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    if (st.st_size < 0 || uint64_t(st.st_size) > maxBytes) return false;
    out.resize(size_t(st.st_size));
    size_t got = 0;
    while (got < out.size()) {
        ssize_t n = ::read(fd.Get(), out.data() + got, out.size() - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) break;  // the file shrank meanwhile
        got += size_t(n);
    }
    out.resize(got);
    return true;
}

}  // namespace imaging
