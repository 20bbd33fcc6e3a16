// Built with FMA code generation (128-bit, as the wider kernels round); called
// only when the CPU has it.
#include "engine/CombKernel.h"

void combKernelNarrowFused(LoopVariant variant, CombLanes& lanes, ChunkSignals& signals, const TensionRates& tension,
                           int32_t frames)
{
    combkernel::run<4>(variant, lanes, signals, tension, frames);
}
