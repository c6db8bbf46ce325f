// tvcard: the card browser's card operations from the command line.
#include "talvix/cli/CardTool.h"
#include "talvix/cli/CliOptions.h"

#include <clocale>
#include <cstdio>

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");
    talvix::CliOptions options;
    std::string error;
    if (!options.Parse(argc, argv, error)) {
        std::fprintf(stderr, "tvcard: %s\n%s", error.c_str(), talvix::CliOptions::Usage());
        return 1;
    }
    talvix::CardTool tool(options, stdout, stderr);
    return tool.Run();
}
