#pragma once
#include <cstdint>

namespace imaging {

// Scales a picture into a box, keeping its proportions, centred on white.
// Source rows are srcW * bpp bytes padded to a multiple of 4; destination rows
// are boxW * bpp bytes without padding, counted in memory order. The scale is
// the smaller of boxW / srcW and boxH / srcH; rows and pixels are repeated or
// dropped by an accumulating step (no filtering), as the transfer to a
// device expects. The destination must hold boxW * boxH * bpp bytes, the
// source its padded rows; nothing is written outside the box.
void FitIntoBox(uint8_t* destination, const uint8_t* source, int32_t boxW, int32_t boxH, int32_t srcW, int32_t srcH,
                int bpp);

// Scales one row into a destination row of boxW pixels, centred: the first
// pixel written is (boxW - round(scale * srcW)) / 2.
void ScaleRow(uint8_t* destination, const uint8_t* source, int32_t boxW, int32_t srcW, int bpp, double scale);

}  // namespace imaging
