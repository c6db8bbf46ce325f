#pragma once
#include <cstdint>

#include "imaging/PictureBlock.h"
#include "imaging/Rgb32Image.h"

namespace imaging {

// General picture resampling to any size with a separable triangle filter
// whose support widens when shrinking, so every source pixel is weighed in
// (no aliasing when a picture is made much smaller) and enlargements are
// smoothly interpolated.

// Resizes 32-bit pixels; empty result for a size outside 1..kMaxSide or
// beyond kMaxPixels, or an empty source.
Rgb32Image ResizeRgb32(const Rgb32Image& source, int32_t width, int32_t height);

// Resizes any valid picture block; the result is a bottom-up 24-bit block.
// Empty on failure.
PictureBlock ResizePicture(const PictureBlock& source, int32_t width, int32_t height);

}  // namespace imaging
