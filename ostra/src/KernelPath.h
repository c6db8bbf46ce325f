// Which set of row loops the library runs: AVX2 when the processor has it,
// else SSE2, else the scalar loops. All give the same bytes.
#pragma once

#include "RowKernels.h"

namespace ostra {

enum class KernelPath { Scalar, Sse2, Avx2 };

bool KernelPathAvailable(KernelPath path);
// The fastest path this processor can run.
KernelPath BestKernelPath();
// The loops of an available path.
const RowKernels& KernelsFor(KernelPath path);

}  // namespace ostra
