#include "imaging/Resampler.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "imaging/BitmapFile.h"

namespace imaging {

namespace {

// For each output position: the first source index and its weights.
struct Contributions {
    std::vector<int32_t> first;
    std::vector<int32_t> count;
    std::vector<float> weights;  // `stride` per output position
    int32_t stride = 0;
};

Contributions MakeContributions(int32_t srcSize, int32_t dstSize) {
    Contributions c;
    const double scale = double(dstSize) / double(srcSize);
    const double support = scale < 1.0 ? 1.0 / scale : 1.0;  // triangle radius in source pixels
    c.stride = int32_t(std::ceil(support * 2.0)) + 2;
    c.first.resize(size_t(dstSize));
    c.count.resize(size_t(dstSize));
    c.weights.assign(size_t(dstSize) * size_t(c.stride), 0.0f);
    for (int32_t i = 0; i < dstSize; ++i) {
        const double centre = (i + 0.5) / scale - 0.5;
        int32_t lo = int32_t(std::ceil(centre - support));
        int32_t hi = int32_t(std::floor(centre + support));
        lo = std::max(lo, 0);
        hi = std::min(hi, srcSize - 1);
        if (hi - lo + 1 > c.stride) hi = lo + c.stride - 1;
        double total = 0.0;
        float* w = &c.weights[size_t(i) * size_t(c.stride)];
        for (int32_t s = lo; s <= hi; ++s) {
            double d = std::fabs(s - centre) / support;
            double v = d < 1.0 ? 1.0 - d : 0.0;
            w[s - lo] = float(v);
            total += v;
        }
        if (total <= 0.0) {  // centre outside the source: take the nearest pixel
            lo = std::clamp(int32_t(std::lround(centre)), 0, srcSize - 1);
            hi = lo;
            w[0] = 1.0f;
            total = 1.0;
        }
        for (int32_t s = 0; s <= hi - lo; ++s) w[s] = float(w[s] / total);
        c.first[size_t(i)] = lo;
        c.count[size_t(i)] = hi - lo + 1;
    }
    return c;
}

inline uint8_t ToByte(float v) { return uint8_t(std::clamp(int(v + 0.5f), 0, 255)); }

}  // namespace

Rgb32Image ResizeRgb32(const Rgb32Image& src, int32_t width, int32_t height) {
    Rgb32Image out;
    if (src.Empty() || src.pixels.size() < size_t(src.width) * size_t(src.height)) return out;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return out;
    if (uint64_t(width) * uint64_t(height) > kMaxPixels) return out;

    const Contributions cx = MakeContributions(src.width, width);
    const Contributions cy = MakeContributions(src.height, height);

    // Horizontal pass into floating-point rows, then the vertical pass.
    std::vector<float> mid(size_t(width) * size_t(src.height) * 3);
    for (int32_t y = 0; y < src.height; ++y) {
        const uint32_t* row = src.Row(y);
        float* dst = &mid[size_t(y) * size_t(width) * 3];
        for (int32_t x = 0; x < width; ++x) {
            const float* w = &cx.weights[size_t(x) * size_t(cx.stride)];
            const uint32_t* s = row + cx.first[size_t(x)];
            float r = 0, g = 0, b = 0;
            for (int32_t k = 0; k < cx.count[size_t(x)]; ++k) {
                r += w[k] * float((s[k] >> 16) & 0xFF);
                g += w[k] * float((s[k] >> 8) & 0xFF);
                b += w[k] * float(s[k] & 0xFF);
            }
            dst[3 * x] = r;
            dst[3 * x + 1] = g;
            dst[3 * x + 2] = b;
        }
    }
    out.width = width;
    out.height = height;
    out.pixels.resize(size_t(width) * size_t(height));
    std::vector<float> acc(size_t(width) * 3);
    for (int32_t y = 0; y < height; ++y) {
        std::fill(acc.begin(), acc.end(), 0.0f);
        const float* w = &cy.weights[size_t(y) * size_t(cy.stride)];
        for (int32_t k = 0; k < cy.count[size_t(y)]; ++k) {
            const float* s = &mid[size_t(cy.first[size_t(y)] + k) * size_t(width) * 3];
            const float wk = w[k];
            for (size_t i = 0; i < acc.size(); ++i) acc[i] += wk * s[i];
        }
        uint32_t* row = out.Row(y);
        for (int32_t x = 0; x < width; ++x) {
            row[x] = PackRgb(ToByte(acc[3 * x]), ToByte(acc[3 * x + 1]), ToByte(acc[3 * x + 2]));
        }
    }
    return out;
}

PictureBlock ResizePicture(const PictureBlock& source, int32_t width, int32_t height) {
    Rgb32Image rgb;
    if (!ConvertToRgb32(source, rgb)) return {};
    Rgb32Image resized = ResizeRgb32(rgb, width, height);
    if (resized.Empty()) return {};
    return BlockFromRgb32(resized);
}

}  // namespace imaging
