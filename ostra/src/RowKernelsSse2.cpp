// SSE2 versions of the row loops, for x86-64 processors without AVX2. SSE2
// has no byte shuffle, so the split into planes stays scalar.
#include "RowKernels.h"

#if defined(__x86_64__) || defined(__i386__)

#include <emmintrin.h>

#define OSTRA_SSE2 __attribute__((target("sse2")))

namespace ostra {
namespace {

// 16 output bytes of the vertical pass; pairs as in the AVX2 version.
OSTRA_SSE2 inline __m128i VerticalChunk(const uint8_t* const* rows, const __m128i* pairs, size_t x)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i acc0 = zero;
    __m128i acc1 = zero;
    __m128i acc2 = zero;
    __m128i acc3 = zero;
#pragma GCC unroll 8
    for (int m = 0; m < 8; ++m) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[2 * m] + x));
        const __m128i b = m < 7 ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[2 * m + 1] + x)) : zero;
        const __m128i lo = _mm_unpacklo_epi8(a, b);
        const __m128i hi = _mm_unpackhi_epi8(a, b);
        acc0 = _mm_add_epi32(acc0, _mm_madd_epi16(_mm_unpacklo_epi8(lo, zero), pairs[m]));
        acc1 = _mm_add_epi32(acc1, _mm_madd_epi16(_mm_unpackhi_epi8(lo, zero), pairs[m]));
        acc2 = _mm_add_epi32(acc2, _mm_madd_epi16(_mm_unpacklo_epi8(hi, zero), pairs[m]));
        acc3 = _mm_add_epi32(acc3, _mm_madd_epi16(_mm_unpackhi_epi8(hi, zero), pairs[m]));
    }
    const __m128i round = _mm_set1_epi32(16384);
    acc0 = _mm_srai_epi32(_mm_add_epi32(acc0, round), 15);
    acc1 = _mm_srai_epi32(_mm_add_epi32(acc1, round), 15);
    acc2 = _mm_srai_epi32(_mm_add_epi32(acc2, round), 15);
    acc3 = _mm_srai_epi32(_mm_add_epi32(acc3, round), 15);
    return _mm_packus_epi16(_mm_packs_epi32(acc0, acc1), _mm_packs_epi32(acc2, acc3));
}

OSTRA_SSE2 void VerticalSse2(const uint8_t* const* rows, const FilterTable& table, int phase, uint8_t* out, size_t count)
{
    if (!table.fitsInt16() || count < 16) {
        ScalarKernels().vertical(rows, table, phase, out, count);
        return;
    }
    const int16_t* taps = table.PackedTaps(phase);
    __m128i pairs[8];
    for (int m = 0; m < 8; ++m) {
        const uint32_t pair = uint32_t(uint16_t(taps[2 * m])) | uint32_t(uint16_t(taps[2 * m + 1])) << 16;
        pairs[m] = _mm_set1_epi32(int32_t(pair));
    }
    size_t x = 0;
    for (; x + 16 <= count; x += 16) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), VerticalChunk(rows, pairs, x));
    }
    if (x < count) {
        x = count - 16;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), VerticalChunk(rows, pairs, x));
    }
}

// Weighted sum of one pixel's 16 samples: four partial sums.
OSTRA_SSE2 inline __m128i PixelProducts(const uint16_t* plane, const ColumnStep& column, const FilterTable& table)
{
    const uint16_t* src = plane + column.base;
    const int16_t* taps = table.PackedTaps(column.phase);
    const __m128i lo = _mm_madd_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src)),
                                      _mm_load_si128(reinterpret_cast<const __m128i*>(taps)));
    const __m128i hi = _mm_madd_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 8)),
                                      _mm_load_si128(reinterpret_cast<const __m128i*>(taps + 8)));
    return _mm_add_epi32(lo, hi);
}

// Sums of 4 vectors of 4 lanes each, as one vector in the order v0..v3.
OSTRA_SSE2 inline __m128i SumLanes(__m128i v0, __m128i v1, __m128i v2, __m128i v3)
{
    const __m128i s01 = _mm_add_epi32(_mm_unpacklo_epi32(v0, v1), _mm_unpackhi_epi32(v0, v1));
    const __m128i s23 = _mm_add_epi32(_mm_unpacklo_epi32(v2, v3), _mm_unpackhi_epi32(v2, v3));
    return _mm_add_epi32(_mm_unpacklo_epi64(s01, s23), _mm_unpackhi_epi64(s01, s23));
}

// Four output pixels from the given columns.
OSTRA_SSE2 inline void HorizontalGroup(const uint16_t* const* planes, const FilterTable& table,
                                       const ColumnStep* columns, uint8_t* out)
{
    const __m128i round = _mm_set1_epi32(16384);
    __m128i sums[3];
    for (int channel = 0; channel < 3; ++channel) {
        const uint16_t* plane = planes[channel];
        const __m128i s = SumLanes(PixelProducts(plane, columns[0], table), PixelProducts(plane, columns[1], table),
                                   PixelProducts(plane, columns[2], table), PixelProducts(plane, columns[3], table));
        sums[channel] = _mm_srai_epi32(_mm_add_epi32(s, round), 15);
    }
    // B0..B3 G0..G3 R0..R3, each clamped to a byte.
    alignas(16) uint8_t bytes[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(bytes),
                    _mm_packus_epi16(_mm_packs_epi32(sums[0], sums[1]), _mm_packs_epi32(sums[2], _mm_setzero_si128())));
    for (int j = 0; j < 4; ++j) {
        out[3 * j] = bytes[j];
        out[3 * j + 1] = bytes[4 + j];
        out[3 * j + 2] = bytes[8 + j];
    }
}

OSTRA_SSE2 void HorizontalSse2(const uint16_t* const* planes, const HorizontalPlan& plan, uint8_t* out)
{
    const FilterTable& table = *plan.taps;
    if (!table.fitsInt16() || plan.newWidth < 4) {
        ScalarKernels().horizontal(planes, plan, out);
        return;
    }
    int c = 0;
    for (; c + 4 <= plan.newWidth; c += 4) {
        HorizontalGroup(planes, table, plan.columns + c, out + 3 * size_t(c));
    }
    if (c < plan.newWidth) {
        c = plan.newWidth - 4;
        HorizontalGroup(planes, table, plan.columns + c, out + 3 * size_t(c));
    }
}

}  // namespace

const RowKernels* Sse2Kernels()
{
    static const RowKernels kernels = {VerticalSse2, ScalarKernels().split, HorizontalSse2};
    return &kernels;
}

}  // namespace ostra

#else

namespace ostra {

const RowKernels* Sse2Kernels()
{
    return nullptr;
}

}  // namespace ostra

#endif
