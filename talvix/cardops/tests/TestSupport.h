#pragma once
// Helpers shared by the card-operation tests: a scratch folder, card entries
// and scripted answers to the windows' questions.
#include "platform/FindData.h"
#include "talvix/cardops/CopyProgressSink.h"
#include "talvix/cardops/OverwriteAsker.h"
#include "talvix/cardops/ReadOnlyAsker.h"

#include <cstdlib>
#include <ctime>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace cardtest {

class TempDir {
public:
    TempDir()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "cardopsXXXXXX").string();
        path_ = mkdtemp(tmpl.data());
    }
    ~TempDir()
    {
        std::error_code ec;
        // Read-only files made by a test must not stop the clean-up.
        for (auto& e : std::filesystem::recursive_directory_iterator(path_, ec))
            std::filesystem::permissions(e.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& rel) const { return path_ + "/" + rel; }

private:
    std::string path_;
};

// Runs a test in a time zone nine hours east of UTC without summer time, so
// that a missing or doubled conversion between the card's local wall-clock
// times and the PC's UTC times shows even where the machine runs on UTC. The
// emulator started meanwhile inherits the zone. The zone before is restored.
class LocalZone {
public:
    LocalZone()
    {
        if (const char* tz = std::getenv("TZ")) {
            had_ = true;
            old_ = tz;
        }
        setenv("TZ", "JST-9", 1);
        tzset();
    }
    ~LocalZone()
    {
        if (had_)
            setenv("TZ", old_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    LocalZone(const LocalZone&) = delete;
    LocalZone& operator=(const LocalZone&) = delete;

private:
    bool had_ = false;
    std::string old_;
};

inline void WriteFile(const std::string& path, const std::string& bytes)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline platform::FindData Entry(const std::string& name, bool folder = false, uint32_t size = 0,
                                uint32_t attributes = 0)
{
    platform::FindData fd;
    fd.cFileName = name;
    fd.dwFileAttributes =
        attributes | (folder ? platform::FILE_ATTRIBUTE_DIRECTORY : platform::FILE_ATTRIBUTE_ARCHIVE);
    fd.nFileSizeLow = size;
    return fd;
}

// Answers overwrite questions from a script (No once it runs out) and keeps them.
class ScriptedAsker : public talvix::OverwriteAsker {
public:
    std::deque<Answer> answers;
    std::vector<talvix::OverwriteQuestion> asked;
    Answer AskOverwrite(const talvix::OverwriteQuestion& q) override
    {
        asked.push_back(q);
        if (answers.empty())
            return No;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
};

class ScriptedReadOnly : public talvix::ReadOnlyAsker {
public:
    std::deque<Answer> answers;
    std::vector<std::string> asked;
    Answer AskReadOnlyDelete(const std::string& name, bool) override
    {
        asked.push_back(name);
        if (answers.empty())
            return Cancel;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
};

}  // namespace cardtest
