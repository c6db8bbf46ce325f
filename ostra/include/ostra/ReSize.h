// Public interface of libostra: resamples a device-independent bitmap with a
// 15-tap windowed-sinc filter and returns 24-bit pixels.
#pragma once

#include <stdint.h>

#if defined(OSTRA_BUILDING_LIBRARY)
#define OSTRA_EXPORT __attribute__((visibility("default")))
#else
#define OSTRA_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

// info: the 40-byte bitmap information header, followed by the colour table
//       for 1, 4 and 8 bits per pixel. Rewritten on success (new width and
//       height, image size 0; for palette input also 24 bits per pixel and
//       compression, colours used and important colours 0); left unchanged
//       on failure.
// bits: the pixel rows, each padded to a multiple of 4 bytes.
// Returns the new 24-bit rows (blue, green, red, each row padded to 4 bytes),
// owned by the library and valid until the next call or until the library is
// unloaded (it may be passed back in as the bits of the next call); NULL on
// failure, after one line with the reason on stderr, and then the previous
// result is released as well.
// Not re-entrant: calls must not overlap.
OSTRA_EXPORT uint8_t* ReSize(void* info, const void* bits, int32_t newWidth, int32_t newHeight);

#ifdef __cplusplus
}
#endif
