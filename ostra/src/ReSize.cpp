#include "ostra/ReSize.h"

#include "OstraInternal.h"

namespace ostra {
namespace {

// Built when the library is loaded (so the error texts follow the locale of
// that moment) and destroyed when it is unloaded, releasing the last result.
ResizeEngine g_engine;

}  // namespace

ResizeEngine& TheEngine()
{
    return g_engine;
}

}  // namespace ostra

extern "C" uint8_t* ReSize(void* info, const void* bits, int32_t newWidth, int32_t newHeight)
{
    return ostra::g_engine.ReSize(info, bits, newWidth, newHeight);
}
