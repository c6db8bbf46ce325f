// Reads a 256 KiB card file in 4096-byte blocks at 115200 bit/s through the
// emulator pacing its output at the line rate, and reports the throughput,
// its ratio to what the line can carry, and the processor time the PC side
// spent as a share of the wall time.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <vector>

#include "talvix/filexfer/FileOpe.h"
#include "tools/selksim/testing/SelkSimProcess.h"

namespace fs = std::filesystem;
using namespace talvix;

namespace {

struct Selection : DeviceSelection {
    int CurrentDeviceID() const override { return 1; }
    int DeviceCount() const override { return 1; }
    int TransferRate() const override { return 115200; }
};

double Seconds(clockid_t clock)
{
    timespec ts{};
    clock_gettime(clock, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

}  // namespace

int main()
{
    constexpr uint32_t kFileSize = 256 * 1024;
    constexpr uint32_t kBlock = 4096;
    constexpr int kRate = 115200;

    char tmpl[] = "/tmp/readbench-XXXXXX";
    if (!mkdtemp(tmpl)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string card = std::string(tmpl) + "/card";
    fs::create_directories(card);
    std::vector<uint8_t> content(kFileSize);
    for (uint32_t i = 0; i < kFileSize; ++i)
        content[i] = static_cast<uint8_t>(i * 2654435761u >> 24);
    std::ofstream(card + "/BENCH.BIN", std::ios::binary)
        .write(reinterpret_cast<const char*>(content.data()), kFileSize);

    int rc = 0;
    {
        selksim::SelkSimProcess sim({"--device", "id=1,card=" + card}, /*pacing=*/true);
        Selection devices;
        CSelkIO selk;
        FileOpe ope(selk, devices);
        if (!sim.Start() || !selk.OpenPath(sim.linkPath(), 1) || !selk.Setup() || !ope.EnterTransferMode() ||
            !ope.SetTransferRate(kRate) || !ope.GetStatus()) {
            std::fprintf(stderr, "could not set up the session: %s\n", sim.startError().c_str());
            rc = 1;
        } else {
            std::vector<uint8_t> image(kFileSize + kBlock);
            const double wall0 = Seconds(CLOCK_MONOTONIC), cpu0 = Seconds(CLOCK_PROCESS_CPUTIME_ID);
            uint8_t error = 0;
            const uint32_t handle = ope.Open("M:\\BENCH.BIN", kOpenRead, error);
            uint32_t at = 0;
            while (handle != 0 && at < kFileSize) {
                uint32_t n = 0;
                if (!ope.Read(handle, image.data(), at, kBlock, n) || n == 0)
                    break;
                at += n;
            }
            if (handle != 0)
                ope.Close(handle);
            const double wall = Seconds(CLOCK_MONOTONIC) - wall0;
            const double cpu = Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0;
            ope.LeaveTransferMode();

            const bool same = at == kFileSize && std::equal(content.begin(), content.end(), image.begin());
            const double lineLimit = static_cast<double>(kFileSize) * 11.0 / kRate;  // seconds
            const double ratio = lineLimit / wall;
            const double share = cpu / wall;
            std::printf("file           %u bytes in %u-byte blocks at %d bit/s (%s)\n", kFileSize, kBlock, kRate,
                        same ? "content verified" : "CONTENT MISMATCH");
            std::printf("time           %.3f s (line-rate limit %.3f s)\n", wall, lineLimit);
            std::printf("throughput     %.0f bytes/s\n", kFileSize / wall);
            std::printf("ratio to line  %.3f (goal >= 0.97)\n", ratio);
            std::printf("PC cpu time    %.1f ms = %.2f %% of wall (goal <= 5 %%)\n", cpu * 1000, share * 100);
            if (!same)
                rc = 1;
        }
    }
    fs::remove_all(tmpl);
    return rc;
}
