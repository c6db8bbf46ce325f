#include "KernelPath.h"

namespace ostra {

bool KernelPathAvailable(KernelPath path)
{
    switch (path) {
    case KernelPath::Scalar:
        return true;
    case KernelPath::Avx2:
#if defined(__x86_64__) || defined(__i386__)
        return Avx2Kernels() != nullptr && __builtin_cpu_supports("avx2");
#else
        return false;
#endif
    }
    return false;
}

KernelPath BestKernelPath()
{
    return KernelPathAvailable(KernelPath::Avx2) ? KernelPath::Avx2 : KernelPath::Scalar;
}

const RowKernels& KernelsFor(KernelPath path)
{
    if (path == KernelPath::Avx2 && KernelPathAvailable(path)) {
        return *Avx2Kernels();
    }
    return ScalarKernels();
}

}  // namespace ostra
