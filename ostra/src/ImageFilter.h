// The two filter passes over the extended image: for every output row, a
// vertical pass over all columns of the extended image into one
// intermediate row, then a horizontal pass from that row into the output.
#pragma once

#include "FilterTable.h"
#include "RowKernels.h"

#include <cstdint>

namespace ostra {

class ImageFilter {
public:
    struct Sizes {
        int sourceWidth;
        int sourceHeight;
        int newWidth;
        int newHeight;
    };

    // Bytes of the intermediate row buffers for a source width.
    static uint64_t RowBufferBytes(int sourceWidth);

    // Fills out (newHeight rows of newWidth × 3 bytes plus newWidth mod 4
    // zero bytes). False when the row buffers cannot be allocated.
    static bool Run(const uint8_t* extended, const Sizes& sizes, const FilterTable& columnTaps,
                    const FilterTable& rowTaps, const RowKernels& kernels, uint8_t* out);
};

}  // namespace ostra
