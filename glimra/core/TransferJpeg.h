#pragma once
#include <cstddef>
#include <string>

namespace glimra {

// A picture sent to a device must be a JPEG file below this size.
constexpr size_t kTransferSizeLimit = 128000;

// Makes the JPEG that is sent to a device: the picture (a bitmap file of 8 or
// 24 bits without compression, or a JPEG) is fitted into a box of its width
// rounded down to a multiple of 4 and its own height, centred on white, and
// written to `tempPath` at quality 90, 85, ... 10 until the file is below
// kTransferSizeLimit bytes. When even quality 10 is too large the file is
// removed and the call still succeeds (the sender then reports its result).
// Returns 0 on success, non-zero when the picture cannot be prepared.
int PrepareTransferJpeg(const std::string& picturePath, const std::string& tempPath);

}  // namespace glimra
