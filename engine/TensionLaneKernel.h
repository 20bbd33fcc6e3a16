// The vector pass of the tension moves, W lanes per step. Every formula is
// the single-comb update's (LoopCompensation.h, LagrangeWeights.h, the clamp
// and read position of placeCombLoop), evaluated in the same order on vectors
// of floats and doubles, so a lane lands on exactly the bits a comb moved on
// its own would. Compiled for SSE2, AVX2 and AVX-512: everything here
// has internal linkage, so no build's code can stand in for another's.
#pragma once

#include "engine/LaneVectors.h"
#include "engine/LoopCompensation.h"
#include "engine/TensionLanes.h"

namespace {
namespace tensionlanes {

using lanevectors::Lanes;
using lanevectors::load;
using lanevectors::store;

// W lanes per step: 2 fill an SSE2 register of doubles, 4 an AVX one, 8 an AVX-512 one.
template <int W>
inline bool moveLanes(CombLanes& lanes, TensionLanes& t, int32_t count, float depth)
{
    typedef typename Lanes<W>::Floats Floats;
    typedef typename Lanes<W>::Ints Ints;
    typedef typename Lanes<W>::Doubles Doubles;
    typedef typename Lanes<W>::Longs Longs;
    const auto narrow = [](Longs mask) { return __builtin_convertvector(mask, Ints); };
    Ints actions{};
    // First the scales asked for and the loops' frequencies, whose divisions
    // pipeline when nothing else waits on them in the same step.
    alignas(64) double loopPeriods[kCombCount];
    alignas(64) double frequencies[kCombCount];
    for (int32_t g = 0; g < count; g += W) {
        const Floats follower = load<Floats>(lanes.follower + g);
        const Floats scale = 1.f - follower * load<Floats>(t.stiff + g) * depth;
        store(t.scale + g, scale);
        const Doubles loopPeriod =
            __builtin_convertvector(scale, Doubles) * __builtin_convertvector(load<Floats>(t.period + g), Doubles);
        store(loopPeriods + g, loopPeriod);
        store(frequencies + g, loopcompensation::loopFrequency(loopPeriod));
    }
    for (int32_t g = 0; g < count; g += W) {
        // Whether the scale differs from the move in place.
        const Floats scale = load<Floats>(t.scale + g);
        const Floats moved = load<Floats>(t.movedScale + g);
        const Ints need = load<Ints>(t.moves + g) & (scale != moved);

        const Doubles s = __builtin_convertvector(scale, Doubles);
        const Ints inRange = narrow((s < 1.0) & (s >= loopcompensation::kExpansionRange));
        const Ints batched = need & load<Ints>(t.batchable + g) & inRange;
        const Ints alone = need & ~batched;
        if (!lanevectors::anyLane(need)) {
            store(t.action + g, Ints{});
            continue;
        }

        // The compensation of the loop filters' phase delay, from the expansion.
        const Doubles loopPeriod = load<Doubles>(loopPeriods + g);
        const Doubles filterDelay = loopcompensation::expandedFilterDelayAt(
            load<Doubles>(t.phase0 + g), load<Doubles>(t.phase1 + g), load<Doubles>(t.phase2 + g),
            load<Doubles>(t.phaseAt + g), loopPeriod, load<Doubles>(frequencies + g));
        Doubles L = loopPeriod - filterDelay;
        L = L >= static_cast<double>(kShortestCombLoop) ? L : static_cast<double>(kShortestCombLoop);
        Doubles length = loopcompensation::ceilSmall(L + 1.0);
        Doubles fraction = loopcompensation::ceilSmall(L) - L;
        Doubles h[4];
        lagrangeWeights<Doubles, double>(2.0 - fraction, h);

        // Longer than the line: the longest whole delay; the weights keep the asked fraction.
        // (Written as "not shorter" so that lanes left to the single-comb update,
        // whose values may not be finite, still convert to whole numbers below.)
        const Longs tooLong = ~(length < static_cast<double>(kCombBufferSize));
        length = tooLong ? static_cast<double>(kCombBufferSize - 1) : length;
        fraction = tooLong ? 0.0 : fraction;

        const Floats oldLength = load<Floats>(t.length + g);
        const Doubles change = length - __builtin_convertvector(oldLength, Doubles);
        const Ints jumps = batched & narrow((change > 1.5) | (change < -1.5));

        const Ints write = load<Ints>(lanes.writeIndex + g);
        const Ints oldRead = load<Ints>(lanes.readIndex + g);
        const Ints newRead = (write - __builtin_convertvector(length, Ints)) & kCombBufferMask;

        store(t.length + g, batched ? __builtin_convertvector(length, Floats) : oldLength);
        store(t.fraction + g, batched ? __builtin_convertvector(fraction, Floats) : load<Floats>(t.fraction + g));
        store(t.filterDelay + g,
              batched ? __builtin_convertvector(filterDelay, Floats) : load<Floats>(t.filterDelay + g));
        store(t.movedScale + g, batched ? scale : moved);
        store(t.dirty + g, load<Ints>(t.dirty + g) | batched);
        for (int k = 0; k < 4; ++k)
            store(lanes.weight[k] + g,
                  batched ? __builtin_convertvector(h[k], Floats) : load<Floats>(lanes.weight[k] + g));
        store(t.oldRead + g, oldRead);
        store(lanes.readIndex + g, batched ? newRead : oldRead);
        const Ints action = (alone & int32_t{kTensionAlone}) | (jumps & int32_t{kTensionJumps});
        store(t.action + g, action);
        actions |= action;
    }
    return lanevectors::anyLane(actions);
}

}  // namespace tensionlanes
}  // namespace
