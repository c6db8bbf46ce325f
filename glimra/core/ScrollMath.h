#pragma once
#include <cstdint>

namespace glimra {

// Scroll requests from the frame's scroll bars.
enum class ScrollCode { kLineUp, kLineDown, kPageUp, kPageDown, kThumbPosition, kOther };

constexpr int32_t kScrollLine = 5;
constexpr int32_t kScrollPage = 50;

// The scroll range's upper end: the picture at display scale minus the view;
// never below 0, so a picture that fits is never pushed off its corner.
int32_t ScrollMaximum(int32_t displaySize, int32_t clientSize);

// The new position for a scroll request at `current` in 0..max: a line is 5,
// a page 50, both stopping at the ends; a released thumb at `thumb` goes
// there, or to max when it lies beyond max (compared as unsigned numbers, so
// a negative thumb position also means max). False for other requests,
// which leave the position alone.
bool ScrollTarget(ScrollCode code, int32_t current, int32_t max, int32_t thumb, int32_t& target);

// The frame fitting of a draw, in window-system numbers. Sizes of the frame
// include its border; the client is the picture view's area.
struct FrameGeometry {
    int32_t frameLeft = 0, frameTop = 0;     // frame's outer top-left on the desktop
    int32_t frameWidth = 0, frameHeight = 0; // frame's outer size
    int32_t clientWidth = 0, clientHeight = 0;
    int32_t desktopWidth = 0, desktopHeight = 0;
};

// The client size the frame is to get for a w x h picture: w, unless the
// frame would then reach the desktop's right edge, in which case the client
// ends at that edge; the height likewise.
void FitClientSize(const FrameGeometry& g, int32_t w, int32_t h, int32_t& clientWidth, int32_t& clientHeight);

// The scroll-bar decision once the frame has its size: with the picture
// larger than the view both ways, both bars show and nothing else changes;
// otherwise a bar shows where the picture is larger, and in the other
// direction the bar hides and the frame is sized to the picture.
struct BarLayout {
    bool horizontal = false;
    bool vertical = false;
    bool resizeFrame = false;
    int32_t frameWidth = 0;  // outer size to set when resizeFrame
    int32_t frameHeight = 0;
};
BarLayout LayoutBars(const FrameGeometry& g, int32_t w, int32_t h);

}  // namespace glimra
