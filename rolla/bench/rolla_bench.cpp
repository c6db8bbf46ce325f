// Speed of the slide show's picture change on 12-megapixel JPEGs made here,
// fitted to a 1920x1080 screen: making a slide when its turn comes, against
// taking the one prepared while the previous picture was shown.
//   rolla_bench [rounds]
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "imaging/BitmapFile.h"
#include "imaging/JpegCodec.h"
#include "rolla/core/SlidePreparer.h"

using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

imaging::Rgb32Image MakePhoto(int32_t w, int32_t h, int seed) {
    imaging::Rgb32Image img;
    img.width = w;
    img.height = h;
    img.pixels.resize(size_t(w) * size_t(h));
    uint32_t noise = 777u + uint32_t(seed);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const int n = int(noise >> 28) - 8;
            img.Row(y)[x] = imaging::PackRgb(uint8_t((x * 255 / w + seed * 50 + n) & 255),
                                             uint8_t(std::clamp((y * 255 / h) + n, 0, 255)),
                                             uint8_t(((x + y) >> 4 & 127) + 64));
        }
    }
    return img;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(2, atoi(argv[1])) : 6;
    char tmpl[] = "/tmp/rolla-bench-XXXXXX";
    if (::mkdtemp(tmpl) == nullptr) return 1;
    const std::string dir = tmpl;
    std::vector<std::string> paths;
    for (int i = 0; i < 2; ++i) {
        paths.push_back(dir + "/S" + std::to_string(i) + ".JPG");
        if (!imaging::EncodeJpegFile(imaging::BlockFromRgb32(MakePhoto(4000, 3000, i)), paths.back(), 90)) return 1;
    }

    std::vector<double> cold, ahead;
    for (int i = 0; i < rounds; ++i) {
        rolla::SlidePreparer fresh(rolla::kFitToScreen, 1920, 1080);
        auto t0 = Clock::now();
        if (!fresh.Get(paths[size_t(i) % 2])) return 1;
        cold.push_back(Ms(Clock::now() - t0));
    }
    rolla::SlidePreparer show(rolla::kFitToScreen, 1920, 1080);
    show.Get(paths[0]);
    for (int i = 1; i <= rounds; ++i) {
        show.PrepareAhead(paths[size_t(i) % 2]);
        // The interval passes while the current picture is on the screen.
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        auto t0 = Clock::now();
        if (!show.Get(paths[size_t(i) % 2])) return 1;
        ahead.push_back(Ms(Clock::now() - t0));
    }
    std::printf("%-52s %9s\n", "measure (median)", "ms");
    std::printf("%-52s %9.2f\n", "slide made at its turn (decode + fit 12 MP)", Median(cold));
    std::printf("%-52s %9.2f\n", "slide prepared while the previous one was shown", Median(ahead));
    std::filesystem::remove_all(dir);
    return 0;
}
