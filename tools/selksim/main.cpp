// selksim: a device emulator on a pseudo-terminal. It plays one or more SELK
// devices (and their cards in file-transfer mode) for the PC side to talk to.
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "FrameLog.h"
#include "PtyLine.h"
#include "SimBus.h"
#include "SimOptions.h"

namespace {

volatile sig_atomic_t g_stop = 0;
int g_wakeWrite = -1;

void OnSignal(int)
{
    g_stop = 1;
    if (g_wakeWrite >= 0) {
        const char c = 1;
        [[maybe_unused]] const ssize_t n = write(g_wakeWrite, &c, 1);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h") {
            std::fputs(selksim::UsageText(), stdout);
            return 0;
        }
    selksim::Options options;
    std::string error;
    if (!selksim::ParseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "selksim: %s\n%s", error.c_str(), selksim::UsageText());
        return 2;
    }
    int wake[2];
    if (pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::perror("selksim: pipe");
        return 1;
    }
    g_wakeWrite = wake[1];
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);

    selksim::FrameLog log;
    if (!options.logPath.empty() && !log.Open(options.logPath)) {
        std::fprintf(stderr, "selksim: cannot write the log %s\n", options.logPath.c_str());
        return 1;
    }
    selksim::PtyLine line;
    if (!line.Create(options.linkPath, error)) {
        std::fprintf(stderr, "selksim: %s\n", error.c_str());
        return 1;
    }
    selksim::SimBus bus(options, line, log);
    if (!bus.Init(error)) {
        std::fprintf(stderr, "selksim: %s\n", error.c_str());
        return 1;
    }
    std::printf("READY %s\n", line.slaveName().c_str());
    std::fflush(stdout);
    const int code = bus.Run(g_stop, wake[0]);
    line.Close();
    return code;
}
