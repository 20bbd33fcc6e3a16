// What the control side prepares for the audio loop and hands over whole:
// the settings the loop plays and the comb moves made since it last looked.
#pragma once

#include "engine/CombBank.h"
#include "programs/ProgramRecord.h"
#include "tuning/TuningMap.h"

#include <cstdint>

// The loop filters a comb move compensates the phase delay of.
struct LoopFilters {
    float bright;  // lowpass coefficient
    float stiff;   // allpass coefficient
    bool allpass;  // whether the allpass runs
};

// One call of updateCombDelay, to be made on the audio thread in order: each
// move that jumps cross-fades the line, so the order decides the line's bits.
struct CombMove {
    static constexpr int32_t kEveryComb = -1;  // every comb to its period in the settings
    uint64_t sequence;
    int32_t comb;
    float period;
    LoopFilters filters;
};

struct EngineSettings {
    CombSettings combs[kCombCount];
    float decayCoef[kCombCount];   // loop coefficients: value^0.34
    float brightCoef[kCombCount];
    float stiffCoef[kCombCount];
    uint32_t lfoIncrement[kCombCount];
    double noteFrequency[TuningMap::kNumNotes];  // the tuning map's pitches, for the feedback voice
    float params[kNumParams];
};

// A program change queues 176 moves (stiffness, then the tuning); more than
// this between two blocks collapse into one move of every comb.
constexpr int32_t kMaxQueuedMoves = 512;

struct PublishedChange {
    EngineSettings settings;
    int32_t moveCount = 0;
    CombMove moves[kMaxQueuedMoves];
};
