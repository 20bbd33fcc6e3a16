// Tension modelling moves every loud comb each 16 samples. The moves run in
// lane order over the block's lanes, 4, 8 or 16 floats at a time, on values
// taken once per block; what they change in the comb bank is written back at
// the end of the block (or before a comb takes the single-comb update).
#pragma once

#include "engine/CombLanes.h"

#include <cstdint>

// What a lane needs after the vector pass.
enum TensionAction : int32_t {
    kTensionStays = 0,   // no move, or a move that only slid the read position
    kTensionJumps = 1,   // moved by more than 1.5 samples: cross-fade at the new read position
    kTensionAlone = 2,   // outside the expansion's range: the single-comb update moves it
};

struct TensionLanes {
    // Taken once per block.
    alignas(32) int32_t moves[kCombCount] = {};     // -1: a sounding stiff comb, 0: never moves (padding, Stiff 0)
    alignas(32) int32_t batchable[kCombCount] = {}; // -1: its period suits the expansion (expandsPeriod)
    alignas(32) float stiff[kCombCount] = {};       // Stiff setting (tension depth per unit of follower)
    alignas(32) float period[kCombCount] = {};      // Delay setting, samples
    alignas(32) float phaseAt[kCombCount] = {};     // the loop filters' phase expansion around the period
    alignas(32) float phase0[kCombCount] = {};
    alignas(32) float phase1[kCombCount] = {};
    alignas(32) float phase2[kCombCount] = {};

    // The moves so far; the comb bank's copy is stale while `dirty` is set.
    alignas(32) float movedScale[kCombCount] = {};  // NaN: the next move must run whatever the scale
    alignas(32) float length[kCombCount] = {};      // whole delay length
    alignas(32) float fraction[kCombCount] = {};
    alignas(32) float filterDelay[kCombCount] = {};
    alignas(32) int32_t dirty[kCombCount] = {};

    // Results of one pass for the scalar follow-up.
    alignas(32) float scale[kCombCount] = {};
    alignas(32) int32_t action[kCombCount] = {};
    alignas(32) int32_t oldRead[kCombCount] = {};  // read position before a jump
};

// The vector pass over `count` lanes (a multiple of 8): works out each lane's
// scale and, for batchable lanes, its new loop; stores weights and read
// positions into the lanes. True when some lane needs the scalar follow-up.
typedef bool (*TensionLaneMover)(CombLanes& lanes, TensionLanes& t, int32_t count, float depth);
bool moveTensionLanesNarrow(CombLanes&, TensionLanes&, int32_t count, float depth);  // SSE2
bool moveTensionLanesWide(CombLanes&, TensionLanes&, int32_t count, float depth);    // AVX2
bool moveTensionLanesWidest(CombLanes&, TensionLanes&, int32_t count, float depth);  // AVX-512
