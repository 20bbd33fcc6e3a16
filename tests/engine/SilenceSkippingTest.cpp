#include "tests/conformance/Signal.h"
#include "tests/engine/EngineFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

using namespace enginetest;

namespace {

constexpr int kRate = 44100;

std::unique_ptr<ResonatorEngine> factoryProgram()
{
    auto engine = std::make_unique<ResonatorEngine>(nullptr);
    engine->setSampleRate(static_cast<float>(kRate));
    engine->resume();
    return engine;
}

// Every comb sounding with LFO, stiffness and tension model B, all notes and the feedback voice held.
std::unique_ptr<ResonatorEngine> allCombsHeld()
{
    auto engine = factoryProgram();
    modulateEveryComb(*engine, true);
    holdEveryNote(*engine);
    return engine;
}

struct Scenario {
    const char* name;
    std::function<std::unique_ptr<ResonatorEngine>()> make;
    bool replacing;
    int block;
    std::vector<VstMidiEvent> atBurst;   // sent before the first block
    std::vector<VstMidiEvent> atWake;    // sent after the silence; none: input wakes it
    bool sleeps;
};

struct Outcome {
    double maxDifference = 0.0;
    bool asleepBeforeWake = false;
    bool asleepAfterWake = true;
    uint64_t blocksSlept = 0;
};

// Burst, long silence, then either events or input that starts mid-block.
// The engine under test and the one that never sleeps get the same blocks.
Outcome compare(const Scenario& s)
{
    auto sleeper = s.make();
    auto reference = s.make();
    reference->useSilenceSkipping(false);
    for (auto* engine : {sleeper.get(), reference.get()})
        for (const VstMidiEvent& e : s.atBurst)
            send(*engine, {e});

    const int burst = kRate / 2, silence = 24 * kRate, tail = kRate;
    // The last block may run past the tail.
    const std::vector<float> noise = conformance::noise(static_cast<std::size_t>(burst + tail + s.block), 5, 0.3f);
    std::vector<float> in(static_cast<std::size_t>(s.block)), outA[2], outB[2];
    for (auto* out : {outA, outB})
        for (int c = 0; c < 2; ++c)
            out[c].resize(static_cast<std::size_t>(s.block));
    Outcome run;
    const bool wakeByInput = s.atWake.empty();
    const int wakeAt = burst + silence;
    for (int pos = 0; pos < wakeAt + tail; pos += s.block) {
        if (pos <= wakeAt && wakeAt < pos + s.block) {
            run.asleepBeforeWake = sleeper->isAsleep();
            for (auto* engine : {sleeper.get(), reference.get()})
                for (const VstMidiEvent& e : s.atWake)
                    send(*engine, {e});
        }
        for (int k = 0; k < s.block; ++k) {
            const int t = pos + k;
            const bool sounding = t < burst || (wakeByInput && t >= wakeAt + s.block / 2);
            in[static_cast<std::size_t>(k)] = sounding ? noise[static_cast<std::size_t>(t < burst ? t : t - silence)] : 0.f;
        }
        float* ins[2] = {in.data(), nullptr};  // a missing channel is silent
        for (auto* out : {outA, outB}) {
            std::fill(out[0].begin(), out[0].end(), 0.25f);  // what an accumulating host already has
            std::fill(out[1].begin(), out[1].end(), -0.25f);
        }
        float* a[2] = {outA[0].data(), outA[1].data()};
        float* b[2] = {outB[0].data(), outB[1].data()};
        if (s.replacing) {
            sleeper->processReplacing(ins, a, s.block);
            reference->processReplacing(ins, b, s.block);
        } else {
            sleeper->process(ins, a, s.block);
            reference->process(ins, b, s.block);
        }
        for (int c = 0; c < 2; ++c)
            for (int k = 0; k < s.block; ++k)
                run.maxDifference = std::max(run.maxDifference, std::fabs(static_cast<double>(outA[c][k]) - outB[c][k]));
        if (pos > wakeAt && pos <= wakeAt + s.block)
            run.asleepAfterWake = sleeper->isAsleep();
    }
    run.blocksSlept = sleeper->blocksSlept();
    EXPECT_EQ(reference->blocksSlept(), 0u);
    return run;
}

}  // namespace

// Sleeping through silence stays within 1e-6 of the engine that runs every
// block, sleeps where the settled output allows it, and wakes on the first
// non-silent sample or on a note. Where the offsets' residue alone is above
// the bound (every comb sounding), the engine stays awake.
TEST(SilenceSkipping, MatchesTheEngineThatNeverSleeps)
{
    const VstMidiEvent noteOn = makeMidiEvent(0x90, 60, 100);
    const VstMidiEvent noteOff = makeMidiEvent(0x80, 60, 0);
    const Scenario scenarios[] = {
        {"factory program, input wakes", factoryProgram, true, 512, {}, {}, true},
        {"factory program, accumulating, odd blocks", factoryProgram, false, 333, {}, {}, true},
        {"factory program, a note wakes", factoryProgram, true, 441, {}, {noteOn}, true},
        {"held note released in silence", factoryProgram, true, 512, {noteOn}, {noteOff}, true},
        {"feedback voice held, 17-sample blocks", factoryProgram, true, 17, {makeMidiEvent(0x91, 50, 100)}, {}, true},
        {"every comb held", allCombsHeld, true, 512, {}, {}, false},
    };
    for (const Scenario& s : scenarios) {
        SCOPED_TRACE(s.name);
        const Outcome run = compare(s);
        EXPECT_LE(run.maxDifference, 1e-6);
        EXPECT_EQ(run.blocksSlept > 0, s.sleeps) << run.blocksSlept << " blocks slept";
        EXPECT_EQ(run.asleepBeforeWake, s.sleeps);
        EXPECT_FALSE(run.asleepAfterWake);
    }
}
