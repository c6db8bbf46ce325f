#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace imaging {

// Writes `size` bytes to `path` through a temporary file in the same folder
// that is synced and renamed over the target, so a failure leaves an older
// file whole. A replaced file keeps its permission bits. True on success.
bool WriteFileAtomically(const std::string& path, const uint8_t* data, size_t size);

// Reads a whole regular file of at most `maxBytes` bytes. False when it cannot
// be read or is larger.
bool ReadWholeFile(const std::string& path, size_t maxBytes, std::string& out);

}  // namespace imaging
