#include "engine/TensionLaneKernel.h"

void moveTensionLanesNarrow(CombLanes& lanes, TensionLanes& t, int32_t count, float depth)
{
    tensionlanes::moveLanes(lanes, t, count, depth);
}
