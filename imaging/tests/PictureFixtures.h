#pragma once
#include <algorithm>
#include <cstdint>
#include <vector>

#include "imaging/BitmapFile.h"
#include "imaging/PictureBlock.h"
#include "imaging/Rgb32Image.h"

// Pictures made by the tests: a distinct colour per pixel so that every
// turn, cut and copy can be checked pixel by pixel.
inline uint32_t PatternColour(int32_t x, int32_t y) {
    return imaging::PackRgb(uint8_t(x * 37 + y * 11), uint8_t(x * 5 + y * 29), uint8_t(200 - x - y));
}

inline imaging::Rgb32Image PatternImage(int32_t w, int32_t h) {
    imaging::Rgb32Image img;
    img.width = w;
    img.height = h;
    img.pixels.resize(size_t(w) * size_t(h));
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) img.Row(y)[x] = PatternColour(x, y);
    return img;
}

// Large flat areas (quarters of colour) so that a JPEG keeps them within a
// small error.
inline imaging::Rgb32Image QuarterImage(int32_t w, int32_t h) {
    imaging::Rgb32Image img;
    img.width = w;
    img.height = h;
    img.pixels.resize(size_t(w) * size_t(h));
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            bool right = x >= w / 2, bottom = y >= h / 2;
            uint32_t c = !right && !bottom ? imaging::PackRgb(220, 30, 30)
                         : right && !bottom ? imaging::PackRgb(30, 220, 30)
                         : !right           ? imaging::PackRgb(30, 30, 220)
                                            : imaging::PackRgb(230, 230, 230);
            img.Row(y)[x] = c;
        }
    return img;
}

inline int ChannelDiff(uint32_t a, uint32_t b) {
    int d = 0;
    for (int s = 0; s < 24; s += 8) {
        int da = int((a >> s) & 0xFF) - int((b >> s) & 0xFF);
        d = std::max(d, da < 0 ? -da : da);
    }
    return d;
}
