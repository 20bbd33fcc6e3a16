#include "engine/CombMoveQueue.h"

#include <algorithm>

void CombMoveQueue::add(int32_t comb, float period, const LoopFilters& filters)
{
    if (count == kMaxQueuedMoves) {
        // The audio thread has not run for a long while: every comb moves to where the
        // settings put it, which is where these moves were heading.
        count = 0;
        comb = CombMove::kEveryComb;
    }
    moves[count++] = {nextSequence++, comb, period, filters};
}

void CombMoveQueue::dropMade(uint64_t sequence)
{
    int32_t made = 0;
    while (made < count && moves[made].sequence <= sequence)
        ++made;
    std::copy(moves + made, moves + count, moves);
    count -= made;
}

void CombMoveQueue::copyTo(PublishedChange& change) const
{
    std::copy(moves, moves + count, change.moves);
    change.moveCount = count;
}
