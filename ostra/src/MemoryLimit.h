// How much memory one call may ask for: what the machine holds, and, for a
// large call, what is free for it right now. The system hands out address
// space it may not be able to back later, so a request that would exhaust
// memory is refused up front rather than left to fail while it is in use.
#pragma once

#include <cstdint>
#include <string_view>

namespace ostra {

class MemoryLimit {
public:
    // True when a call holding this many bytes at once can be served.
    static bool Fits(uint64_t bytes);

    // The memory available to a new request, in bytes, from the text of
    // /proc/meminfo (available memory plus free swap); 0 when the text does
    // not say.
    static uint64_t AvailableFromMeminfo(std::string_view text);
};

}  // namespace ostra
