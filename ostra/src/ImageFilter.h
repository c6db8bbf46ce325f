// The two filter passes: for every output row, a vertical pass over all
// columns into one intermediate row, then a horizontal pass from that row
// into the output.
//
// The picture is filtered as if it had a border of 7 repeated edge pixels on
// every side. That border is never stored whole: a tap above or below the
// picture reads the first or last row, and since every column of the left
// and right border is a copy of the edge column, its vertical result is a
// copy of the edge column's result. The bytes are the same as filtering a
// bordered copy of the picture, without writing and reading that copy.
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

    // Bytes of the intermediate row buffers and the column plan.
    static uint64_t RowBufferBytes(int sourceWidth, int newWidth);

    // rows24: the picture as 24-bit rows, rowBytes apart. Fills out
    // (newHeight rows of newWidth × 3 bytes plus newWidth mod 4 zero bytes).
    // False when the row buffers cannot be allocated.
    static bool Run(const uint8_t* rows24, size_t rowBytes, const Sizes& sizes, const FilterTable& columnTaps,
                    const FilterTable& rowTaps, const RowKernels& kernels, uint8_t* out);
};

}  // namespace ostra
