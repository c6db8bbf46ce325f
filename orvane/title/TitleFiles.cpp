#include "orvane/title/TitleFiles.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <cstdio>
#include <memory>

#include "imaging/AtomicFile.h"

namespace orvane {
namespace TitleFiles {

namespace {

void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v)
{
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};

}  // namespace

std::vector<uint8_t> BlankTitleBytes()
{
    std::vector<uint8_t> b(kBlankFileBytes, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, kBlankFileBytes);
    Put32(b, 10, 54);
    Put32(b, 14, 40);
    Put32(b, 18, kTitleWidth);
    Put32(b, 22, kTitleHeight);
    Put16(b, 26, 1);
    Put16(b, 28, 24);
    Put32(b, 34, kBlankPixelBytes);
    std::fill(b.begin() + 54, b.end(), uint8_t{255});
    return b;
}

bool WriteBlankTitle(const std::string& path)
{
    if (path.empty())
        return false;
    const std::vector<uint8_t> bytes = BlankTitleBytes();
    return imaging::WriteFileAtomically(path, bytes.data(), bytes.size());
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string NameOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExtOf(const std::string& path)
{
    const std::string name = NameOf(path);
    const size_t from = name.size() > 5 ? name.size() - 5 : 0;
    for (size_t i = name.size(); i > from; --i) {
        if (name[i - 1] == '.')
            return name.substr(i);
    }
    return {};
}

std::string StemOf(const std::string& path)
{
    std::string name = NameOf(path);
    const std::string ext = ExtOf(path);
    if (!ext.empty() || (!name.empty() && name.back() == '.'))
        name.resize(name.size() - ext.size() - 1);
    return name;
}

std::string ExistingCase(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0)
        return path;
    const std::string folder = FolderOf(path);
    const std::string name = NameOf(path);
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir)
        return path;
    while (const dirent* e = ::readdir(dir.get())) {
        if (::strcasecmp(e->d_name, name.c_str()) == 0)
            return folder.empty() ? std::string(e->d_name) : folder + "/" + e->d_name;
    }
    return path;
}

bool FileExistsAnyCase(const std::string& path)
{
    const std::string found = ExistingCase(path);
    struct stat st {};
    return ::stat(found.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::string NextFreeFrameName(const std::string& path)
{
    const std::string folder = FolderOf(path);
    std::string stem = StemOf(path);
    stem.resize(stem.size() >= 3 ? stem.size() - 3 : 0);
    const std::string ext = ExtOf(path);
    std::string candidate;
    for (int n = 0; n <= 999; ++n) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%03d", n);
        candidate = folder + "/" + stem + digits + "." + ext;
        if (!FileExistsAnyCase(candidate))
            return candidate;
    }
    return candidate;
}

std::string ThumbnailPathOf(const std::string& imagePath)
{
    if (imagePath.size() < 3)
        return "tbm";
    return imagePath.substr(0, imagePath.size() - 3) + "tbm";
}

}  // namespace TitleFiles
}  // namespace orvane
