#pragma once
#include <cstdint>

namespace rolla {

// Show modes of the slide show.
enum ShowMode : int16_t { kActualSize = 0, kFitToScreen = 1 };

// Where a w x h picture is drawn on a cw x ch screen.
struct Placement {
    bool draw = false;  // false: the mode draws nothing
    int32_t x = 0, y = 0, width = 0, height = 0;
};

// Mode 0: unscaled and centred (divisions rounding toward zero), cut at the
// screen's edges when larger. Mode 1: as large as fits, keeping the
// proportions: the whole screen when both ratios are equal, else centred
// across the side that has room, sizes rounded half away from zero.
Placement PlacePicture(int16_t mode, int32_t w, int32_t h, int32_t cw, int32_t ch);

}  // namespace rolla
