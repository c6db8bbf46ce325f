#include "ReferenceResize.h"

#include <cmath>
#include <cstring>

namespace ostra_reference {
namespace {

constexpr int kTaps = 15;

int32_t ReadInt32(const uint8_t* p)
{
    return static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

void WriteInt32(uint8_t* p, int32_t value)
{
    const uint32_t v = static_cast<uint32_t>(value);
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

uint8_t ToByte(long long s)
{
    if (s + 16384 < 0) {
        return 0;
    }
    if (s >= 8372224) {
        return 255;
    }
    return static_cast<uint8_t>((s + 16384) >> 15);
}

}  // namespace

int ReferenceResize::ReducePhases(int source, int target)
{
    static const int primes[] = {2, 3, 5, 7, 11, 13, 17, 19, 23, 29};
    for (int prime : primes) {
        while (source % prime == 0 && target % prime == 0) {
            source /= prime;
            target /= prime;
        }
    }
    return target;
}

std::vector<int> ReferenceResize::BuildFilter(int source, int target, int* phases)
{
    const double ratio = double(source) / double(target);
    const int half = kTaps / 2;
    *phases = ReducePhases(source, target);
    std::vector<int> table(size_t(*phases) * kTaps);
    for (int p = 0; p < *phases; ++p) {
        const double pos = p * ratio;
        const double whole = std::trunc(pos);
        double frac;
        if (ratio > 1) {
            frac = (pos - whole) / ratio;
        } else {
            frac = pos - whole;
        }
        double k[kTaps];
        for (int i = 0; i <= 2 * half; ++i) {
            const double x = i - half;
            const double window = 0.54 + 0.46 * std::cos(x * 3.141593 / half);
            double xs;
            if (ratio > 1) {
                xs = x / ratio * 0.95;
            } else {
                xs = x;
            }
            const double a = (xs - frac) * 3.141593;
            if (a == 0) {
                k[i] = 1.0;
            } else {
                k[i] = std::sin(a) / a * window;
            }
        }
        double sum = 0;
        for (int i = 0; i < kTaps; ++i) {
            sum += k[i];
        }
        for (int i = 0; i < kTaps; ++i) {
            k[i] /= sum;
        }
        for (int i = 0; i < kTaps; ++i) {
            table[size_t(p) * kTaps + i] = k[i] >= 1.0 ? 32767 : int(k[i] * 32768);
        }
    }
    return table;
}

ReferenceResize::Result ReferenceResize::Run(const uint8_t* info, const uint8_t* bits, int newWidth, int newHeight)
{
    Result result;
    std::memcpy(result.header.data(), info, 40);
    const int width = ReadInt32(info + 4);
    const int height = ReadInt32(info + 8);
    const int bitCount = info[14] | info[15] << 8;
    // The picture is taken in before the new size is used: its size first,
    // then its bit depth, then the size asked for.
    if (width <= 0 || height <= 0) {
        result.outcome = Outcome::MemoryError;
        return result;
    }
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24) {
        result.outcome = Outcome::FormatError;
        return result;
    }
    if (newWidth <= 0 || newHeight <= 0) {
        result.outcome = Outcome::MemoryError;
        return result;
    }
    const uint8_t* palette = info + 40;

    // The input as 24-bit rows padded to 4 bytes.
    const size_t rowSize24 = size_t(width) * 3 + width % 4;
    std::vector<uint8_t> image24(rowSize24 * height);
    if (bitCount == 24) {
        for (int y = 0; y < height; ++y) {
            std::memcpy(&image24[rowSize24 * y], bits + rowSize24 * y, size_t(width) * 3);
        }
    } else if (bitCount == 1 || bitCount == 4 || bitCount == 8) {
        const size_t inRow = (size_t(width) * bitCount + 31) / 32 * 4;
        for (int y = 0; y < height; ++y) {
            const uint8_t* row = bits + inRow * y;
            for (int x = 0; x < width; ++x) {
                int index;
                if (bitCount == 1) {
                    index = (row[x / 8] >> (7 - x % 8)) & 1;
                } else if (bitCount == 4) {
                    index = x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 15;
                } else {
                    index = row[x];
                }
                for (int c = 0; c < 3; ++c) {
                    image24[rowSize24 * y + size_t(x) * 3 + c] = palette[index * 4 + c];
                }
            }
        }
        result.header[14] = 24;
        result.header[15] = 0;
        WriteInt32(&result.header[16], 0);
        WriteInt32(&result.header[32], 0);
        WriteInt32(&result.header[36], 0);
    } else {
        result.outcome = Outcome::FormatError;
        std::memcpy(result.header.data(), info, 40);
        return result;
    }

    // The extended image: a 7-pixel border of repeated edge pixels.
    const int extWidth = width + 14;
    const int extHeight = height + 14;
    std::vector<uint8_t> ext(size_t(extWidth) * extHeight * 3);
    for (int y = 0; y < extHeight; ++y) {
        int sy = y - 7;
        if (sy < 0) {
            sy = 0;
        }
        if (sy > height - 1) {
            sy = height - 1;
        }
        for (int x = 0; x < extWidth; ++x) {
            int sx = x - 7;
            if (sx < 0) {
                sx = 0;
            }
            if (sx > width - 1) {
                sx = width - 1;
            }
            for (int c = 0; c < 3; ++c) {
                ext[(size_t(y) * extWidth + x) * 3 + c] = image24[rowSize24 * sy + size_t(sx) * 3 + c];
            }
        }
    }

    const std::vector<int> columnTaps = BuildFilter(width, newWidth, &result.columnPhases);
    const std::vector<int> rowTaps = BuildFilter(height, newHeight, &result.rowPhases);

    const size_t outRow = size_t(newWidth) * 3 + newWidth % 4;
    result.pixels.assign(outRow * newHeight, 0);
    std::vector<uint8_t> middle(size_t(extWidth) * 3);
    int q = 0;
    for (int r = 0; r < newHeight; ++r) {
        const long long base = (long long)height * r / newHeight;
        for (int x = 0; x < extWidth; ++x) {
            for (int c = 0; c < 3; ++c) {
                long long s = 0;
                for (int k = 0; k < kTaps; ++k) {
                    s += (long long)rowTaps[size_t(q) * kTaps + k] * ext[((base + k) * extWidth + x) * 3 + c];
                }
                middle[size_t(x) * 3 + c] = ToByte(s);
            }
        }
        int t = 0;
        for (int col = 0; col < newWidth; ++col) {
            const long long cbase = (long long)width * col / newWidth;
            for (int c = 0; c < 3; ++c) {
                long long s = 0;
                for (int k = 0; k < kTaps; ++k) {
                    s += (long long)columnTaps[size_t(t) * kTaps + k] * middle[size_t(cbase + k) * 3 + c];
                }
                result.pixels[outRow * r + size_t(col) * 3 + c] = ToByte(s);
            }
            t = (t + 1) % result.columnPhases;
        }
        q = (q + 1) % result.rowPhases;
    }

    WriteInt32(&result.header[4], newWidth);
    WriteInt32(&result.header[8], newHeight);
    WriteInt32(&result.header[20], 0);
    return result;
}

}  // namespace ostra_reference
