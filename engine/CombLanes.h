// The sounding combs of one block laid out as lanes, four to a group, so the
// resonator loop runs four combs per vector operation. Lanes follow the
// block's lists (modulated combs, then static ones); the last group is padded
// with silent lanes that write into a spare row.
#pragma once

#include "engine/CombBank.h"

#include <cstdint>

constexpr int kLaneWidth = 4;
constexpr int kMaxChunk = 16;  // samples per sub-block

typedef float LaneFloats __attribute__((vector_size(16)));

struct CombLanes {
    int32_t count = 0;          // lanes in use, a multiple of 4
    int32_t comb[kCombCount];   // comb of each lane, -1 for padding
    int32_t laneOfComb[kCombCount];  // -1 when the comb is not sounding

    // Settings, taken once per sub-block.
    alignas(16) float inPan[kCombCount];
    alignas(16) float inPanRest[kCombCount];  // 1 - inPan
    alignas(16) float lowpassGain[kCombCount];  // LFO on the lowpass: (1 + L d) - |d|, 1 when static
    alignas(16) float position[kCombCount];     // share sent left: L Pan / 2 + PanPos, PanPos when static
    alignas(16) float positionRest[kCombCount]; // 1 - position
    alignas(16) float bright[kCombCount];
    alignas(16) float decay[kCombCount];
    alignas(16) float stiff[kCombCount];
    alignas(16) float weight[4][kCombCount];    // Lagrange h0..h3

    // Loop state, taken from the comb bank for a sub-block and written back after it.
    alignas(16) float lowpass[kCombCount];
    alignas(16) float allpass[kCombCount];
    alignas(16) float last[kCombCount];
    alignas(16) float follower[kCombCount];
    int32_t writeIndex[kCombCount];
    int32_t readIndex[kCombCount];
    float* buffer[kCombCount];

    // Output gain ((envLevel - 1) Velocity + 1) Out of every lane at every sample of the chunk.
    alignas(16) float gain[kMaxChunk][kCombCount];
};

struct TensionRates {
    float rise;   // follower smoothing while the level rises
    float fall;   // and while it falls
    float depth;  // loop shortening per unit of follower x Stiff
};

// Per-sample inputs of the resonators for one chunk, and their summed outputs.
struct ChunkSignals {
    alignas(16) float excitationLeft[kMaxChunk];   // input + feedback, left
    alignas(16) float excitationRight[kMaxChunk];
    alignas(16) float combOffset[kMaxChunk];
    alignas(16) float feedbackOffset[kMaxChunk];
    alignas(16) float inputLeft[kMaxChunk];
    alignas(16) float inputRight[kMaxChunk];
    LaneFloats mixLeft[kMaxChunk];   // per-lane partial sums over the groups
    LaneFloats mixRight[kMaxChunk];
};
