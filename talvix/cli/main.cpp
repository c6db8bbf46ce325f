// tvcard: the card browser's card operations from the command line.
#include "talvix/cli/CardTool.h"
#include "talvix/cli/CliOptions.h"

#include <clocale>
#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(talvix::CliOptions::Usage(), stdout);
            return 0;
        }
    }
    talvix::CliOptions options;
    std::string error;
    if (!options.Parse(argc, argv, error)) {
        std::fprintf(stderr, "tvcard: %s\n%s", error.c_str(), talvix::CliOptions::Usage());
        return 1;
    }
    talvix::CardTool tool(options, stdout, stderr);
    return tool.Run();
}
