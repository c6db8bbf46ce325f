#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace imaging {

// A decoded picture ready for the screen: top-down rows of 32-bit pixels
// 0xFFRRGGBB (the byte order B, G, R, 255 in memory on little-endian
// machines, which a QImage of Format_RGB32 takes without conversion).
struct Rgb32Image {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;  // width * height, row after row from the top

    bool Empty() const { return width <= 0 || height <= 0; }
    uint32_t* Row(int32_t y) { return pixels.data() + size_t(y) * size_t(width); }
    const uint32_t* Row(int32_t y) const { return pixels.data() + size_t(y) * size_t(width); }
    uint32_t At(int32_t x, int32_t y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

inline uint32_t PackRgb(uint8_t r, uint8_t g, uint8_t b) {
    return 0xFF000000u | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}

}  // namespace imaging
