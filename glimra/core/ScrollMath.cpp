#include "glimra/core/ScrollMath.h"

namespace glimra {

int32_t ScrollMaximum(int32_t displaySize, int32_t clientSize) {
    const int64_t max = int64_t(displaySize) - int64_t(clientSize);
    return max > 0 ? int32_t(max) : 0;
}

bool ScrollTarget(ScrollCode code, int32_t cur, int32_t max, int32_t thumb, int32_t& target) {
    switch (code) {
    case ScrollCode::kLineUp:
        target = cur > kScrollLine ? cur - kScrollLine : 0;
        return true;
    case ScrollCode::kLineDown:
        target = cur < max - kScrollLine ? cur + kScrollLine : max;
        return true;
    case ScrollCode::kPageUp:
        target = cur > kScrollPage ? cur - kScrollPage : 0;
        return true;
    case ScrollCode::kPageDown:
        target = cur < max - kScrollPage ? cur + kScrollPage : max;
        return true;
    case ScrollCode::kThumbPosition:
        target = uint32_t(thumb) > uint32_t(max) ? max : thumb;
        return true;
    default:
        return false;
    }
}

void FitClientSize(const FrameGeometry& g, int32_t w, int32_t h, int32_t& clientWidth, int32_t& clientHeight) {
    const int32_t nw = g.frameWidth - g.clientWidth;
    const int32_t nh = g.frameHeight - g.clientHeight;
    clientWidth = g.frameLeft + w < g.desktopWidth ? w : g.desktopWidth - g.frameLeft - nw;
    clientHeight = g.frameTop + h < g.desktopHeight ? h : g.desktopHeight - g.frameTop - nh;
    if (clientWidth < 0) clientWidth = 0;
    if (clientHeight < 0) clientHeight = 0;
}

BarLayout LayoutBars(const FrameGeometry& g, int32_t w, int32_t h) {
    BarLayout b;
    const int32_t cw = g.clientWidth, ch = g.clientHeight;
    if (cw < w && ch < h) {
        b.horizontal = b.vertical = true;
        return b;
    }
    b.resizeFrame = true;
    b.frameWidth = g.frameWidth;
    b.frameHeight = g.frameHeight;
    if (cw < w) {
        b.horizontal = true;
    } else {
        b.frameWidth = g.frameWidth - cw + w;
    }
    if (ch < h) {
        b.vertical = true;
    } else {
        b.frameHeight = g.frameHeight - ch + h;
    }
    return b;
}

}  // namespace glimra
