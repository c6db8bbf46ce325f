#pragma once
#include <string>

namespace imaging {

// Turning directions of FileRotation.
enum RotationMode : int {
    kRotateClockwise = 0,         // 90 degrees clockwise
    kRotateHalf = 1,              // 180 degrees
    kRotateCounterClockwise = 2,  // 90 degrees counter-clockwise
};

// Rewrites the picture file `source` turned by `mode` into `destination`
// (which may be the same path). The type is told by the file's contents:
// a JPEG is turned losslessly when its size is a whole number of coding
// blocks, otherwise it is decoded, turned and encoded again at quality 95;
// a bitmap file is turned pixel by pixel at its own depth. The result is
// written to a temporary file beside `destination` and renamed over it, so
// a failure leaves the file as it was. Returns non-zero on success, 0 on
// failure (unreadable, damaged or unknown file, unknown mode).
int FileRotation(const std::string& source, const std::string& destination, int mode);

}  // namespace imaging
