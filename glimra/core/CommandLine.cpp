#include "glimra/core/CommandLine.h"

namespace glimra {

std::string JoinArguments(int argc, const char* const* argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += ' ';
        line += argv[i];
    }
    return line;
}

bool ParseGlimraCommandLine(const std::string& line, std::string& file, std::string& folder) {
    file.clear();
    folder.clear();
    if (line.size() < 2) return false;
    const std::string rest = line.substr(1);
    const size_t slash = rest.find('/');
    std::string f = rest.substr(0, slash);
    std::string d = slash == std::string::npos ? std::string() : rest.substr(slash + 1);
    if (f.empty() || f.size() > kMaxFileName || d.size() > kMaxFolder) return false;
    file = std::move(f);
    folder = std::move(d);
    return true;
}

}  // namespace glimra
