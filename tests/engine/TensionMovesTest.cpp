// The batched tension moves against the single-comb update, bit for bit.
#include "tests/engine/EngineFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

using namespace enginetest;

namespace {

// Every comb sounding and stiff, at periods from 2 to 1500 samples, with
// noise in the lines so the jump cross-fades show; a few combs are left out.
std::unique_ptr<ResonatorEngine> makeTenseEngine()
{
    auto engine = makeQuietEngine();
    engine->liveParams[32] = 0.2f;
    std::mt19937 random(7);
    std::uniform_real_distribution<float> noise(-1.f, 1.f);
    for (int i = 0; i < kNumCombs; ++i) {
        tuneComb(*engine, i, {44100.0 / (2.0 + 17.0 * i), 0.2f + 0.009f * static_cast<float>(i), 0.3f, 0.99f});
        engine->combs.writeIndex[i] = (i * 997) % kCombBufferSize;
        for (int k = 0; k < kCombBufferSize; ++k)
            engine->combs.delayBuffer[i][k] = noise(random);
        engine->updateCombDelay(i, engine->currentCombs[i].Delay);
    }
    engine->currentCombs[3].Out = 0.f;    // silent: never moves
    engine->currentCombs[4].Stiff = 0.f;  // not stiff: never moves
    engine->currentCombs[5].Delay = 0.f;  // no pitch: the shortest loop
    return engine;
}

// The reference: each sounding stiff comb moved on its own.
void moveOneByOne(ResonatorEngine& engine, float depth)
{
    for (int i = 0; i < kNumCombs; ++i) {
        const CombSettings& c = engine.currentCombs[i];
        if (c.Out > 0.f && c.Stiff > 0.f)
            engine.updateCombDelay(i, c.Delay, 1.f - engine.combs.amplitudeFollower[i] * c.Stiff * depth);
    }
}

template <typename T, std::size_t N>
bool sameBits(const T (&a)[N], const T (&b)[N])
{
    return std::memcmp(a, b, sizeof(a)) == 0;
}

}  // namespace

// Followers that rise, hold and fall: small moves, repeats that change nothing,
// jumps of many samples, and shortenings beyond the expansion's 10 %.
TEST(TensionMoves, BatchedMovesEqualSingleCombMovesBitForBit)
{
    auto batched = makeTenseEngine();
    auto single = makeTenseEngine();
    std::mt19937 random(11);
    const float depth = 0.08f;
    float smallestScale = 1.f;
    const float levels[] = {0.f, 0.01f, 0.3f, 0.3f, 1.f, 3.f, 4.5f, 6.f, 2.f, 0.5f, 0.02f, 0.f};
    for (int round = 0; round < 12; ++round) {
        std::uniform_real_distribution<float> spread(0.5f, 1.5f);
        for (int i = 0; i < kNumCombs; ++i) {
            const float f = levels[round] * spread(random);
            batched->combs.amplitudeFollower[i] = f;
            single->combs.amplitudeFollower[i] = f;
        }
        batched->retuneLoudCombs(depth);
        moveOneByOne(*single, depth);

        const CombBank& a = batched->combs;
        const CombBank& b = single->combs;
        EXPECT_TRUE(sameBits(a.delayLength, b.delayLength)) << round;
        EXPECT_TRUE(sameBits(a.delayFraction, b.delayFraction)) << round;
        EXPECT_TRUE(sameBits(a.interpCoef, b.interpCoef)) << round;
        EXPECT_TRUE(sameBits(a.loopFilterDelay, b.loopFilterDelay)) << round;
        EXPECT_TRUE(sameBits(a.readIndex, b.readIndex)) << round;
        EXPECT_TRUE(sameBits(a.compensatedScale, b.compensatedScale)) << round;
        EXPECT_TRUE(sameBits(a.delayBuffer, b.delayBuffer)) << round;
        for (float scale : a.compensatedScale)
            smallestScale = std::min(smallestScale, scale);
    }
    // The rounds did reach the jumps and the exact path below 90 %.
    EXPECT_LT(smallestScale, 0.9f);
}

// Under tension modelling the delays move every 16 samples while the lines
// wrap around their rings: both kernel widths must still render the same bits.
TEST(TensionMoves, KernelWidthsAgreeWhileLinesMoveAndWrap)
{
    std::mt19937 random(5);
    std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
    std::vector<float> input(8192);
    for (float& x : input)
        x = noise(random);
    for (int block : {512, 100}) {
        std::vector<float> left[2], right[2];
        for (bool wide : {false, true}) {
            auto engine = makeTenseEngine();
            engine->useWideKernel(wide);
            render(*engine, input, left[wide], right[wide], block);
        }
        EXPECT_EQ(0, std::memcmp(left[0].data(), left[1].data(), input.size() * sizeof(float))) << block;
        EXPECT_EQ(0, std::memcmp(right[0].data(), right[1].data(), input.size() * sizeof(float))) << block;
        double energy = 0.0;
        for (float x : left[0])
            energy += static_cast<double>(x) * x;
        EXPECT_GT(energy, 1.0) << block;
    }
}
