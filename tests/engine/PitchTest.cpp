#include "tests/engine/EngineFixture.h"

#include <gtest/gtest.h>


using namespace enginetest;

namespace {

enum class LaterChange { none, otherCombStiff, tensionModelOn };

// Tunes comb 45, optionally changes the loop variant afterwards, and measures
// where its impulse response peaks.
double ringingCents(const CombSetup& setup, LaterChange change = LaterChange::none, float rate = 44100.f)
{
    auto engine = makeQuietEngine(rate);
    const int comb = 45;
    tuneComb(*engine, comb, setup);
    if (change == LaterChange::otherCombStiff)
        engine->currentCombs[10].Stiff = 0.5f;  // silent, but switches every comb's allpass on
    if (change == LaterChange::tensionModelOn)
        engine->liveParams[32] = 0.2f;
    engine->publishSettings();
    const std::size_t frames = static_cast<std::size_t>(rate);  // one second
    std::vector<float> input(frames, 0.f);
    input[0] = 1.f;
    std::vector<float> left, right;
    render(*engine, input, left, right, 512);
    return peakCents(left, setup.frequency, rate);
}

}  // namespace

TEST(CombPitch, RingsWithinOneCentAcrossRangeBrightnessAndStiffness)
{
    const double frequencies[] = {55.0, 110.0, 220.0, 440.0, 880.0, 1760.0};
    const float brights[] = {0.3f, 0.6f, 0.85f, 1.f};
    const float stiffs[] = {0.f, 0.3f, 0.6f, 0.9f};
    for (double f : frequencies)
        for (float bright : brights)
            for (float stiff : stiffs) {
                CombSetup s{f, bright, stiff, 0.99f};
                // Only where the compensated delay stays above the shortest loop.
                auto probe = makeQuietEngine();
                tuneComb(*probe, 45, s);
                const double L = 44100.0 / f - probe->combs.loopFilterDelay[45];
                if (L <= 4.0)
                    continue;
                const double cents = ringingCents(s);
                EXPECT_LT(std::fabs(cents), 1.0) << f << " Hz, bright " << bright << ", stiff " << stiff;
            }
}

// The allpass of a comb with Stiff 0 is a one-sample delay; the comb must be
// recompensated when another comb's stiffness or tension modelling turns it on.
TEST(CombPitch, StaysInTuneWhenTheLoopVariantChanges)
{
    for (double f : {220.0, 1760.0}) {
        CombSetup s{f, 0.85f, 0.f, 0.99f};
        EXPECT_LT(std::fabs(ringingCents(s, LaterChange::otherCombStiff)), 1.0) << f;
        EXPECT_LT(std::fabs(ringingCents(s, LaterChange::tensionModelOn)), 1.0) << f;
    }
    // A quiet stiff comb under tension modelling B (follower stays tiny for an impulse).
    CombSetup stiff{440.0, 0.6f, 0.5f, 0.99f};
    EXPECT_LT(std::fabs(ringingCents(stiff, LaterChange::tensionModelOn)), 1.0);
}

TEST(CombDelayUpdate, DegeneratePeriodsTakeTheShortestLoop)
{
    auto engine = makeQuietEngine();
    for (float period : {0.f, -5.f, std::nanf(""), INFINITY, 2.f}) {
        moveNow(*engine, 3, period);
        EXPECT_EQ(engine->combs.delayLength[3], 5.f) << period;  // ceil(4 + 1)
        EXPECT_EQ(engine->combs.delayFraction[3], 0.f) << period;
        EXPECT_TRUE(std::isfinite(engine->combs.interpCoef[3][0])) << period;
    }
}

TEST(CombDelayUpdate, LongPeriodsAreLimitedToTheLine)
{
    auto engine = makeQuietEngine();
    moveNow(*engine, 3, 30000.5f);
    EXPECT_EQ(engine->combs.delayLength[3], 16383.f);
    EXPECT_EQ(engine->combs.delayFraction[3], 0.f);
    // The weights still belong to the asked fraction, not to fraction 0.
    EXPECT_NE(engine->combs.interpCoef[3][0], 0.f);
}

TEST(CombDelayUpdate, SmallMovesKeepTheBufferJumpsBlendIt)
{
    auto engine = makeQuietEngine();
    const int i = 7;
    engine->settings.brightCoef[i] = 1.f;  // no lowpass: loopFilterDelay is exactly 1
    moveNow(*engine, i, 101.f);
    float* buffer = engine->combs.delayBuffer[i];
    for (int k = 0; k < kCombBufferSize; ++k)
        buffer[k] = static_cast<float>(k % 1000);
    engine->combs.writeIndex[i] = 5000;
    moveNow(*engine, i, 101.f);
    const int32_t oldRead = engine->combs.readIndex[i];
    std::vector<float> before(buffer, buffer + kCombBufferSize);

    moveNow(*engine, i, 102.f);  // one sample longer: only the read position moves
    EXPECT_EQ(engine->combs.readIndex[i], oldRead - 1);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), buffer));

    moveNow(*engine, i, 120.f);  // a jump: three samples blended at the new read position
    const int32_t r = engine->combs.readIndex[i];
    EXPECT_EQ(r, 5000 - 120);
    const int32_t o = oldRead - 1;
    EXPECT_FLOAT_EQ(buffer[r], before[o]);
    EXPECT_FLOAT_EQ(buffer[r + 1], 0.6667f * before[o + 1] + 0.3333f * before[r + 1]);
    EXPECT_FLOAT_EQ(buffer[r + 2], 0.3333f * before[o + 2] + 0.6667f * before[r + 2]);
    EXPECT_FLOAT_EQ(buffer[r + 3], before[r + 3]);
}

// Tension moves use an expansion of the loop filters' phase; it must agree with
// the exact compensation for shortenings up to 10 %.
TEST(CombDelayUpdate, TensionMovesMatchTheExactCompensation)
{
    auto engine = makeQuietEngine();
    engine->liveParams[32] = 0.2f;
    for (double f : {55.0, 440.0, 1760.0, 3000.0})
        for (float stiff : {0.f, 0.5f, 0.95f}) {
            tuneComb(*engine, 0, {f, 0.5f, stiff, 0.99f});
            engine->applyPendingChanges();
            const float period = engine->currentCombs[0].Delay;
            const LoopFilters filters{engine->combs.brightCoef[0], engine->combs.stiffCoef[0], true};
            for (float scale : {0.999f, 0.97f, 0.92f, 0.9f}) {
                engine->moveComb(0, period, scale, filters);
                const double expanded = engine->combs.loopFilterDelay[0];
                engine->moveComb(0, period * scale, 1.f, filters);  // the exact path
                const double exact = engine->combs.loopFilterDelay[0];
                // Pitch difference of the two loops in cents.
                const double cents = 1200.0 / std::log(2.0) * std::fabs(expanded - exact) / (period * scale);
                EXPECT_LT(cents, 0.25) << f << " Hz, stiff " << stiff << ", scale " << scale;
            }
        }
}

// Hosts set their rate after the plug-in is built: tuned combs keep their pitch
// and envelopes their length in seconds.
TEST(CombPitch, KeepsItsPitchWhenTheHostChangesTheRate)
{
    auto engine = makeQuietEngine(44100.f);
    CombSetup s{440.0, 0.8f, 0.3f, 0.99f};
    tuneComb(*engine, 45, s);
    engine->currentCombs[45].envAttack = 0.5f;
    engine->deriveCombValues(45);
    engine->setSampleRate(96000.f);
    engine->resume();
    EXPECT_FLOAT_EQ(engine->currentCombs[45].Delay, 96000.f / 440.f);
    EXPECT_EQ(engine->currentCombs[45].envAttackSamples, 24000);
    std::vector<float> input(96000, 0.f), left, right;
    input[0] = 1.f;
    render(*engine, input, left, right, 512);
    EXPECT_LT(std::fabs(peakCents(left, 440.0, 96000.0)), 1.0);
}
