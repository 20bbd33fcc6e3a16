#include "engine/TensionLaneKernel.h"

void moveTensionLanesNarrow(CombLanes& lanes, TensionLanes& t, int32_t count, float depth)
{
    tensionlanes::moveLanes<4>(lanes, t, count, depth);
}
