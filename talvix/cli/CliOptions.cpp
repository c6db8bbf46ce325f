#include "talvix/cli/CliOptions.h"

#include <cerrno>
#include <cstdlib>

namespace talvix {

namespace {

bool ToInt(const std::string& text, int& out)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < -1000000000 || v > 1000000000)
        return false;
    out = static_cast<int>(v);
    return true;
}

struct Arity {
    const char* name;
    size_t least;
    size_t most;
};

constexpr Arity kCommands[] = {
    {"scan", 0, 0}, {"devices", 0, 0}, {"status", 0, 0}, {"ls", 0, 1},  {"get", 2, 1000},
    {"put", 2, 1000}, {"rm", 1, 1000}, {"mkdir", 1, 1}, {"mv", 2, 2},
};

}  // namespace

const char* CliOptions::Usage()
{
    return "usage: tvcard [--port N|PATH] [--id N] [--rate R] [-y|--yes-all] [-n|--no-clobber] [-q] COMMAND ARGS\n"
           "  scan                      find the devices on the line (IDs 1..99) and store them\n"
           "  devices                   check the stored devices\n"
           "  status                    card status, block size, volume label, free bytes\n"
           "  ls [-R] [CARDPATH]        list a card folder\n"
           "  get CARDPATH... PCFOLDER  copy card files and folders to the PC\n"
           "  put PCPATH... CARDFOLDER  write PC files and folders to the card\n"
           "  rm CARDPATH...            delete card files and folders\n"
           "  mkdir CARDPATH            make a card folder\n"
           "  mv CARDPATH NEWNAME       rename within its folder\n"
           "CARDPATH: \\DCIM\\100, M:\\DCIM\\100 or /DCIM/100; the root is \\, M:\\ or /.\n"
           "get copies everything it can; card entries whose names cannot be PC file names\n"
           "(\"..\", \"A/B\", a NUL byte, too long) are named on stderr and left out, and the\n"
           "exit status is then 3 with error 0x0009.\n"
           "Exit status: 0 done, 1 usage error, 2 no usable device, 3 a card operation\n"
           "failed or left something out (\"error 0xNNNN: \" and the text on stderr).\n";
}

bool CliOptions::Parse(int argc, const char* const* argv, std::string& error)
{
    int i = 1;
    auto value = [&](const std::string& option, std::string& out) {
        if (i + 1 >= argc) {
            error = option + " needs a value";
            return false;
        }
        out = argv[++i];
        return true;
    };
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        std::string v;
        if (arg == "--port") {
            if (!value(arg, v))
                return false;
            int n = 0;
            if (ToInt(v, n)) {
                if (n < 1 || n > 4) {
                    error = "--port takes 1..4 or a device path";
                    return false;
                }
                port = n;
            } else {
                portPath = v;
            }
        } else if (arg == "--id") {
            if (!value(arg, v) || !ToInt(v, id) || id < 1 || id > 99) {
                error = error.empty() ? "--id takes 1..99" : error;
                return false;
            }
        } else if (arg == "--rate") {
            if (!value(arg, v) || !ToInt(v, rate) ||
                (rate != 115200 && rate != 57600 && rate != 38400 && rate != 19200 && rate != 9600)) {
                error = error.empty() ? "--rate takes 115200, 57600, 38400, 19200 or 9600" : error;
                return false;
            }
        } else if (arg == "-y" || arg == "--yes-all") {
            yesAll = true;
        } else if (arg == "-n" || arg == "--no-clobber") {
            noClobber = true;
        } else if (arg == "-q") {
            quiet = true;
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
            error = "unknown option " + arg;
            return false;
        } else {
            break;
        }
    }
    if (yesAll && noClobber) {
        error = "-y and -n exclude each other";
        return false;
    }
    if (i >= argc) {
        error = "no command";
        return false;
    }
    command = argv[i++];
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (command == "ls" && arg == "-R" && args.empty())
            recursive = true;
        else
            args.push_back(arg);
    }
    for (const Arity& a : kCommands) {
        if (command != a.name)
            continue;
        if (args.size() < a.least || args.size() > a.most) {
            error = "wrong number of arguments for " + command;
            return false;
        }
        return true;
    }
    error = "unknown command " + command;
    return false;
}

}  // namespace talvix
