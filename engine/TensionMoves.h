// Working memory of the batched tension moves: the combs that move in this
// sub-block and their inputs and results as parallel arrays, so the delay
// compensation of all of them runs as one vectorisable loop.
#pragma once

#include "engine/CombBank.h"

#include <cstdint>

struct TensionMoves {
    int32_t count = 0;
    int32_t comb[kCombCount];
    float scale[kCombCount];  // shortening asked for, 0.9 <= scale < 1

    // Inputs: scale and period as doubles, the comb's phase expansion.
    alignas(16) double scaleOf[kCombCount];
    alignas(16) double period[kCombCount];
    alignas(16) double phaseAt[kCombCount];
    alignas(16) double phase0[kCombCount];
    alignas(16) double phase1[kCombCount];
    alignas(16) double phase2[kCombCount];

    // Results: filter delay, whole length, fraction and Lagrange weights.
    alignas(16) double filterDelay[kCombCount];
    alignas(16) double length[kCombCount];
    alignas(16) double fraction[kCombCount];
    alignas(16) double weight[4][kCombCount];
};
