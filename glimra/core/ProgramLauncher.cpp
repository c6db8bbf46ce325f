#include "glimra/core/ProgramLauncher.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace glimra {

namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& line) {
    std::vector<std::string> pieces;
    std::string piece;
    bool inPiece = false;
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (!quoted && (c == ' ' || c == '\t')) {
            if (inPiece) pieces.push_back(piece);
            piece.clear();
            inPiece = false;
            continue;
        }
        inPiece = true;
        if (c == '\\' && i + 1 < line.size() && line[i + 1] == '"') {
            piece += '"';
            ++i;
        } else if (c == '"') {
            if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                piece += '"';
                ++i;
            } else {
                quoted = !quoted;
            }
        } else {
            piece += c;
        }
    }
    if (inPiece) pieces.push_back(piece);
    return pieces;
}

std::string FindProgram(const std::string& name, const std::string& callerFolder) {
    if (name.empty()) return {};
    if (name.find('/') != std::string::npos) return IsExecutableFile(name) ? name : std::string();
    if (!callerFolder.empty()) {
        std::string beside = callerFolder;
        if (beside.back() != '/') beside += '/';
        beside += name;
        if (IsExecutableFile(beside)) return beside;
    }
    const char* path = std::getenv("PATH");
    if (path == nullptr) return {};
    const std::string dirs(path);
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        // An empty entry means the working folder.
        std::string candidate = end > start ? dirs.substr(start, end - start) : std::string(1, '.');
        candidate += '/';
        candidate += name;
        if (IsExecutableFile(candidate)) return candidate;
        start = end + 1;
    }
    return {};
}

}  // namespace glimra
