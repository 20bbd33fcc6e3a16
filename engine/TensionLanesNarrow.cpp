#include "engine/TensionLaneKernel.h"

// Two lanes per step: SSE2 compares and selects doubles two at a time, and
// wider vectors of doubles would fall back to one lane at a time.
bool moveTensionLanesNarrow(CombLanes& lanes, TensionLanes& t, int32_t count, float depth)
{
    return tensionlanes::moveLanes<2>(lanes, t, count, depth);
}
