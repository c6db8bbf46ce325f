#include "TestImages.h"

#include <random>

namespace ostra_test {

int32_t ReadInt32(const uint8_t* p)
{
    return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

void WriteInt32(uint8_t* p, int32_t value)
{
    const uint32_t v = uint32_t(value);
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

size_t RowBytes(int width, int bitCount)
{
    return (size_t(width) * size_t(bitCount) + 31) / 32 * 4;
}

std::vector<uint8_t> MakeInfo(int width, int height, int bitCount)
{
    const int colours = bitCount <= 8 ? 1 << bitCount : 0;
    std::vector<uint8_t> info(40 + 4 * size_t(colours), 0);
    WriteInt32(&info[0], 40);
    WriteInt32(&info[4], width);
    WriteInt32(&info[8], height);
    info[12] = 1;
    info[14] = uint8_t(bitCount);
    info[15] = uint8_t(bitCount >> 8);
    WriteInt32(&info[16], 0);  // compression
    WriteInt32(&info[20], int32_t(RowBytes(width > 0 ? width : 0, bitCount) * size_t(height > 0 ? height : 0)));
    WriteInt32(&info[24], 2835);
    WriteInt32(&info[28], 2835);
    WriteInt32(&info[32], colours);
    WriteInt32(&info[36], colours / 2);
    return info;
}

TestBitmap MakeRandomBitmap(int width, int height, int bitCount, uint32_t seed)
{
    std::mt19937 random(seed);
    TestBitmap bitmap;
    bitmap.info = MakeInfo(width, height, bitCount);
    for (size_t i = 40; i < bitmap.info.size(); ++i) {
        bitmap.info[i] = uint8_t(random());
    }
    bitmap.bits.resize(RowBytes(width, bitCount) * size_t(height));
    // Smooth areas and hard edges both matter: mix noise with runs.
    uint8_t run = 0;
    for (size_t i = 0; i < bitmap.bits.size(); ++i) {
        if (random() % 4 == 0) {
            // Black and white runs make the filter overshoot both ends.
            const uint32_t kind = random() % 3;
            run = kind == 0 ? 0 : kind == 1 ? 255 : uint8_t(random());
        }
        bitmap.bits[i] = random() % 2 == 0 ? run : uint8_t(random());
    }
    return bitmap;
}

}  // namespace ostra_test
