#include "ImageFilter.h"

#include "Buffer.h"

#include <algorithm>
#include <cstring>

namespace ostra {
namespace {

// Vector loads may read up to this many bytes past the end of a row.
constexpr size_t kSlack = 64;
constexpr int kBorder = 7;

}  // namespace

uint64_t ImageFilter::RowBufferBytes(int sourceWidth, int newWidth)
{
    const uint64_t pixels = uint64_t(sourceWidth) + 14;
    return uint64_t(newWidth) * sizeof(ColumnStep) + 3 * (pixels + kSlack) * sizeof(uint16_t) + (3 * pixels + kSlack);
}

bool ImageFilter::Run(const uint8_t* rows24, size_t rowBytes, const Sizes& sizes, const FilterTable& columnTaps,
                      const FilterTable& rowTaps, const RowKernels& kernels, uint8_t* out)
{
    const size_t width = size_t(sizes.sourceWidth);
    const size_t extWidth = width + 2 * kBorder;
    const size_t planeSamples = extWidth + kSlack;
    const int64_t lastRow = sizes.sourceHeight - 1;

    // Three planes (blue, green, red) of the intermediate row as 16-bit
    // samples, and the row itself as the vertical pass leaves it, pixel
    // after pixel.
    Buffer rowBuffers;
    if (!rowBuffers.Allocate(size_t(RowBufferBytes(sizes.sourceWidth, sizes.newWidth)))) {
        return false;
    }
    std::memset(rowBuffers.data(), 0, rowBuffers.size());
    ColumnStep* const columns = reinterpret_cast<ColumnStep*>(rowBuffers.data());
    uint16_t* const first = reinterpret_cast<uint16_t*>(columns + sizes.newWidth);
    uint16_t* planes[3] = {first, first + planeSamples, first + 2 * planeSamples};
    uint8_t* interleaved = reinterpret_cast<uint8_t*>(first + 3 * planeSamples);

    // Column c reads from sourceWidth * c / newWidth with phase c mod
    // phases; both kept without a division.
    {
        const int64_t newWidth = sizes.newWidth;
        const int64_t step = sizes.sourceWidth / newWidth;
        const int64_t stepRest = sizes.sourceWidth % newWidth;
        int64_t base = 0;
        int64_t rest = 0;
        int phase = 0;
        for (int64_t c = 0; c < newWidth; ++c) {
            columns[c] = ColumnStep{int32_t(base), phase};
            base += step;
            rest += stepRest;
            if (rest >= newWidth) {
                rest -= newWidth;
                ++base;
            }
            if (++phase == columnTaps.phases()) {
                phase = 0;
            }
        }
    }
    HorizontalPlan plan;
    plan.newWidth = sizes.newWidth;
    plan.taps = &columnTaps;
    plan.columns = columns;

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
        for (uint16_t* plane : planes) {
            std::fill_n(plane, kBorder, plane[kBorder]);
            std::fill_n(plane + kBorder + width, kBorder, plane[kBorder + width - 1]);
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
