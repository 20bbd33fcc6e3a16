// Built with AVX2 code generation; called only when the CPU has it.
#include "engine/CombKernel.h"

void combKernelWide(LoopVariant variant, CombLanes& lanes, ChunkSignals& signals, const TensionRates& tension,
                    int32_t frames)
{
    combkernel::run<8>(variant, lanes, signals, tension, frames);
}
