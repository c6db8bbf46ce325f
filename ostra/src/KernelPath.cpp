#include "KernelPath.h"

namespace ostra {

bool KernelPathAvailable(KernelPath path)
{
    switch (path) {
    case KernelPath::Scalar:
        return true;
    case KernelPath::Sse2:
#if defined(__x86_64__) || defined(__i386__)
        return Sse2Kernels() != nullptr && __builtin_cpu_supports("sse2");
#else
        return false;
#endif
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
    if (KernelPathAvailable(KernelPath::Avx2)) {
        return KernelPath::Avx2;
    }
    return KernelPathAvailable(KernelPath::Sse2) ? KernelPath::Sse2 : KernelPath::Scalar;
}

const RowKernels& KernelsFor(KernelPath path)
{
    if (path == KernelPath::Avx2 && KernelPathAvailable(path)) {
        return *Avx2Kernels();
    }
    if (path == KernelPath::Sse2 && KernelPathAvailable(path)) {
        return *Sse2Kernels();
    }
    return ScalarKernels();
}

}  // namespace ostra
