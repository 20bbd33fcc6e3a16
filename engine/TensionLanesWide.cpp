// Built with AVX2 code generation; called only when the CPU has it.
#include "engine/TensionLaneKernel.h"

void moveTensionLanesWide(CombLanes& lanes, TensionLanes& t, int32_t count, float depth)
{
    tensionlanes::moveLanes<4>(lanes, t, count, depth);
}
