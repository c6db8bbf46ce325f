#include "RowKernels.h"

namespace ostra {
namespace {

// With 16-bit weights the sums fit 32 bits (15 × 32768 × 255); other tables
// take 64-bit sums.
template <typename Sum>
void VerticalLoop(const uint8_t* const* rows, const int32_t* taps, uint8_t* out, size_t count)
{
    for (size_t x = 0; x < count; ++x) {
        Sum s = 0;
        for (int k = 0; k < FilterTable::kTaps; ++k) {
            s += Sum(taps[k]) * rows[k][x];
        }
        out[x] = SumToByte(s);
    }
}

void VerticalScalar(const uint8_t* const* rows, const FilterTable& table, int phase, uint8_t* out, size_t count)
{
    if (table.fitsInt16()) {
        VerticalLoop<int32_t>(rows, table.Taps(phase), out, count);
    } else {
        VerticalLoop<int64_t>(rows, table.Taps(phase), out, count);
    }
}

void SplitScalar(const uint8_t* in, uint16_t* blue, uint16_t* green, uint16_t* red, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        blue[i] = in[3 * i];
        green[i] = in[3 * i + 1];
        red[i] = in[3 * i + 2];
    }
}

template <typename Sum>
void HorizontalLoop(const uint16_t* const* planes, const HorizontalPlan& plan, uint8_t* out)
{
    const FilterTable& table = *plan.taps;
    for (int c = 0; c < plan.newWidth; ++c) {
        const ColumnStep step = plan.columns[c];
        const int32_t* taps = table.Taps(step.phase);
        for (int channel = 0; channel < 3; ++channel) {
            const uint16_t* src = planes[channel] + step.base;
            Sum s = 0;
            for (int k = 0; k < FilterTable::kTaps; ++k) {
                s += Sum(taps[k]) * src[k];
            }
            out[3 * size_t(c) + channel] = SumToByte(s);
        }
    }
}

void HorizontalScalar(const uint16_t* const* planes, const HorizontalPlan& plan, uint8_t* out)
{
    if (plan.taps->fitsInt16()) {
        HorizontalLoop<int32_t>(planes, plan, out);
    } else {
        HorizontalLoop<int64_t>(planes, plan, out);
    }
}

const RowKernels kScalar = {VerticalScalar, SplitScalar, HorizontalScalar};

}  // namespace

const RowKernels& ScalarKernels()
{
    return kScalar;
}

}  // namespace ostra
