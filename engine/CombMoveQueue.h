// The control side's comb moves that the audio thread has not made yet.
#pragma once

#include "engine/EngineSettings.h"

#include <cstdint>

class CombMoveQueue {
public:
    void add(int32_t comb, float period, const LoopFilters& filters);
    // Forgets the moves up to and including `sequence`, which the audio thread has made.
    void dropMade(uint64_t sequence);
    void copyTo(PublishedChange& change) const;

private:
    CombMove moves[kMaxQueuedMoves];
    int32_t count = 0;
    uint64_t nextSequence = 1;
};
