#include "orvane/title/TitleFiles.h"


#include <cstdio>

#include "platform/AtomicFile.h"
#include "imaging/NoCasePath.h"
#include "talvix/settings/FileName.h"

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
    return platform::AtomicFile::Replace(path, bytes.data(), bytes.size());
}

bool FileExistsAnyCase(const std::string& path)
{
    return talvix::FileName::FileExists(imaging::FindExistingPath(path));
}

std::string NextFreeFrameName(const std::string& path)
{
    const std::string folder = talvix::FileName::GetDir(path);
    std::string stem = talvix::FileName::GetBaseName(path);
    stem.resize(stem.size() >= 3 ? stem.size() - 3 : 0);
    const std::string ext = talvix::FileName::GetExt(path);
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
