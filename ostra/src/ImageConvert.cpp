#include "ImageConvert.h"

#include <cstring>

namespace ostra {
namespace {

inline void PutColour(const uint8_t* palette, unsigned index, uint8_t* out)
{
    const uint8_t* entry = palette + 4 * index;
    out[0] = entry[0];
    out[1] = entry[1];
    out[2] = entry[2];
}

}  // namespace

bool ImageConvert::Supported(int bitCount)
{
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 24;
}

uint64_t ImageConvert::InputRowBytes(int width, int bitCount)
{
    return (uint64_t(width) * uint64_t(bitCount) + 31) / 32 * 4;
}

uint64_t ImageConvert::Row24Bytes(int width)
{
    return uint64_t(width) * 3 + uint64_t(width) % 4;
}

bool ImageConvert::ConvertTo24(const uint8_t* bits, int bitCount, const uint8_t* palette, int width, int height,
                               uint8_t* out)
{
    if (bitCount != 1 && bitCount != 4 && bitCount != 8) {
        return false;
    }
    const size_t inRow = size_t(InputRowBytes(width, bitCount));
    const size_t outRow = size_t(Row24Bytes(width));
    const size_t w = size_t(width);
    for (size_t y = 0; y < size_t(height); ++y) {
        const uint8_t* row = bits + inRow * y;
        uint8_t* dst = out + outRow * y;
        if (bitCount == 8) {
            for (size_t x = 0; x < w; ++x) {
                PutColour(palette, row[x], dst + 3 * x);
            }
        } else if (bitCount == 4) {
            for (size_t x = 0; x < w; ++x) {
                const unsigned byte = row[x / 2];
                PutColour(palette, x % 2 == 0 ? byte >> 4 : byte & 15u, dst + 3 * x);
            }
        } else {
            for (size_t x = 0; x < w; ++x) {
                PutColour(palette, (row[x / 8] >> (7 - x % 8)) & 1u, dst + 3 * x);
            }
        }
        std::memset(dst + 3 * w, 0, outRow - 3 * w);
    }
    return true;
}

}  // namespace ostra
