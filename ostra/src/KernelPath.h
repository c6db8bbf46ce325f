// Which set of row loops the library runs: the scalar one, or the AVX2 one
// when the processor has AVX2.
#pragma once

#include "RowKernels.h"

namespace ostra {

enum class KernelPath { Scalar, Avx2 };

bool KernelPathAvailable(KernelPath path);
// The fastest path this processor can run.
KernelPath BestKernelPath();
// The loops of an available path.
const RowKernels& KernelsFor(KernelPath path);

}  // namespace ostra
