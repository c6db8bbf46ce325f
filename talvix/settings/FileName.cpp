#include "talvix/settings/FileName.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace talvix {

std::string FileName::GetExt(const std::string& path)
{
    const size_t size = path.size();
    const size_t stop = size >= 5 ? size - 5 : 0;
    for (size_t i = size; i > stop; --i) {
        const char c = path[i - 1];
        if (c == '/')
            break;
        if (c == '.')
            return path.substr(i);
    }
    return {};
}

std::string FileName::GetDir(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string FileName::GetDrive(const std::string&)
{
    return {};
}

std::string FileName::GetFullPath(const std::string& path)
{
    if (path.empty() || path[0] == '/')
        return path;
    std::vector<char> buffer(4096);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE || buffer.size() >= (1u << 20))
            return {};
        buffer.resize(buffer.size() * 2);
    }
    std::string full = buffer.data();
    if (full.back() != '/')
        full += '/';
    return full + path;
}

bool FileName::CheckPath(const std::string& path, bool create)
{
    if (path.empty() || path[0] != '/')
        return false;
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        if (path[slash - 1] == '/')
            continue;  // "//" names the same folder again
        const std::string prefix = path.substr(0, slash);
        struct stat st {};
        if (::stat(prefix.c_str(), &st) == 0) {
            if (!S_ISDIR(st.st_mode))
                return false;
            continue;
        }
        if (!create || errno != ENOENT)
            return false;
        if (::mkdir(prefix.c_str(), 0777) != 0) {
            // Someone else may have made it meanwhile.
            if (errno != EEXIST || ::stat(prefix.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
                return false;
        }
    }
    return true;
}

std::string FileName::GetFileName(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FileName::GetBaseName(const std::string& path)
{
    std::string name = GetFileName(path);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.resize(dot);
    return name;
}

bool FileName::FileExists(const std::string& path)
{
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

}  // namespace talvix
