// Bitmaps made by the tests: an information block (40-byte header and
// colour table) and pixel rows padded to 4 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ostra_test {

struct TestBitmap {
    std::vector<uint8_t> info;
    std::vector<uint8_t> bits;
};

int32_t ReadInt32(const uint8_t* p);
void WriteInt32(uint8_t* p, int32_t value);

// Bytes of one input row for width and bit count.
size_t RowBytes(int width, int bitCount);

// A header with every field set (planes 1, resolution, colours used and
// important colours), followed by a colour table for 1, 4 and 8 bits.
std::vector<uint8_t> MakeInfo(int width, int height, int bitCount);

// Random pixels and a random colour table; the row padding holds random
// bytes too, which the library must skip.
TestBitmap MakeRandomBitmap(int width, int height, int bitCount, uint32_t seed);

}  // namespace ostra_test
