// Built with AVX2 code generation; called only when the CPU has it.
#include "engine/TensionLaneKernel.h"

bool moveTensionLanesWide(CombLanes& lanes, TensionLanes& t, int32_t count, float depth)
{
    return tensionlanes::moveLanes<8>(lanes, t, count, depth);
}
