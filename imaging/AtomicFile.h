#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/AtomicFile.h"

namespace imaging {

// Forwarders to platform::AtomicFile for callers not yet moved over.

inline bool WriteFileAtomically(const std::string& path, const uint8_t* data, size_t size) {
    return platform::AtomicFile::Replace(path, data, size);
}

inline bool ReadWholeFile(const std::string& path, size_t maxBytes, std::string& out) {
    return platform::AtomicFile::Read(path, out, maxBytes) == platform::AtomicFile::ReadResult::Ok;
}

}  // namespace imaging
