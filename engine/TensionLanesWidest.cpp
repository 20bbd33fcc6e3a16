// Built with AVX-512 code generation; called only when the CPU has it.
#include "engine/TensionLaneKernel.h"

bool moveTensionLanesWidest(CombLanes& lanes, TensionLanes& t, int32_t count, float depth)
{
    return tensionlanes::moveLanes<16>(lanes, t, count, depth);
}
