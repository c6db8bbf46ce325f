#include "platform/ProgramPaths.h"

#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

std::string ProgramPaths::ProgramFile()
{
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return {};
        if (static_cast<size_t>(n) < buffer.size())
            return std::string(buffer.data(), static_cast<size_t>(n));
        if (buffer.size() >= 65536)
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::string ProgramPaths::ProgramFolder()
{
    const std::string file = ProgramFile();
    const size_t slash = file.rfind('/');
    if (slash == std::string::npos)
        return {};
    if (slash == 0)
        return "/";
    return file.substr(0, slash);
}

std::string ProgramPaths::ConfigFolder(const std::string& program)
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (config != nullptr && config[0] == '/') {
        base = config;
    } else {
        const char* home = std::getenv("HOME");
        if (home != nullptr && home[0] != '\0') {
            base = home;
        } else {
            struct passwd pw {};
            struct passwd* found = nullptr;
            std::vector<char> buffer(16384);
            if (::getpwuid_r(::getuid(), &pw, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
                found->pw_dir != nullptr)
                base = found->pw_dir;
            else
                base = "/tmp";
        }
        while (base.size() > 1 && base.back() == '/')
            base.pop_back();
        base += "/.config";
    }
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    return base + "/" + program;
}

std::string ProgramPaths::StateFolder(const std::string& programFolder, const std::string& program)
{
    struct stat st {};
    if (!programFolder.empty() && ::stat(programFolder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
        ::access(programFolder.c_str(), W_OK | X_OK) == 0)
        return programFolder;
    return ConfigFolder(program);
}

std::string ProgramPaths::StateFolder(const std::string& program)
{
    return StateFolder(ProgramFolder(), program);
}

std::string ProgramPaths::StateFilePath(const std::string& programFolder, const std::string& program,
                                        const std::string& fileName)
{
    std::string folder = StateFolder(programFolder, program);
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder + fileName;
}

std::string ProgramPaths::StateFilePath(const std::string& program, const std::string& fileName)
{
    return StateFilePath(ProgramFolder(), program, fileName);
}

}  // namespace platform
