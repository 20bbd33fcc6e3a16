// Built with AVX-512 code generation; called only when the CPU has it.
#include "engine/CombKernel.h"

void combKernelWidest(LoopVariant variant, CombLanes& lanes, ChunkSignals& signals, const TensionRates& tension,
                      int32_t frames)
{
    combkernel::run<16>(variant, lanes, signals, tension, frames);
}
