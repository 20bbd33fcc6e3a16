// The batched tension moves against the single-comb update, bit for bit.
#include "tests/conformance/Signal.h"
#include "tests/engine/EngineFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>

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
    engine->currentCombs[6].Delay = 20000.f;  // longer than the line: clamped
    engine->updateCombDelay(6, 20000.f);
    engine->currentCombs[7].Delay = 3e6f;  // beyond the expansion's periods: the exact compensation
    engine->updateCombDelay(7, 3e6f);
    return engine;
}

template <typename T, std::size_t N>
bool sameBits(const T (&a)[N], const T (&b)[N])
{
    return std::memcmp(a, b, sizeof(a)) == 0;
}

// Loud bursts and silences: followers that rise, hold and fall, moves of a
// fraction of a sample, jumps of many samples and (model A) shortenings
// beyond the expansion's 10 %.
std::vector<float> burstsAndSilences()
{
    std::mt19937 random(3);
    std::uniform_real_distribution<float> noise(-1.f, 1.f);
    std::vector<float> input(12000, 0.f);
    for (std::size_t n = 0; n < input.size(); ++n) {
        const std::size_t phase = n % 4000;
        const float level = phase < 300 ? 3.f : (phase < 1500 ? 0.05f : 0.f);
        input[n] = level * noise(random);
    }
    return input;
}

}  // namespace

// The lane-wise moves against every comb moved on its own by updateCombDelay:
// the same audio and the same comb state, bit for bit, in both tension models,
// with every kernel width and with blocks that end inside a sub-block.
TEST(TensionMoves, LaneMovesEqualSingleCombMovesBitForBit)
{
    const std::vector<float> input = burstsAndSilences();
    for (float model : {0.2f, 0.1f})
        for (KernelWidth width : kernelWidths())
            for (int block : {512, 37}) {
                std::vector<float> left[2], right[2];
                std::unique_ptr<ResonatorEngine> engines[2];
                for (bool batched : {false, true}) {
                    auto engine = makeTenseEngine();
                    engine->liveParams[32] = model;
                    engine->useKernelWidth(width);
                    engine->useBatchedTensionMoves(batched);
                    render(*engine, input, left[batched], right[batched], block);
                    engines[batched] = std::move(engine);
                }
                const std::string where = "model " + std::to_string(model) + ", " + std::to_string(width) + " lanes" +
                                          ", blocks of " + std::to_string(block);
                EXPECT_EQ(0, std::memcmp(left[0].data(), left[1].data(), input.size() * sizeof(float))) << where;
                EXPECT_EQ(0, std::memcmp(right[0].data(), right[1].data(), input.size() * sizeof(float))) << where;
                const CombBank& a = engines[1]->combs;
                const CombBank& b = engines[0]->combs;
                EXPECT_TRUE(sameBits(a.delayLength, b.delayLength)) << where;
                EXPECT_TRUE(sameBits(a.delayFraction, b.delayFraction)) << where;
                EXPECT_TRUE(sameBits(a.interpCoef, b.interpCoef)) << where;
                EXPECT_TRUE(sameBits(a.loopFilterDelay, b.loopFilterDelay)) << where;
                EXPECT_TRUE(sameBits(a.readIndex, b.readIndex)) << where;
                EXPECT_TRUE(sameBits(a.compensatedScale, b.compensatedScale)) << where;
                // The lines (the rows' spare cache lines beyond them are never used).
                for (int i = 0; i < kNumCombs; ++i)
                    EXPECT_EQ(0, std::memcmp(a.delayBuffer[i], b.delayBuffer[i], sizeof(float) * kCombBufferSize))
                        << where << ", comb " << i;
            }
}

// The scenario reaches what the bit comparison is meant to cover.
TEST(TensionMoves, BurstsReachJumpsAndTheExactPath)
{
    auto engine = makeTenseEngine();
    engine->liveParams[32] = 0.1f;
    const std::vector<float> input = burstsAndSilences();
    float smallestScale = 1.f;
    float largestStep = 0.f;
    std::vector<float> lengths(engine->combs.delayLength, engine->combs.delayLength + kNumCombs);
    for (std::size_t pos = 0; pos < input.size(); pos += 16) {
        std::vector<float> in(input.begin() + static_cast<long>(pos), input.begin() + static_cast<long>(pos + 16));
        std::vector<float> left, right;
        render(*engine, in, left, right, 16);
        for (int i = 0; i < kNumCombs; ++i) {
            smallestScale = std::min(smallestScale, engine->combs.compensatedScale[i]);
            largestStep = std::max(largestStep, std::fabs(engine->combs.delayLength[i] - lengths[i]));
            lengths[i] = engine->combs.delayLength[i];
        }
    }
    EXPECT_LT(smallestScale, 0.9f);
    EXPECT_GT(largestStep, 1.5f);
}

// Under tension modelling the delays move every 16 samples while the lines
// wrap around their rings: both kernel widths must still render the same bits.
TEST(TensionMoves, KernelWidthsAgreeWhileLinesMoveAndWrap)
{
    const std::vector<float> input = conformance::noise(8192, 5, 0.5f);
    for (int block : {512, 100}) {
        const std::vector<KernelWidth> widths = kernelWidths();
        std::vector<std::vector<float>> left(widths.size()), right(widths.size());
        for (std::size_t w = 0; w < widths.size(); ++w) {
            auto engine = makeTenseEngine();
            engine->useKernelWidth(widths[w]);
            render(*engine, input, left[w], right[w], block);
            EXPECT_EQ(0, std::memcmp(left[0].data(), left[w].data(), input.size() * sizeof(float)))
                << block << ", " << widths[w] << " lanes";
            EXPECT_EQ(0, std::memcmp(right[0].data(), right[w].data(), input.size() * sizeof(float)))
                << block << ", " << widths[w] << " lanes";
        }
        double energy = 0.0;
        for (float x : left[0])
            energy += static_cast<double>(x) * x;
        EXPECT_GT(energy, 1.0) << block;
    }
}

// Every comb at the extremes of Decay, Bright and Stiff under both tension
// models, struck by loud noise: once the noise stops, no loop may grow.
TEST(TensionMoves, LoopsStayBoundedAtTheExtremes)
{
    std::vector<float> input = conformance::noise(22050, 9, 1.f);
    input.resize(3 * 22050, 0.f);
    for (float model : {0.1f, 0.2f})
        for (int corner = 0; corner < 8; ++corner) {
            auto engine = makeQuietEngine();
            for (int i = 0; i < kNumCombs; ++i) {
                CombSettings& c = engine->currentCombs[i];
                c.Out = 1.f, c.Velocity = 0.f;
                c.Decay = corner & 1 ? 1.f : 0.f, c.Bright = corner & 2 ? 1.f : 0.f, c.Stiff = corner & 4 ? 1.f : 0.f;
                engine->deriveCombValues(i);
                engine->updateCombDelay(i, c.Delay);
            }
            engine->liveParams[32] = model;
            engine->applyPendingChanges();
            std::vector<float> left, right;
            render(*engine, input, left, right, 512);
            auto loudest = [&](std::size_t from) {
                float peak = 0.f;
                for (std::size_t k = from; k < from + 11025; ++k)
                    peak = std::max({peak, std::fabs(left[k]), std::fabs(right[k])});
                return std::isfinite(peak) && std::all_of(left.begin(), left.end(), [](float x) { return std::isfinite(x); })
                           ? peak
                           : INFINITY;
            };
            EXPECT_LE(loudest(input.size() - 11025), loudest(22050) * 1.01f + 1e-6f) << model << ", corner " << corner;
        }
}
