// Speed of ReSize on 24-bit pictures: the library (fast, on the best row
// loops of this processor, and on its SSE2 and scalar tiers), the
// straightforward version it is checked against, and libvips (lanczos3, one
// thread) as an outside yardstick. Before timing, the library's output is
// compared with the straightforward version's.
#include "OstraInternal.h"
#include "ReferenceResize.h"
#include "ostra/ReSize.h"

#include <benchmark/benchmark.h>
#include <unistd.h>
#include <vips/vips.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

struct SizeCase {
    const char* name;
    int width;
    int height;
    int newWidth;
    int newHeight;
};

const SizeCase kCases[] = {
    {"4000x3000->1000x750", 4000, 3000, 1000, 750},
    {"640x480->2560x1920", 640, 480, 2560, 1920},
    {"640x480->100x75", 640, 480, 100, 75},
};

struct Picture {
    std::vector<uint8_t> info;
    std::vector<uint8_t> bits;
};

void WriteInt32(uint8_t* p, int32_t value)
{
    std::memcpy(p, &value, 4);
}

// A photo-like picture: smooth gradients with some noise and sharp edges.
Picture MakePicture(int width, int height)
{
    Picture picture;
    picture.info.assign(40, 0);
    WriteInt32(&picture.info[0], 40);
    WriteInt32(&picture.info[4], width);
    WriteInt32(&picture.info[8], height);
    picture.info[12] = 1;
    picture.info[14] = 24;
    const size_t row = size_t(width) * 3 + size_t(width) % 4;
    picture.bits.assign(row * size_t(height), 0);
    std::mt19937 random(7);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &picture.bits[row * size_t(y) + size_t(x) * 3];
            const bool block = ((x / 97) + (y / 83)) % 2 == 0;
            p[0] = uint8_t((x * 255 / width + (random() & 15)) & 255);
            p[1] = uint8_t((y * 255 / height + (random() & 15)) & 255);
            p[2] = uint8_t(block ? 230 : 20);
        }
    }
    return picture;
}

const Picture& PictureFor(const SizeCase& c)
{
    static Picture large = MakePicture(4000, 3000);
    static Picture small = MakePicture(640, 480);
    return c.width == 4000 ? large : small;
}

void Fast(benchmark::State& state)
{
    const SizeCase& c = kCases[state.range(0)];
    const Picture& picture = PictureFor(c);
    std::vector<uint8_t> info = picture.info;
    for (auto _ : state) {
        std::memcpy(info.data(), picture.info.data(), 40);
        benchmark::DoNotOptimize(ReSize(info.data(), picture.bits.data(), c.newWidth, c.newHeight));
    }
    state.SetLabel(c.name);
}

// The library's slower tiers, for processors without AVX2 (or SSE2).
void FastOnPath(benchmark::State& state, ostra::KernelPath path)
{
    if (!ostra::TheEngine().SetKernelPath(path)) {
        state.SkipWithError("not available on this processor");
        return;
    }
    Fast(state);
    ostra::TheEngine().SetKernelPath(ostra::BestKernelPath());
}

void FastSse2(benchmark::State& state)
{
    FastOnPath(state, ostra::KernelPath::Sse2);
}

void FastScalar(benchmark::State& state)
{
    FastOnPath(state, ostra::KernelPath::Scalar);
}

void Straightforward(benchmark::State& state)
{
    const SizeCase& c = kCases[state.range(0)];
    const Picture& picture = PictureFor(c);
    for (auto _ : state) {
        auto result = ostra_reference::ReferenceResize::Run(picture.info.data(), picture.bits.data(), c.newWidth, c.newHeight);
        benchmark::DoNotOptimize(result.pixels.data());
    }
    state.SetLabel(c.name);
}

void LibvipsResize(benchmark::State& state, bool noGap)
{
    const SizeCase& c = kCases[state.range(0)];
    const Picture& picture = PictureFor(c);
    const double hscale = double(c.newWidth) / c.width;
    const double vscale = double(c.newHeight) / c.height;
    for (auto _ : state) {
        VipsImage* in = vips_image_new_from_memory(picture.bits.data(), picture.bits.size(), c.width, c.height, 3,
                                                   VIPS_FORMAT_UCHAR);
        VipsImage* out = nullptr;
        const int failed = noGap ? vips_resize(in, &out, hscale, "vscale", vscale, "kernel", VIPS_KERNEL_LANCZOS3,
                                               "gap", 0.0, nullptr)
                                 : vips_resize(in, &out, hscale, "vscale", vscale, "kernel", VIPS_KERNEL_LANCZOS3, nullptr);
        if (failed != 0) {
            state.SkipWithError(vips_error_buffer());
            g_object_unref(in);
            break;
        }
        size_t length = 0;
        void* pixels = vips_image_write_to_memory(out, &length);
        benchmark::DoNotOptimize(pixels);
        g_free(pixels);
        g_object_unref(out);
        g_object_unref(in);
    }
    state.SetLabel(c.name);
}

// vips_resize with its default settings, as a caller would use it.
void Libvips(benchmark::State& state)
{
    LibvipsResize(state, false);
}

// With gap 0, vips_resize skips its box pre-shrink and filters the whole
// way with lanczos3: the fastest libvips path for these sizes here.
void LibvipsNoGap(benchmark::State& state)
{
    LibvipsResize(state, true);
}

bool CheckExact()
{
    bool allSame = true;
    for (const SizeCase& c : kCases) {
        const Picture& picture = PictureFor(c);
        auto expected = ostra_reference::ReferenceResize::Run(picture.info.data(), picture.bits.data(), c.newWidth, c.newHeight);
        std::vector<uint8_t> info = picture.info;
        const uint8_t* out = ReSize(info.data(), picture.bits.data(), c.newWidth, c.newHeight);
        const bool same = out != nullptr && std::memcmp(out, expected.pixels.data(), expected.pixels.size()) == 0 &&
                          std::memcmp(info.data(), expected.header.data(), 40) == 0;
        std::printf("%-22s bit-exact: %s\n", c.name, same ? "yes" : "NO");
        allSame = allSame && same;
    }
    return allSame;
}

// Prints the usual table, then one line per size with the three times and
// the speed-ups. Times are CPU time of the whole process per call (libvips
// works on its own thread), medians when repetitions are asked for.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    explicit SummaryReporter(OutputOptions options)
        : ConsoleReporter(options)
    {
    }

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median")) {
                continue;
            }
            const int index = std::atoi(run.run_name.args.c_str());
            times_[run.run_name.function_name][index] = run.GetAdjustedCPUTime();
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\n%-22s %8s %8s %8s %16s %8s %12s %17s %10s %14s\n", "size (24-bit), ms", "fast", "sse2",
                    "scalar", "straightforward", "libvips", "libvips gap0", "fast/straightfwd", "fast/vips",
                    "fast/vips gap0");
        for (int i = 0; i < int(std::size(kCases)); ++i) {
            const double fast = Time("Fast", i);
            const double plain = Time("Straightforward", i);
            const double vips = Time("Libvips", i);
            const double vipsNoGap = Time("LibvipsNoGap", i);
            std::printf("%-22s %8.3f %8.3f %8.3f %16.3f %8.3f %12.3f %16.1fx %9.1fx %13.1fx\n", kCases[i].name, fast,
                        Time("FastSse2", i), Time("FastScalar", i), plain, vips, vipsNoGap,
                        fast > 0 ? plain / fast : 0.0, fast > 0 ? vips / fast : 0.0, fast > 0 ? vipsNoGap / fast : 0.0);
        }
    }

private:
    double Time(const std::string& function, int index) const
    {
        const auto f = times_.find(function);
        if (f == times_.end()) {
            return 0;
        }
        const auto t = f->second.find(index);
        return t == f->second.end() ? 0 : t->second;
    }

    std::map<std::string, std::map<int, double>> times_;
};

}  // namespace

BENCHMARK(Fast)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(FastSse2)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(FastScalar)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(Straightforward)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(Libvips)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(LibvipsNoGap)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

int main(int argc, char** argv)
{
    if (VIPS_INIT(argv[0]) != 0) {
        std::fprintf(stderr, "libvips did not start\n");
        return 1;
    }
    vips_concurrency_set(1);
    vips_cache_set_max(0);
    const bool exact = CheckExact();
    benchmark::Initialize(&argc, argv);
    SummaryReporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_Defaults
                                                   : benchmark::ConsoleReporter::OO_None);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    vips_shutdown();
    return exact ? 0 : 1;
}
