// Turning the caller's pixels into the bordered 24-bit working image.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ostra {

class ImageConvert {
public:
    // Bytes of one input row: (width × bitCount + 31) / 32 × 4.
    static uint64_t InputRowBytes(int width, int bitCount);
    // Bytes of one 24-bit row padded to 4 bytes: width × 3 + width mod 4.
    static uint64_t Row24Bytes(int width);

    // Converts 1-, 4- or 8-bit rows through the colour table (blue, green,
    // red, reserved entries) into 24-bit rows padded with zero bytes. False
    // for any other bit count.
    static bool ConvertTo24(const uint8_t* bits, int bitCount, const uint8_t* palette, int width, int height, uint8_t* out);

    // Writes the 24-bit rows (padded to 4 bytes) into the extended image of
    // (width + 14) × (height + 14) pixels, repeating the edge pixels 7 times
    // outward on every side.
    static void ExtendEdges(const uint8_t* rows24, int width, int height, uint8_t* extended);
};

}  // namespace ostra
