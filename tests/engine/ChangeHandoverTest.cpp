#include "tests/engine/EngineFixture.h"

#include <gtest/gtest.h>

using namespace enginetest;

// More comb moves between two blocks than the hand-over holds (the editor's pitch
// bars dragged while the host does not process) collapse into one move of every
// comb: the loops end where the settings put them, as with the last move alone.
TEST(ChangeHandover, AFloodOfMovesEndsWhereTheLastOnePuts)
{
    for (int moves : {1, kMaxQueuedMoves - 1, kMaxQueuedMoves + 1, 3 * kMaxQueuedMoves}) {
        auto flooded = makeQuietEngine();
        auto single = makeQuietEngine();
        tuneComb(*flooded, 40, {});
        tuneComb(*single, 40, {});
        for (int k = moves - 1; k >= 0; --k)
            flooded->setCombParameter(40, 3, 0.5f + 0.0001f * static_cast<float>(k % 97));
        single->setCombParameter(40, 3, 0.5f);
        std::vector<float> input(2048, 0.f), outFlooded, outSingle, right;
        input[0] = 1.f;
        render(*flooded, input, outFlooded, right, 256);
        render(*single, input, outSingle, right, 256);
        EXPECT_EQ(flooded->combs.delayLength[40], single->combs.delayLength[40]) << moves;
        EXPECT_EQ(flooded->combs.delayFraction[40], single->combs.delayFraction[40]) << moves;
        EXPECT_EQ(outFlooded, outSingle) << moves;
    }
}
