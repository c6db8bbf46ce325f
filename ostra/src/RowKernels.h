// The inner loops of the two filter passes, in a scalar version and, where
// the processor has them, a vector version. Both give the same bytes.
#pragma once

#include "FilterTable.h"

#include <cstddef>
#include <cstdint>

namespace ostra {

// Where output column c reads: base = sourceWidth * c / newWidth, and the
// phase of its weights. Worked out once per call, used by every row.
struct ColumnStep {
    int32_t base;
    int32_t phase;
};

// What the horizontal pass needs to know about one output row.
struct HorizontalPlan {
    int newWidth = 0;
    const FilterTable* taps = nullptr;
    const ColumnStep* columns = nullptr;  // newWidth entries
};

struct RowKernels {
    // out[x] = the weighted sum of rows[0..14][x] with taps, rounded and
    // clamped to a byte, for x < count.
    void (*vertical)(const uint8_t* const* rows, const FilterTable& table, int phase, uint8_t* out, size_t count);
    // Splits count blue-green-red pixels into three planes of 16-bit
    // samples (widened once here rather than at each of the many reads of
    // the horizontal pass).
    void (*split)(const uint8_t* in, uint16_t* blue, uint16_t* green, uint16_t* red, size_t count);
    // Writes newWidth output pixels (blue, green, red) from the three planes,
    // each plane sourceWidth + 14 samples long with at least 16 readable
    // samples after that.
    void (*horizontal)(const uint16_t* const* planes, const HorizontalPlan& plan, uint8_t* out);
};

// Rounds and clamps a sum of weights × bytes to a byte.
inline uint8_t SumToByte(int64_t s)
{
    if (s + 16384 < 0) {
        return 0;
    }
    if (s >= 8372224) {
        return 255;
    }
    return uint8_t((s + 16384) >> 15);
}

const RowKernels& ScalarKernels();
// Null when the library was built for a processor family without them.
const RowKernels* Sse2Kernels();
const RowKernels* Avx2Kernels();

}  // namespace ostra
