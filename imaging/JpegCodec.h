#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/PictureBlock.h"
#include "imaging/Rgb32Image.h"

namespace imaging {

// Largest JPEG file we read into memory.
constexpr size_t kMaxJpegFileBytes = size_t(256) << 20;

// JPEG decoding and encoding through TurboJPEG. Every call is independent and
// may run on any thread. A JPEG whose header declares a picture beyond
// kMaxSide / kMaxPixels fails without allocating for its declared size. A
// file the decoder cannot read through fails, and so does one cut off
// before its end-of-image marker; a decoder warning alone (extraneous bytes
// between segments, a damaged stretch it skipped) still gives the picture.

// Decodes to a 24-bit bottom-up picture block (40-byte header, no colour table).
bool DecodeJpeg(const uint8_t* data, size_t size, PictureBlock& out);
bool DecodeJpegFile(const std::string& path, PictureBlock& out);

// Decodes straight to 32-bit pixels for drawing.
bool DecodeJpegRgb32(const uint8_t* data, size_t size, Rgb32Image& out);
bool DecodeJpegFileRgb32(const std::string& path, Rgb32Image& out);

// True when JPEG data hold an end-of-image marker after the start of their
// picture data, that is, the file was not cut off.
bool JpegReachesEndMarker(const uint8_t* data, size_t size);

// Reads the picture size from the JPEG header only.
bool ReadJpegSize(const uint8_t* data, size_t size, int32_t& width, int32_t& height);

// Encodes any valid picture block (converted to 24 bits as needed) with a
// quality of 1..100 (clamped), 4:2:0 chroma subsampling.
bool EncodeJpeg(const PictureBlock& picture, int quality, std::vector<uint8_t>& out);
// The same, creating or replacing `path` through a temporary file.
bool EncodeJpegFile(const PictureBlock& picture, const std::string& path, int quality);

}  // namespace imaging
