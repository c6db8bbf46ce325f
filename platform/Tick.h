#pragma once
#include <cstdint>

namespace platform {

// Milliseconds since an arbitrary start, from the monotonic clock, as a 32-bit
// count that wraps around like the Windows tick count. Compare ticks by
// subtraction (uint32_t arithmetic) so the wrap does no harm.
uint32_t GetTickCount();

// Milliseconds elapsed since `start`, correct across one wrap of the counter.
inline uint32_t TicksSince(uint32_t start) { return GetTickCount() - start; }

}  // namespace platform
