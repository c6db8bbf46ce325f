#include "talvix/settings/CProfile.h"

#include "platform/AtomicFile.h"
#include "platform/IniFile.h"
#include "platform/ProgramPaths.h"

#include <charconv>
#include <sys/stat.h>

namespace talvix {

namespace {

bool Exists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

}  // namespace

CProfile::CProfile() : CProfile("tv10.ini", "tv10") {}

CProfile::CProfile(const std::string& fileName, const std::string& program)
{
    programFolder_ = platform::ProgramPaths::ProgramFolder();
    settingsPath_ = platform::ProgramPaths::StateFilePath(programFolder_, program, fileName);
    const std::string shipped = programFolder_ + "/" + fileName;
    if (settingsPath_ != shipped)
        shippedPath_ = shipped;
}

CProfile::CProfile(std::string settingsPath, std::string programFolder, std::string shippedPath)
    : settingsPath_(std::move(settingsPath)),
      programFolder_(std::move(programFolder)),
      shippedPath_(std::move(shippedPath))
{
}

CProfile CProfile::AtPath(std::string settingsPath, std::string programFolder, std::string shippedPath)
{
    return CProfile(std::move(settingsPath), std::move(programFolder), std::move(shippedPath));
}

std::string CProfile::ReadPath() const
{
    if (!shippedPath_.empty() && !Exists(settingsPath_) && Exists(shippedPath_))
        return shippedPath_;
    return settingsPath_;
}

bool CProfile::ReadString(const std::string& section, const std::string& key, std::string& text) const
{
    const bool found = platform::IniFile(ReadPath()).ReadString(section, key, text);
    if (!found)
        text.clear();
    return found && !text.empty();
}

bool CProfile::ReadInt(const std::string& section, const std::string& key, int& value) const
{
    std::string text;
    if (!ReadString(section, key, text))
        return false;
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    if (*begin == '+') {
        ++begin;  // from_chars takes a minus sign only
        if (begin == end || *begin == '-')
            return false;
    }
    int parsed = 0;
    const auto [ptr, ec] = std::from_chars(begin, end, parsed, 10);
    if (ec != std::errc() || ptr != end)
        return false;
    value = parsed;
    return true;
}

bool CProfile::SeedFromShipped()
{
    if (shippedPath_.empty() || Exists(settingsPath_) || !Exists(shippedPath_))
        return true;
    std::string shipped;
    if (platform::AtomicFile::Read(shippedPath_, shipped) != platform::AtomicFile::ReadResult::Ok)
        return true;
    return platform::AtomicFile::Update(
        settingsPath_, {},
        [&](std::string& current) {
            if (!current.empty())
                return platform::AtomicFile::Edit::Keep;  // someone else was first
            current = shipped;
            return platform::AtomicFile::Edit::Write;
        },
        true);
}

bool CProfile::WriteString(const std::string& section, const std::string& key, const std::string& text)
{
    // The first change of a user's own file starts from the shipped copy.
    if (!SeedFromShipped())
        return false;
    return platform::IniFile(settingsPath_).WriteString(section, key, text);
}

bool CProfile::WriteMany(const std::vector<platform::IniChange>& changes)
{
    for (const platform::IniChange& change : changes)
        if (!platform::IniFile::Storable(change))
            return false;
    if (!SeedFromShipped())
        return false;
    return platform::IniFile(settingsPath_).WriteMany(changes);
}

bool CProfile::WriteInt(const std::string& section, const std::string& key, int value)
{
    return WriteString(section, key, std::to_string(value));
}

}  // namespace talvix
