// Turning the caller's pixels into the 24-bit rows the filter reads.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ostra {

class ImageConvert {
public:
    // True for the bit depths the library reads: 1, 4, 8 and 24.
    static bool Supported(int bitCount);
    // Bytes of one input row: (width × bitCount + 31) / 32 × 4.
    static uint64_t InputRowBytes(int width, int bitCount);
    // Bytes of one 24-bit row padded to 4 bytes: width × 3 + width mod 4.
    static uint64_t Row24Bytes(int width);

    // Converts 1-, 4- or 8-bit rows through the colour table (blue, green,
    // red, reserved entries) into 24-bit rows padded with zero bytes. False
    // for any other bit count.
    static bool ConvertTo24(const uint8_t* bits, int bitCount, const uint8_t* palette, int width, int height, uint8_t* out);
};

}  // namespace ostra
