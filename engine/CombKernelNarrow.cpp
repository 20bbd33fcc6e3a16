#include "engine/CombKernel.h"

#include <atomic>

namespace {

bool cpuRunsFma()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();  // this runs among the static constructors
    // The checks include the operating system's support for the wider registers.
    return __builtin_cpu_supports("avx") && __builtin_cpu_supports("fma");
#else
    return false;
#endif
}

const bool kCpuRunsFma = cpuRunsFma();
std::atomic<bool> narrowKernelFused{kCpuRunsFma};

}  // namespace

void combKernelNarrowPlain(LoopVariant variant, CombLanes& lanes, ChunkSignals& signals, const TensionRates& tension,
                           int32_t frames)
{
    combkernel::run<4>(variant, lanes, signals, tension, frames);
}

void combKernelNarrow(LoopVariant variant, CombLanes& lanes, ChunkSignals& signals, const TensionRates& tension,
                      int32_t frames)
{
    if (narrowKernelFused.load(std::memory_order_relaxed))
        combKernelNarrowFused(variant, lanes, signals, tension, frames);
    else
        combKernelNarrowPlain(variant, lanes, signals, tension, frames);
}

bool useFmaInNarrowKernel(bool fused)
{
    narrowKernelFused.store(fused && kCpuRunsFma, std::memory_order_relaxed);
    return fused && kCpuRunsFma;
}

KernelWidth widestKernelWidth()
{
#if defined(__x86_64__) || defined(__i386__)
    if (__builtin_cpu_supports("avx512f") && kCpuRunsFma)
        return kSixteenLanes;
    if (__builtin_cpu_supports("avx2") && kCpuRunsFma)
        return kEightLanes;
#endif
    return kFourLanes;
}
