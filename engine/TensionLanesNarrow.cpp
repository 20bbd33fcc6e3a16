#include "engine/TensionLaneKernel.h"

bool moveTensionLanesNarrow(CombLanes& lanes, TensionLanes& t, int32_t count, float depth)
{
    return tensionlanes::moveLanes<4>(lanes, t, count, depth);
}
