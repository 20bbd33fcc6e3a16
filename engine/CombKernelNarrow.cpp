#include "engine/CombKernel.h"

void combKernelNarrow(LoopVariant variant, CombLanes& lanes, ChunkSignals& signals, const TensionRates& tension,
                      int32_t frames)
{
    combkernel::run<4>(variant, lanes, signals, tension, frames);
}

KernelWidth widestKernelWidth()
{
#if defined(__x86_64__) || defined(__i386__)
    // The checks include the operating system's support for the wider registers.
    if (__builtin_cpu_supports("avx512f"))
        return kSixteenLanes;
    if (__builtin_cpu_supports("avx2"))
        return kEightLanes;
#endif
    return kFourLanes;
}
