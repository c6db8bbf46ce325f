#include "ImageFilter.h"

#include "Buffer.h"

#include <cstring>

namespace ostra {
namespace {

// Vector loads may read up to this many bytes past the end of a row.
constexpr size_t kSlack = 64;
constexpr int kBorder = 7;

}  // namespace

uint64_t ImageFilter::RowBufferBytes(int sourceWidth)
{
    const uint64_t pixels = uint64_t(sourceWidth) + 14;
    return 3 * (pixels + kSlack) + (3 * pixels + kSlack);
}

bool ImageFilter::Run(const uint8_t* rows24, size_t rowBytes, const Sizes& sizes, const FilterTable& columnTaps,
                      const FilterTable& rowTaps, const RowKernels& kernels, uint8_t* out)
{
    const size_t width = size_t(sizes.sourceWidth);
    const size_t extWidth = width + 2 * kBorder;
    const size_t planeBytes = extWidth + kSlack;
    const int64_t lastRow = sizes.sourceHeight - 1;

    // Three planes (blue, green, red) of the intermediate row, and the row
    // itself as the vertical pass leaves it, pixel after pixel.
    Buffer rowBuffers;
    if (!rowBuffers.Allocate(size_t(RowBufferBytes(sizes.sourceWidth)))) {
        return false;
    }
    std::memset(rowBuffers.data(), 0, rowBuffers.size());
    uint8_t* planes[3] = {rowBuffers.data(), rowBuffers.data() + planeBytes, rowBuffers.data() + 2 * planeBytes};
    uint8_t* interleaved = rowBuffers.data() + 3 * planeBytes;

    HorizontalPlan plan;
    plan.sourceWidth = sizes.sourceWidth;
    plan.newWidth = sizes.newWidth;
    plan.taps = &columnTaps;

    const size_t outRowBytes = size_t(sizes.newWidth) * 3 + size_t(sizes.newWidth) % 4;
    const size_t padding = outRowBytes - size_t(sizes.newWidth) * 3;
    const int64_t newHeight = sizes.newHeight;
    const int64_t step = sizes.sourceHeight / newHeight;
    const int64_t stepRest = sizes.sourceHeight % newHeight;
    int64_t base = 0;  // sourceHeight * r / newHeight
    int64_t rest = 0;
    int phase = 0;
    const uint8_t* rows[FilterTable::kTaps];
    for (int64_t r = 0; r < newHeight; ++r) {
        for (int k = 0; k < FilterTable::kTaps; ++k) {
            int64_t y = base + k - kBorder;
            y = y < 0 ? 0 : y > lastRow ? lastRow : y;
            rows[k] = rows24 + size_t(y) * rowBytes;
        }
        kernels.vertical(rows, rowTaps, phase, interleaved, width * 3);
        kernels.split(interleaved, planes[0] + kBorder, planes[1] + kBorder, planes[2] + kBorder, width);
        for (uint8_t* plane : planes) {
            std::memset(plane, plane[kBorder], kBorder);
            std::memset(plane + kBorder + width, plane[kBorder + width - 1], kBorder);
        }
        uint8_t* outRow = out + size_t(r) * outRowBytes;
        kernels.horizontal(planes, plan, outRow);
        std::memset(outRow + outRowBytes - padding, 0, padding);

        base += step;
        rest += stepRest;
        if (rest >= newHeight) {
            rest -= newHeight;
            ++base;
        }
        if (++phase == rowTaps.phases()) {
            phase = 0;
        }
    }
    return true;
}

}  // namespace ostra
