// AVX2 versions of the row loops. Every function carries the target
// attribute itself, so nothing here leaks AVX2 code into callers on older
// processors; the dispatcher only hands these out after asking the CPU.
#include "RowKernels.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#define OSTRA_AVX2 __attribute__((target("avx2")))

namespace ostra {
namespace {

// 32 output bytes of the vertical pass. pairs[m] holds the weights of rows
// 2m and 2m + 1 in the two halves of every 32-bit lane; row 15 does not
// exist and has weight 0.
OSTRA_AVX2 inline __m256i VerticalChunk(const uint8_t* const* rows, const __m256i* pairs, size_t x)
{
    const __m256i zero = _mm256_setzero_si256();
    __m256i acc0 = zero;
    __m256i acc1 = zero;
    __m256i acc2 = zero;
    __m256i acc3 = zero;
#pragma GCC unroll 8
    for (int m = 0; m < 8; ++m) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(rows[2 * m] + x));
        const __m256i b = m < 7 ? _mm256_loadu_si256(reinterpret_cast<const __m256i*>(rows[2 * m + 1] + x)) : zero;
        const __m256i lo = _mm256_unpacklo_epi8(a, b);
        const __m256i hi = _mm256_unpackhi_epi8(a, b);
        acc0 = _mm256_add_epi32(acc0, _mm256_madd_epi16(_mm256_unpacklo_epi8(lo, zero), pairs[m]));
        acc1 = _mm256_add_epi32(acc1, _mm256_madd_epi16(_mm256_unpackhi_epi8(lo, zero), pairs[m]));
        acc2 = _mm256_add_epi32(acc2, _mm256_madd_epi16(_mm256_unpacklo_epi8(hi, zero), pairs[m]));
        acc3 = _mm256_add_epi32(acc3, _mm256_madd_epi16(_mm256_unpackhi_epi8(hi, zero), pairs[m]));
    }
    // (s + 16384) >> 15, then saturation to 0..255 gives exactly the clamp
    // of the scalar code.
    const __m256i round = _mm256_set1_epi32(16384);
    acc0 = _mm256_srai_epi32(_mm256_add_epi32(acc0, round), 15);
    acc1 = _mm256_srai_epi32(_mm256_add_epi32(acc1, round), 15);
    acc2 = _mm256_srai_epi32(_mm256_add_epi32(acc2, round), 15);
    acc3 = _mm256_srai_epi32(_mm256_add_epi32(acc3, round), 15);
    return _mm256_packus_epi16(_mm256_packs_epi32(acc0, acc1), _mm256_packs_epi32(acc2, acc3));
}

OSTRA_AVX2 void VerticalAvx2(const uint8_t* const* rows, const FilterTable& table, int phase, uint8_t* out, size_t count)
{
    if (!table.fitsInt16() || count < 32) {
        ScalarKernels().vertical(rows, table, phase, out, count);
        return;
    }
    const int16_t* taps = table.PackedTaps(phase);
    __m256i pairs[8];
    for (int m = 0; m < 8; ++m) {
        const uint32_t pair = uint32_t(uint16_t(taps[2 * m])) | uint32_t(uint16_t(taps[2 * m + 1])) << 16;
        pairs[m] = _mm256_set1_epi32(int32_t(pair));
    }
    size_t x = 0;
    for (; x + 32 <= count; x += 32) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), VerticalChunk(rows, pairs, x));
    }
    if (x < count) {
        // The last chunk overlaps the one before; the bytes are the same.
        x = count - 32;
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), VerticalChunk(rows, pairs, x));
    }
}

struct SplitMasks {
    uint8_t bytes[3][3][16];  // [plane][input block][lane byte]
};

constexpr SplitMasks MakeSplitMasks()
{
    SplitMasks masks{};
    for (int plane = 0; plane < 3; ++plane) {
        for (int block = 0; block < 3; ++block) {
            for (int i = 0; i < 16; ++i) {
                const int from = 3 * i + plane - 16 * block;
                masks.bytes[plane][block][i] = from >= 0 && from < 16 ? uint8_t(from) : uint8_t(0x80);
            }
        }
    }
    return masks;
}

constexpr SplitMasks kSplitMasks = MakeSplitMasks();

OSTRA_AVX2 inline void SplitChunk(const uint8_t* in, uint16_t* const* planes, const __m128i (&masks)[3][3], size_t i)
{
    const uint8_t* src = in + 3 * i;
    const __m128i b0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
    const __m128i b1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 16));
    const __m128i b2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 32));
    for (int plane = 0; plane < 3; ++plane) {
        const __m128i v = _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(b0, masks[plane][0]), _mm_shuffle_epi8(b1, masks[plane][1])),
                                       _mm_shuffle_epi8(b2, masks[plane][2]));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(planes[plane] + i), _mm256_cvtepu8_epi16(v));
    }
}

OSTRA_AVX2 void SplitAvx2(const uint8_t* in, uint16_t* blue, uint16_t* green, uint16_t* red, size_t count)
{
    if (count < 16) {
        ScalarKernels().split(in, blue, green, red, count);
        return;
    }
    __m128i masks[3][3];
    for (int plane = 0; plane < 3; ++plane) {
        for (int block = 0; block < 3; ++block) {
            masks[plane][block] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kSplitMasks.bytes[plane][block]));
        }
    }
    uint16_t* const planes[3] = {blue, green, red};
    size_t i = 0;
    for (; i + 16 <= count; i += 16) {
        SplitChunk(in, planes, masks, i);
    }
    if (i < count) {
        SplitChunk(in, planes, masks, count - 16);
    }
}

// Sums of 8 vectors of 8 lanes each, as one vector in the order v0..v7.
OSTRA_AVX2 inline __m256i SumLanes(const __m256i (&v)[8])
{
    const __m256i h01 = _mm256_hadd_epi32(v[0], v[1]);
    const __m256i h23 = _mm256_hadd_epi32(v[2], v[3]);
    const __m256i h45 = _mm256_hadd_epi32(v[4], v[5]);
    const __m256i h67 = _mm256_hadd_epi32(v[6], v[7]);
    const __m256i a = _mm256_hadd_epi32(h01, h23);
    const __m256i b = _mm256_hadd_epi32(h45, h67);
    return _mm256_add_epi32(_mm256_permute2x128_si256(a, b, 0x20), _mm256_permute2x128_si256(a, b, 0x31));
}

// Eight output pixels from the given columns.
OSTRA_AVX2 inline void HorizontalGroup(const uint16_t* const* planes, const FilterTable& table,
                                       const ColumnStep* columns, uint8_t* out)
{
    int offsets[8];
    const __m256i* taps[8];
    for (int j = 0; j < 8; ++j) {
        offsets[j] = columns[j].base;
        taps[j] = reinterpret_cast<const __m256i*>(table.PackedTaps(columns[j].phase));
    }
    const __m256i round = _mm256_set1_epi32(16384);
    __m256i sums[3];
    for (int channel = 0; channel < 3; ++channel) {
        const uint16_t* plane = planes[channel];
        __m256i products[8];
#pragma GCC unroll 8
        for (int j = 0; j < 8; ++j) {
            const __m256i samples = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(plane + offsets[j]));
            products[j] = _mm256_madd_epi16(samples, _mm256_load_si256(taps[j]));
        }
        sums[channel] = _mm256_srai_epi32(_mm256_add_epi32(SumLanes(products), round), 15);
    }
    const __m256i blueGreen = _mm256_packs_epi32(sums[0], sums[1]);
    const __m256i redNone = _mm256_packs_epi32(sums[2], _mm256_setzero_si256());
    // Per 128-bit lane: B0..B3 G0..G3 R0..R3 0 0 0 0 for four pixels.
    const __m256i bytes = _mm256_packus_epi16(blueGreen, redNone);
    const __m256i order = _mm256_setr_epi8(0, 4, 8, 1, 5, 9, 2, 6, 10, 3, 7, 11, -1, -1, -1, -1,
                                           0, 4, 8, 1, 5, 9, 2, 6, 10, 3, 7, 11, -1, -1, -1, -1);
    const __m256i pixels = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(bytes, order),
                                                       _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(pixels));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 16), _mm256_extracti128_si256(pixels, 1));
}

OSTRA_AVX2 void HorizontalAvx2(const uint16_t* const* planes, const HorizontalPlan& plan, uint8_t* out)
{
    const FilterTable& table = *plan.taps;
    if (!table.fitsInt16() || plan.newWidth < 8) {
        ScalarKernels().horizontal(planes, plan, out);
        return;
    }
    int c = 0;
    for (; c + 8 <= plan.newWidth; c += 8) {
        HorizontalGroup(planes, table, plan.columns + c, out + 3 * size_t(c));
    }
    if (c < plan.newWidth) {
        // The last group overlaps the one before; the bytes are the same.
        c = plan.newWidth - 8;
        HorizontalGroup(planes, table, plan.columns + c, out + 3 * size_t(c));
    }
}

const RowKernels kAvx2 = {VerticalAvx2, SplitAvx2, HorizontalAvx2};

}  // namespace

const RowKernels* Avx2Kernels()
{
    return &kAvx2;
}

}  // namespace ostra

#else

namespace ostra {

const RowKernels* Avx2Kernels()
{
    return nullptr;
}

}  // namespace ostra

#endif
