// Speed of the viewer on a 12-megapixel JPEG made here: decoding alone, the
// viewer's open-to-first-paint, one scroll step at 400 % and the switch to a
// neighbour that was decoded ahead. Run it on a quiet machine:
//   glimra_bench [rounds]
// It uses Qt's offscreen platform with a 1920x1080 screen of its own.
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "glimra/core/CommandIds.h"
#include "glimra/ui/CGlimraApp.h"
#include "glimra/ui/CGlimraView.h"
#include "glimra/ui/CMainFrame.h"
#include "platform/AtomicFile.h"
#include "imaging/BitmapFile.h"
#include "imaging/JpegCodec.h"

using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A photo-like picture: smooth gradients with some texture, so the JPEG is
// of a realistic size (a flat picture would decode unrealistically fast).
imaging::Rgb32Image MakePhoto(int32_t w, int32_t h, int seed) {
    imaging::Rgb32Image img;
    img.width = w;
    img.height = h;
    img.pixels.resize(size_t(w) * size_t(h));
    uint32_t noise = 12345u + uint32_t(seed);
    for (int32_t y = 0; y < h; ++y) {
        uint32_t* row = img.Row(y);
        for (int32_t x = 0; x < w; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const int n = int(noise >> 28) - 8;
            const int r = std::clamp((x * 255 / w + seed * 40 + n) & 255, 0, 255);
            const int g = std::clamp(((y * 255 / h) ^ (x >> 6)) + n, 0, 255);
            const int b = std::clamp(((x + y) >> 4 & 127) + 64 + n, 0, 255);
            row[x] = imaging::PackRgb(uint8_t(r), uint8_t(g), uint8_t(b));
        }
    }
    return img;
}

void Pump() { QCoreApplication::processEvents(); }

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 7;
    char tmpl[] = "/tmp/glimra-bench-XXXXXX";
    if (::mkdtemp(tmpl) == nullptr) return 1;
    const std::string dir = tmpl;
    {
        std::ofstream(dir + "/screen.json")
            << R"({"screens":[{"name":"bench","x":0,"y":0,"width":1920,"height":1080,"logicalDpi":96}]})";
    }
    ::setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + dir + "/screen.json").c_str(), 1);

    std::printf("making three 4000x3000 JPEG pictures...\n");
    for (int i = 0; i < 3; ++i) {
        imaging::Rgb32Image photo = MakePhoto(4000, 3000, i);
        if (!imaging::EncodeJpegFile(imaging::BlockFromRgb32(photo), dir + "/P" + std::to_string(i) + ".JPG", 90)) {
            return 1;
        }
    }
    {
        std::ofstream(dir + "/Index.TMP") << "P0.JPG\r\nP1.JPG\r\nP2.JPG\r\n";
    }
    std::printf("JPEG size: %ju bytes\n", uintmax_t(std::filesystem::file_size(dir + "/P0.JPG")));

    // 1. Decoding alone, from memory and from the file.
    std::string bytes;
    platform::AtomicFile::Read(dir + "/P0.JPG", bytes, size_t(64) << 20);
    std::vector<double> decodeMem, decodeFile;
    for (int i = 0; i < rounds; ++i) {
        imaging::Rgb32Image img;
        auto t0 = Clock::now();
        imaging::DecodeJpegRgb32(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), img);
        decodeMem.push_back(Ms(Clock::now() - t0));
        t0 = Clock::now();
        imaging::DecodeJpegFileRgb32(dir + "/P0.JPG", img);
        decodeFile.push_back(Ms(Clock::now() - t0));
    }

    QApplication app(argc, argv);

    // 2. Open to first paint: a fresh viewer each round, nothing decoded yet.
    std::vector<double> firstPaint;
    for (int i = 0; i < rounds; ++i) {
        glimra::CGlimraApp viewer;
        auto t0 = Clock::now();
        if (!viewer.InitInstance("/P0.JPG/" + dir)) return 1;
        glimra::CGlimraView* view = viewer.frame()->view();
        while (view->paintCount() == 0) Pump();
        firstPaint.push_back(Ms(Clock::now() - t0));
        viewer.services().cache->WaitIdle();
    }

    // 3 and 4 on one viewer.
    glimra::CGlimraApp viewer;
    viewer.InitInstance("/P0.JPG/" + dir);
    glimra::CGlimraView* view = viewer.frame()->view();
    while (view->paintCount() == 0) Pump();
    view->OnCommand(glimra::kCmdZoom400);
    view->repaint();
    Pump();
    std::printf("view at 400 %%: %dx%d\n", view->width(), view->height());
    std::vector<double> scroll;
    for (int i = 0; i < rounds * 10; ++i) {
        auto t0 = Clock::now();
        view->OnScroll(Qt::Vertical, glimra::ScrollCode::kLineDown, 0);
        view->repaint();
        scroll.push_back(Ms(Clock::now() - t0));
    }
    view->OnCommand(glimra::kCmdZoom100);
    view->repaint();
    std::vector<double> next;
    for (int i = 0; i < rounds; ++i) {
        viewer.services().cache->WaitIdle();  // the neighbours are decoded meanwhile
        auto t0 = Clock::now();
        view->OnCommand(glimra::kCmdNextPicture);
        view->repaint();
        next.push_back(Ms(Clock::now() - t0));
    }

    const double decode = Median(decodeMem);
    std::printf("\n%-48s %9s\n", "measure (median)", "ms");
    std::printf("%-48s %9.2f\n", "TurboJPEG decode of 12 MP, from memory", decode);
    std::printf("%-48s %9.2f\n", "decode of 12 MP, file read included", Median(decodeFile));
    std::printf("%-48s %9.2f  (%.2fx decode; goal <= 1.25x)\n", "open to first paint", Median(firstPaint),
                Median(firstPaint) / decode);
    std::printf("%-48s %9.2f  (goal < 16)\n", "one scroll step at 400 %", Median(scroll));
    std::printf("%-48s %9.2f  (goal < 16)\n", "next picture, neighbour decoded ahead", Median(next));

    std::filesystem::remove_all(dir);
    return 0;
}
