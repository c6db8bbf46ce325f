#pragma once
#include <string>

#include "orvane/launch/ChildProcess.h"

namespace orvane {

// Starts a program or opens a document, the way the shell's "open" does, and
// hands back the started process so that the caller can wait for it.
//
// A file with execute permission is spawned directly. Any other existing
// file, and one the system cannot run (exec format error), is a document and
// is opened with the default application of its type (through GIO), whose
// process is returned when GIO gives its pid. A bare file name is looked
// for in the working folder first, then, for programs, on PATH. The started
// process runs in the working folder when that folder exists.
class ShellStarter {
public:
    struct Result {
        bool ok = false;
        ChildProcess process;  // empty when the start gave no process to wait for
        std::string error;     // why the start failed, for diagnostics
    };

    Result Start(const std::string& file, const std::string& workFolder) const;

    // The path Start would use for `file`, or "" when there is none.
    static std::string Resolve(const std::string& file, const std::string& workFolder);

private:
    // `error`: the errno of a failed spawn, 0 after a successful one.
    static Result SpawnProgram(const std::string& path, const std::string& workFolder, int& error);
    static Result OpenDocument(const std::string& path, const std::string& workFolder);
};

}  // namespace orvane
