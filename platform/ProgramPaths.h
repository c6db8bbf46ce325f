#pragma once
#include <string>

namespace platform {

// Where a program finds its own files and where it keeps what it writes.
//
// Tables, help and art are read from the program folder (the folder of the
// running executable). The files a program writes beside itself (settings,
// lock file, temporary folders) stay in the program folder when that folder
// is writable; otherwise they live in ${XDG_CONFIG_HOME:-~/.config}/<program>/.
class ProgramPaths {
public:
    // Full path of the running executable (/proc/self/exe); empty when unknown.
    static std::string ProgramFile();

    // Folder of the running executable, without a trailing "/"; empty when unknown.
    static std::string ProgramFolder();

    // ${XDG_CONFIG_HOME:-$HOME/.config}/<program>, without a trailing "/".
    // A relative XDG_CONFIG_HOME is ignored, as the XDG rules ask.
    static std::string ConfigFolder(const std::string& program);

    // The folder for written files: `programFolder` when it is a folder this
    // process may create files in, else ConfigFolder(program). The folder is
    // not created here; writers create it when needed.
    static std::string StateFolder(const std::string& programFolder, const std::string& program);
    static std::string StateFolder(const std::string& program);

    // StateFolder(...) + "/" + fileName, e.g. StateFilePath("tv10", "tv10.ini").
    static std::string StateFilePath(const std::string& programFolder, const std::string& program,
                                     const std::string& fileName);
    static std::string StateFilePath(const std::string& program, const std::string& fileName);
};

}  // namespace platform
