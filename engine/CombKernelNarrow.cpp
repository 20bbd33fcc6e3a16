#include "engine/CombKernel.h"

void combKernelNarrow(LoopVariant variant, CombLanes& lanes, ChunkSignals& signals, const TensionRates& tension,
                      int32_t frames)
{
    combkernel::run<4>(variant, lanes, signals, tension, frames);
}

bool cpuRunsWideKernel()
{
#if defined(__x86_64__) || defined(__i386__)
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}
