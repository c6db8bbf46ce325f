#pragma once
#include <string>
#include <vector>

namespace talvix {

// The command line of tvcard:
//   tvcard [--port N|PATH] [--id N] [--rate R] [-y|--yes-all] [-n|--no-clobber] [-q] COMMAND ARGS
struct CliOptions {
    int port = 0;            // 1..4 from --port N; 0 when not given or given as a path
    std::string portPath;    // --port PATH
    int id = 0;              // --id N (1..99); 0: from the registry
    int rate = 0;            // --rate R; 0: from the registry
    bool yesAll = false;     // -y: every overwrite question answered Yes to all
    bool noClobber = false;  // -n: every overwrite question answered No
    bool quiet = false;      // -q: no progress bar
    bool recursive = false;  // ls -R
    std::string command;
    std::vector<std::string> args;

    // Parses argv; false with a message on a usage error.
    bool Parse(int argc, const char* const* argv, std::string& error);

    static const char* Usage();
};

}  // namespace talvix
