#include "imaging/FitIntoBox.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace imaging {

namespace {

// Rounding to the nearest whole number, halves away from zero.
int64_t RoundHalfAway(double v) { return int64_t(std::round(v)); }

}  // namespace

void ScaleRow(uint8_t* destination, const uint8_t* source, int32_t boxW, int32_t srcW, int bpp, double scale) {
    if (boxW <= 0 || srcW <= 0 || bpp <= 0) return;
    const int64_t scaledW = RoundHalfAway(scale * srcW);
    int64_t at = (int64_t(boxW) - scaledW) / 2;
    if (at < 0) at = 0;
    double acc = 0.0;
    int64_t n = 0;
    for (int32_t x = 0; x < srcW; ++x) {
        acc += scale;
        while (acc >= 1.0) {
            acc -= 1.0;
            if (at + n < boxW) std::memcpy(destination + (at + n) * bpp, source + int64_t(x) * bpp, size_t(bpp));
            ++n;
        }
    }
    if (n > 0 && n < scaledW && at + n < boxW) {
        std::memcpy(destination + (at + n) * bpp, destination + (at + n - 1) * bpp, size_t(bpp));
    }
}

void FitIntoBox(uint8_t* destination, const uint8_t* source, int32_t boxW, int32_t boxH, int32_t srcW, int32_t srcH,
                int bpp) {
    if (boxW <= 0 || boxH <= 0 || srcW <= 0 || srcH <= 0 || bpp <= 0) return;
    const double scale = std::min(double(boxW) / double(srcW), double(boxH) / double(srcH));
    const int64_t scaledH = RoundHalfAway(scale * srcH);
    const size_t dstRow = size_t(boxW) * size_t(bpp);
    const size_t srcRow = (size_t(srcW) * size_t(bpp) + 3) / 4 * 4;
    std::memset(destination, 255, dstRow * size_t(boxH));

    int64_t first = (int64_t(boxH) - scaledH) / 2;
    if (first < 0) first = 0;
    double acc = 0.0;
    int64_t written = 0;
    for (int32_t y = 0; y < srcH; ++y) {
        acc += scale;
        while (acc >= 1.0) {
            acc -= 1.0;
            if (first + written < boxH) {
                ScaleRow(destination + size_t(first + written) * dstRow, source + size_t(y) * srcRow, boxW, srcW,
                         bpp, scale);
            }
            ++written;
        }
    }
    if (written > 0 && written < scaledH && first + written < boxH) {
        std::memcpy(destination + size_t(first + written) * dstRow, destination + size_t(first + written - 1) * dstRow,
                    dstRow);
    }
}

}  // namespace imaging
