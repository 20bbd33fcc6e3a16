// The vector pass of the tension moves, W lanes per step. Every formula is
// the single-comb update's expansion path (LoopCompensation.h, LagrangeWeights.h,
// the clamp and read position of placeCombLoop), evaluated in float in the same
// order on vectors, so a lane lands on exactly the bits a comb moved on its own
// would. Compiled for SSE2, AVX2 and AVX-512: everything here has internal
// linkage, so no build's code can stand in for another's.
#pragma once

#include "engine/LaneVectors.h"
#include "engine/LoopCompensation.h"
#include "engine/TensionLanes.h"

namespace {
namespace tensionlanes {

using lanevectors::Lanes;
using lanevectors::load;
using lanevectors::store;

// Runs step.operator()<V>(first lane) over `count` lanes (a multiple of 8),
// W lanes at a time and the last eight alone when W is wider.
template <int W, typename Step>
inline void forEachGroup(int32_t count, Step&& step)
{
    int32_t g = 0;
    for (; g + W <= count; g += W)
        step.template operator()<W>(g);
    if constexpr (W > kLaneGroupWidth)
        for (; g < count; g += kLaneGroupWidth)
            step.template operator()<kLaneGroupWidth>(g);
}

// W floats per step: 4 fill an SSE2 register, 8 an AVX one, 16 an AVX-512 one.
template <int W>
inline bool moveLanes(CombLanes& lanes, TensionLanes& t, int32_t count, float depth)
{
    // First the scales asked for and the loops' frequencies, whose divisions
    // pipeline when nothing else waits on them in the same step.
    alignas(64) float loopPeriods[kCombCount];
    alignas(64) float frequencies[kCombCount];
    forEachGroup<W>(count, [&]<int V>(int32_t g) {
        typedef typename Lanes<V>::Floats Floats;
        const Floats follower = load<Floats>(lanes.follower + g);
        const Floats scale = 1.f - follower * load<Floats>(t.stiff + g) * depth;
        store(t.scale + g, scale);
        const Floats loopPeriod = scale * load<Floats>(t.period + g);
        store(loopPeriods + g, loopPeriod);
        store(frequencies + g, loopcompensation::loopFrequency<Floats, float>(loopPeriod));
    });
    bool anyAction = false;
    forEachGroup<W>(count, [&]<int V>(int32_t g) {
        typedef typename Lanes<V>::Floats Floats;
        typedef typename Lanes<V>::Ints Ints;
        // Whether the scale differs from the move in place.
        const Floats scale = load<Floats>(t.scale + g);
        const Floats moved = load<Floats>(t.movedScale + g);
        const Ints need = load<Ints>(t.moves + g) & (scale != moved);
        if (!lanevectors::anyLane(need)) {
            store(t.action + g, Ints{});
            return;
        }
        const Ints batched = need & load<Ints>(t.batchable + g) & loopcompensation::expandsScale(scale);
        const Ints alone = need & ~batched;

        // The compensation of the loop filters' phase delay, from the expansion.
        const Floats loopPeriod = load<Floats>(loopPeriods + g);
        const Floats filterDelay = loopcompensation::expandedFilterDelayAt<Floats, float>(
            load<Floats>(t.phase0 + g), load<Floats>(t.phase1 + g), load<Floats>(t.phase2 + g),
            load<Floats>(t.phaseAt + g), loopPeriod, load<Floats>(frequencies + g));
        Floats length, fraction, h[4];
        loopcompensation::splitLoop<Floats, float>(loopcompensation::lineShare<Floats, float>(loopPeriod, filterDelay),
                                                   length, fraction, h);

        // Longer than the line: the longest whole delay; the weights keep the asked fraction.
        const Ints tooLong = length >= static_cast<float>(kCombBufferSize);
        length = tooLong ? static_cast<float>(kCombBufferSize - 1) : length;
        fraction = tooLong ? 0.f : fraction;

        const Floats oldLength = load<Floats>(t.length + g);
        const Floats change = length - oldLength;  // whole numbers below 2^14: exact
        const Ints jumps = batched & ((change > 1.5f) | (change < -1.5f));

        const Ints write = load<Ints>(lanes.writeIndex + g);
        const Ints oldRead = load<Ints>(lanes.readIndex + g);
        const Ints newRead = (write - __builtin_convertvector(length, Ints)) & kCombBufferMask;

        store(t.length + g, batched ? length : oldLength);
        store(t.fraction + g, batched ? fraction : load<Floats>(t.fraction + g));
        store(t.filterDelay + g, batched ? filterDelay : load<Floats>(t.filterDelay + g));
        store(t.movedScale + g, batched ? scale : moved);
        store(t.dirty + g, load<Ints>(t.dirty + g) | batched);
        for (int k = 0; k < 4; ++k)
            store(lanes.weight[k] + g, batched ? h[k] : load<Floats>(lanes.weight[k] + g));
        store(t.oldRead + g, oldRead);
        store(lanes.readIndex + g, batched ? newRead : oldRead);
        const Ints action = (alone & int32_t{kTensionAlone}) | (jumps & int32_t{kTensionJumps});
        store(t.action + g, action);
        anyAction |= lanevectors::anyLane(action);
    });
    return anyAction;
}

}  // namespace tensionlanes
}  // namespace
