#include "rolla/core/SlidePlacement.h"

#include <cmath>

namespace rolla {

Placement PlacePicture(int16_t mode, int32_t w, int32_t h, int32_t cw, int32_t ch) {
    Placement p;
    if (w <= 0 || h <= 0 || cw <= 0 || ch <= 0) return p;
    if (mode == kActualSize) {
        p.draw = true;
        p.x = (cw - w) / 2;
        p.y = (ch - h) / 2;
        p.width = w;
        p.height = h;
        return p;
    }
    if (mode != kFitToScreen) return p;
    const double rw = double(cw) / double(w);
    const double rh = double(ch) / double(h);
    p.draw = true;
    if (rw == rh) {
        p.width = cw;
        p.height = ch;
    } else if (rh < rw) {
        p.width = int32_t(std::round(w * rh));
        p.height = int32_t(std::round(h * rh));
        p.x = (cw - p.width) / 2;
    } else {
        p.width = cw;
        p.height = int32_t(std::round(h * rw));
        p.y = (ch - p.height) / 2;
    }
    return p;
}

}  // namespace rolla
