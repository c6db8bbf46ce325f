// The fixed-point filter table of one axis: for every phase, 15 weights in
// 1/32768 units of a 15-tap windowed sinc. Each phase row holds 16 entries,
// the last one 0, so that vector code can read whole rows.
#pragma once

#include "Buffer.h"

#include <cstdint>

namespace ostra {

class FilterTable {
public:
    static constexpr int kTaps = 15;
    static constexpr int kStride = 16;

    // Divides both sizes by the primes 2..29 while both are divisible; the
    // rest of target is the number of phases.
    static int ReducePhases(int source, int target);

    // Bytes the table needs for the given phase count.
    static uint64_t BytesFor(int phases);

    // Builds the table for resampling source samples to target samples.
    // Returns the number of phases, 0 when the table could not be allocated.
    int Build(int source, int target);
    void Release();

    int phases() const { return phases_; }
    const int32_t* Taps(int phase) const { return taps_ + size_t(phase) * kStride; }
    // The same weights as 16-bit values, 32-byte aligned rows.
    const int16_t* PackedTaps(int phase) const { return packed_ + size_t(phase) * kStride; }
    // False if some weight does not fit 16 bits (then only the 32-bit
    // weights may be used).
    bool fitsInt16() const { return fitsInt16_; }

private:
    Buffer memory_;
    int32_t* taps_ = nullptr;
    int16_t* packed_ = nullptr;
    int phases_ = 0;
    bool fitsInt16_ = false;
};

}  // namespace ostra
