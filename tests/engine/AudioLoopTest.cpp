#include "tests/conformance/Signal.h"
#include "tests/engine/EngineFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

using namespace enginetest;

namespace {

void note(ResonatorEngine& engine, int status, int key, int velocity, int delta = 0)
{
    send(engine, {makeMidiEvent(static_cast<uint8_t>(status), static_cast<uint8_t>(key), static_cast<uint8_t>(velocity), delta)});
}

// A busy engine: many stiff combs with sounding envelopes, tension off, no LFO
// modulation (its rate depends on where blocks start), a feedback voice playing.
std::unique_ptr<ResonatorEngine> busyEngine(KernelWidth width, int feedbackNote = 50)
{
    auto engine = makeQuietEngine();
    engine->useKernelWidth(width);
    for (int i = 0; i < kNumCombs; i += 3) {
        CombSettings& c = engine->currentCombs[i];
        c.Out = 0.7f;
        c.Velocity = 0.8f;
        c.Stiff = (i % 2) ? 0.4f : 0.f;
        c.Pan = 0.f;
        c.LFO2Dec = 0.5f;
        c.PanPos = static_cast<float>(i) / 88.f;
        c.inPan = 0.3f;
        c.envAttack = 0.05f;
        c.envDecay = 0.1f;
        engine->deriveCombValues(i);
        engine->updateCombDelay(i, c.Delay);
    }
    engine->liveParams[20] = 0.7f;
    engine->liveParams[22] = 0.3f;
    engine->liveParams[24] = 0.2f;
    engine->liveParams[25] = 0.05f;
    engine->liveParams[31] = 0.8f;
    engine->applyPendingChanges();
    note(*engine, 0x91, feedbackNote, 100, 100);  // feedback voice, gliding from the resume delay
    for (int key = 20; key < 90; key += 7)
        note(*engine, 0x90, key, 90, key);
    return engine;
}

}  // namespace

// Feedback note 50 keeps the feedback lines long (chunks of 16); note 112 makes
// them 8 samples long, so the loop runs sample by sample after the trigger.
TEST(AudioLoop, OutputDoesNotDependOnBlockSizeOrKernelWidth)
{
    for (int feedbackNote : {50, 112}) {
        const auto input = conformance::noise(8192, 7, 0.3f);
        std::vector<float> refL, refR;
        {
            auto engine = busyEngine(kFourLanes, feedbackNote);
            render(*engine, input, refL, refR, 512);
        }
        double energy = 0.0;
        for (float v : refL)
            energy += static_cast<double>(v) * v;
        ASSERT_GT(energy, 1.0);

        for (int block : {1, 7, 16, 4096}) {
            for (KernelWidth width : kernelWidths()) {
                auto engine = busyEngine(width, feedbackNote);
                std::vector<float> l, r;
                render(*engine, input, l, r, block);
                EXPECT_EQ(0, std::memcmp(l.data(), refL.data(), l.size() * sizeof(float)))
                    << feedbackNote << ": block " << block << ", " << width << " lanes";
                EXPECT_EQ(0, std::memcmp(r.data(), refR.data(), r.size() * sizeof(float)))
                    << feedbackNote << ": block " << block << ", " << width << " lanes";
            }
        }
        // Processors without FMA round the four-lane kernel's products too: close, not equal.
        useFmaInNarrowKernel(false);
        auto engine = busyEngine(kFourLanes, feedbackNote);
        std::vector<float> l, r;
        render(*engine, input, l, r, 512);
        useFmaInNarrowKernel(true);
        float peak = 0.f, difference = 0.f;
        for (std::size_t k = 0; k < l.size(); ++k) {
            peak = std::max({peak, std::fabs(refL[k]), std::fabs(refR[k])});
            difference = std::max({difference, std::fabs(l[k] - refL[k]), std::fabs(r[k] - refR[k])});
        }
        EXPECT_LT(difference, 1e-4f * peak) << feedbackNote;
    }
}

TEST(AudioLoop, ReplacingMixesDryAccumulatingAddsWetOnly)
{
    auto engine = makeQuietEngine();
    engine->liveParams[30] = 0.5f;  // output level
    engine->liveParams[31] = 0.25f; // wet share
    std::vector<float> inL = conformance::noise(64, 1, 0.3f), inR = conformance::noise(64, 2, 0.3f);
    std::vector<float> outL(64), outR(64);
    float* ins[2] = {inL.data(), inR.data()};
    float* outs[2] = {outL.data(), outR.data()};
    engine->processReplacing(ins, outs, 64);
    for (int n = 0; n < 64; ++n) {
        EXPECT_FLOAT_EQ(outL[n], inL[n] * 0.75f * 0.5f);  // no comb sounds: dry only
        EXPECT_FLOAT_EQ(outR[n], inR[n] * 0.75f * 0.5f);
    }

    // One comb sounding: accumulating adds exactly wet x level to what is there.
    tuneComb(*engine, 40, {300.0, 0.9f, 0.f, 0.95f});
    auto twin = makeQuietEngine();
    twin->liveParams[30] = 0.5f;
    twin->liveParams[31] = 0.25f;
    tuneComb(*twin, 40, {300.0, 0.9f, 0.f, 0.95f});
    engine->resume();
    std::vector<float> wetL(64), wetR(64);
    float* wetOuts[2] = {wetL.data(), wetR.data()};
    twin->liveParams[31] = 1.f;  // fully wet: the plain mix times the level
    twin->processReplacing(ins, wetOuts, 64);
    std::vector<float> accL(64, 1.f), accR(64, -1.f);
    float* accOuts[2] = {accL.data(), accR.data()};
    engine->process(ins, accOuts, 64);
    for (int n = 0; n < 64; ++n) {
        EXPECT_FLOAT_EQ(accL[n], 1.f + wetL[n]);
        EXPECT_FLOAT_EQ(accR[n], -1.f + wetR[n]);
    }
}

TEST(AudioLoop, SubBlocksAdvanceTheLfos)
{
    auto engine = makeQuietEngine();
    CombSettings& c = engine->currentCombs[10];
    c.Out = 1.f;
    c.Pan = 0.5f;  // modulated
    engine->publishSettings();
    const uint32_t step = engine->combs.lfo[10].getIncrement();
    float in[32] = {}, l[32], r[32];
    float* ins[2] = {in, in};
    float* outs[2] = {l, r};
    auto phaseAfter = [&](int frames) {
        const uint32_t before = engine->combs.lfo[10].getPhase();
        engine->processReplacing(ins, outs, frames);
        return (engine->combs.lfo[10].getPhase() - before) / step;
    };
    EXPECT_EQ(phaseAfter(0), 1u);   // one empty sub-block
    EXPECT_EQ(phaseAfter(15), 1u);
    EXPECT_EQ(phaseAfter(16), 2u);  // 16 and 0 samples
    EXPECT_EQ(phaseAfter(31), 2u);
    EXPECT_EQ(phaseAfter(-4), 0u);  // negative: block set-up only
}

TEST(AudioLoop, IdleFeedbackVoiceLetsTheFeedbackDecay)
{
    auto engine = busyEngine(widestKernelWidth());
    const auto input = conformance::noise(44100, 3, 0.3f);
    std::vector<float> l, r;
    render(*engine, input, l, r, 256);
    EXPECT_NE(engine->feedback.feedbackOut[0], 0.f);
    note(*engine, 0x81, 50, 0);
    engine->liveParams[29] = 0.f;
    engine->applyPendingChanges();
    render(*engine, input, l, r, 256);
    EXPECT_EQ(engine->voices.envState[kFeedbackVoice], kEnvIdle);
    EXPECT_LT(std::fabs(engine->feedback.feedbackOut[0]), 1e-5f);
}

TEST(AudioLoop, LongRandomRunsStayFinite)
{
    std::mt19937 random(2024);
    std::uniform_real_distribution<float> unit(0.f, 1.f);
    std::uniform_int_distribution<int> blockSizes(1, 1500);
    for (int run = 0; run < 4; ++run) {
        auto engine = makeQuietEngine();
        engine->useKernelWidth(kernelWidths()[static_cast<std::size_t>(run) % kernelWidths().size()]);
        for (int k = 0; k < kNumParams; ++k)
            engine->liveParams[k] = unit(random);
        engine->liveParams[32] = (run == 1) ? 0.1f : (run == 2 ? 0.2f : 0.f);
        engine->liveParams[33] = static_cast<float>(run) * 0.1f;
        engine->liveParams[30] = 1.f;
        for (int i = 0; i < kNumCombs; ++i) {
            CombSettings& c = engine->currentCombs[i];
            float* fields = reinterpret_cast<float*>(&c);
            for (int f = 0; f < 14; ++f)
                fields[f] = unit(random);
            c.envAttack = unit(random);
            c.envDecay = unit(random);
            c.envSustain = unit(random);
            c.envRelease = unit(random);
            c.Velocity = unit(random);
            c.Decay = (i % 11 == 0) ? 1.f : c.Decay;  // lossless loops too
            engine->deriveCombValues(i);
            c.Delay = static_cast<float>(44100.0 / std::exp2(2.0 + 10.0 * c.normalPitch));
            engine->updateCombDelay(i, c.Delay);
        }
        engine->applyPendingChanges();
        float in[1500], l[1500], r[1500];
        float* ins[2] = {in, in};
        float* outs[2] = {l, r};
        long frames = 0;
        bool finite = true;
        while (frames < 44100 * 8 && finite) {
            const int n = blockSizes(random);
            for (int k = 0; k < n; ++k)
                in[k] = (unit(random) - 0.5f) * 2.f;
            if (unit(random) < 0.3f)
                note(*engine, (unit(random) < 0.2f ? 0x91 : 0x90) | 0, static_cast<int>(unit(random) * 127.f),
                     static_cast<int>(unit(random) * 127.f), static_cast<int>(unit(random) * n));
            engine->processReplacing(ins, outs, n);
            for (int k = 0; k < n; ++k)
                finite = finite && std::isfinite(l[k]) && std::isfinite(r[k]);
            frames += n;
        }
        EXPECT_TRUE(finite) << "run " << run << " after " << frames << " frames";
    }
}

#if defined(__SSE__)
// The engine flushes denormals while it runs and must give the host back its
// own floating-point mode, whatever that is, after every block.
TEST(AudioLoop, HostFloatingPointModeSurvivesEveryBlock)
{
    auto engine = busyEngine(widestKernelWidth());
    std::vector<float> in = conformance::noise(300, 5, 0.2f), outL(300), outR(300);
    float* ins[2] = {in.data(), in.data()};
    float* outs[2] = {outL.data(), outR.data()};
    const unsigned original = _mm_getcsr();
    for (unsigned mode : {original & ~0x8040u, original | 0x8040u, (original & ~0x6000u) | 0x2000u}) {
        _mm_setcsr(mode);
        engine->processReplacing(ins, outs, 300);
        engine->process(ins, outs, 77);
        EXPECT_EQ(_mm_getcsr() & ~0x3Fu, mode & ~0x3Fu);  // the exception flags may be raised
    }
    _mm_setcsr(original);
}
#endif
