// Built with -ffp-contract=off and without builtin sin/cos: the weights must
// come out of plain IEEE double arithmetic in the order written, so that the
// results are the same to the bit on every build.
#include "FilterTable.h"

#include <cmath>

namespace ostra {

int FilterTable::ReducePhases(int source, int target)
{
    static const int kPrimes[] = {2, 3, 5, 7, 11, 13, 17, 19, 23, 29};
    for (int prime : kPrimes) {
        while (source % prime == 0 && target % prime == 0) {
            source /= prime;
            target /= prime;
        }
    }
    return target;
}

uint64_t FilterTable::BytesFor(int phases)
{
    return uint64_t(phases) * kStride * (sizeof(int32_t) + sizeof(int16_t));
}

int FilterTable::Build(int source, int target)
{
    Release();
    const int phases = ReducePhases(source, target);
    const size_t entries = size_t(phases) * kStride;
    if (!memory_.Allocate(entries * (sizeof(int32_t) + sizeof(int16_t)))) {
        return 0;
    }
    taps_ = reinterpret_cast<int32_t*>(memory_.data());
    packed_ = reinterpret_cast<int16_t*>(memory_.data() + entries * sizeof(int32_t));
    fitsInt16_ = true;

    const double ratio = double(source) / double(target);
    const int half = kTaps / 2;
    for (int p = 0; p < phases; ++p) {
        const double pos = p * ratio;
        const double whole = std::trunc(pos);
        const double frac = ratio > 1 ? (pos - whole) / ratio : pos - whole;
        double k[kTaps];
        for (int i = 0; i <= 2 * half; ++i) {
            const double x = i - half;
            const double window = 0.54 + 0.46 * std::cos(x * 3.141593 / half);
            const double scaled = ratio > 1 ? x / ratio * 0.95 : x;
            const double a = (scaled - frac) * 3.141593;
            k[i] = a == 0 ? 1.0 : std::sin(a) / a * window;
        }
        double sum = 0;
        for (int i = 0; i < kTaps; ++i) {
            sum += k[i];
        }
        int32_t* row = taps_ + size_t(p) * kStride;
        int16_t* packedRow = packed_ + size_t(p) * kStride;
        for (int i = 0; i < kTaps; ++i) {
            const double c = k[i] / sum;
            // The fraction is dropped toward zero; values far outside the
            // int range cannot occur for a normalised kernel, but are held
            // at its ends rather than left undefined.
            int32_t value;
            if (c >= 1.0) {
                value = 32767;
            } else if (!(c * 32768 > -2147483648.0)) {
                value = INT32_MIN;
            } else {
                value = int32_t(c * 32768);
            }
            row[i] = value;
            if (value < INT16_MIN) {
                fitsInt16_ = false;
            }
            packedRow[i] = int16_t(value < INT16_MIN ? INT16_MIN : value);
        }
        row[kTaps] = 0;
        packedRow[kTaps] = 0;
    }
    phases_ = phases;
    return phases;
}

void FilterTable::Release()
{
    memory_.Release();
    taps_ = nullptr;
    packed_ = nullptr;
    phases_ = 0;
    fitsInt16_ = false;
}

}  // namespace ostra
