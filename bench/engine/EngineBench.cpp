// processReplacing in 512-frame blocks at 44.1 kHz, for factory program 0 and
// for the heaviest case: all 88 resonators sounding with LFO modulation,
// stiffness, tension model B and the feedback voice active (and the same
// without tension modelling). Reports ns per frame and the real-time factor
// (audio seconds rendered per second of one core). The Asleep cases measure a
// block of silent input once the engine sleeps through silence.
#include "engine/ResonatorEngine.h"
#include "tests/engine/EngineFixture.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr int kBlock = 512;
constexpr double kRate = 44100.0;

void reportRate(benchmark::State& state)
{
    state.SetItemsProcessed(state.iterations() * kBlock);
    state.counters["ns_per_frame"] =
        benchmark::Counter(static_cast<double>(state.iterations() * kBlock), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(state.iterations() * kBlock) / kRate, benchmark::Counter::kIsRate);
}

// A block of noise at -20 dBFS or so, the same every run.
std::vector<float> noiseBlock()
{
    std::vector<float> x(kBlock);
    uint32_t n = 1;
    for (float& v : x) {
        n = n * 1664525u + 1013904223u;
        v = static_cast<float>(n >> 8) / 16777216.f * 0.2f - 0.1f;
    }
    return x;
}

void run(benchmark::State& state, ResonatorEngine& engine)
{
    std::vector<float> inL = noiseBlock(), inR(kBlock), outL(kBlock), outR(kBlock);
    for (int n = 0; n < kBlock; ++n)
        inR[n] = inL[(n * 7) % kBlock];
    float* ins[2] = {inL.data(), inR.data()};
    float* outs[2] = {outL.data(), outR.data()};
    for (int warm = 0; warm < 200; ++warm)
        engine.processReplacing(ins, outs, kBlock);
    for (auto _ : state) {
        engine.processReplacing(ins, outs, kBlock);
        benchmark::DoNotOptimize(outL.data());
        benchmark::ClobberMemory();
    }
    reportRate(state);
}

// Silent blocks until the engine sleeps (at most a minute of audio), then the cost of one more.
void runAsleep(benchmark::State& state, ResonatorEngine& engine)
{
    std::vector<float> in(kBlock, 0.f), outL(kBlock), outR(kBlock);
    float* ins[2] = {in.data(), in.data()};
    float* outs[2] = {outL.data(), outR.data()};
    for (int block = 0; block < 60 * 44100 / kBlock && !engine.isAsleep(); ++block)
        engine.processReplacing(ins, outs, kBlock);
    if (!engine.isAsleep()) {
        state.SkipWithError("the engine did not fall asleep");
        return;
    }
    for (auto _ : state) {
        engine.processReplacing(ins, outs, kBlock);
        benchmark::DoNotOptimize(outL.data());
        benchmark::ClobberMemory();
    }
    if (!engine.isAsleep())
        state.SkipWithError("the engine woke up");
    reportRate(state);
}

void FactoryProgram0(benchmark::State& state)
{
    auto engine = std::make_unique<ResonatorEngine>(nullptr);
    engine->setSampleRate(static_cast<float>(kRate));
    engine->resume();
    run(state, *engine);
}

// Every resonator sounding, LFO-modulated and stiff, the feedback voice
// active; tension model B or none.
std::unique_ptr<ResonatorEngine> makeAllCombsEngine(bool tension, bool playNotes = true)
{
    auto engine = std::make_unique<ResonatorEngine>(nullptr);
    engine->setSampleRate(static_cast<float>(kRate));
    engine->resume();
    enginetest::modulateEveryComb(*engine, tension);
    engine->liveParams[33] = 0.f;  // the feedback voice follows its note's pitch
    engine->applyPendingChanges();
    if (playNotes)
        enginetest::holdEveryNote(*engine);
    return engine;
}

// The argument is the kernel width in lanes (16, 8 or 4; at most what the CPU runs).
void AllCombsModulatedStiffTensionFeedback(benchmark::State& state)
{
    if (state.range(0) > widestKernelWidth()) {
        state.SkipWithError("this CPU does not run that kernel width");
        return;
    }
    auto engine = makeAllCombsEngine(true);
    engine->useKernelWidth(static_cast<KernelWidth>(state.range(0)));
    run(state, *engine);
}

void AllCombsModulatedStiffFeedbackNoTension(benchmark::State& state)
{
    run(state, *makeAllCombsEngine(false));
}

// Factory program 0 asleep after a second of noise has died away.
void FactoryProgram0Asleep(benchmark::State& state)
{
    auto engine = std::make_unique<ResonatorEngine>(nullptr);
    engine->setSampleRate(static_cast<float>(kRate));
    engine->resume();
    std::vector<float> noise = noiseBlock();
    std::vector<float> out(kBlock);
    float* ins[2] = {noise.data(), noise.data()};
    float* outs[2] = {out.data(), out.data()};
    for (int block = 0; block < 44100 / kBlock; ++block)
        engine->processReplacing(ins, outs, kBlock);
    runAsleep(state, *engine);
}

// The most a sleeping block costs: every comb LFO-modulated (each LFO keeps its
// phase), stiff and under tension model B, as in the all-combs case, but with
// full velocity sensitivity and no note played, so the resonators are silent.
// (With the notes held, the residue the anti-denormal offsets keep in the
// loops is audible at 1e-6 to 2e-6 and the engine stays awake.)
void AllCombsModulatedAsleep(benchmark::State& state)
{
    auto engine = makeAllCombsEngine(true, false);
    for (int i = 0; i < kNumCombs; ++i)
        engine->currentCombs[i].Velocity = 1.f;
    engine->publishSettings();
    runAsleep(state, *engine);
}

}  // namespace

BENCHMARK(FactoryProgram0)->Unit(benchmark::kMicrosecond);
BENCHMARK(AllCombsModulatedStiffTensionFeedback)->Unit(benchmark::kMicrosecond)->Arg(16)->Arg(8)->Arg(4);
BENCHMARK(AllCombsModulatedStiffFeedbackNoTension)->Unit(benchmark::kMicrosecond);
BENCHMARK(FactoryProgram0Asleep)->Unit(benchmark::kMicrosecond);
BENCHMARK(AllCombsModulatedAsleep)->Unit(benchmark::kMicrosecond);
