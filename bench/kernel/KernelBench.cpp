// The resonator kernel alone: 88 lanes over 16-sample chunks, as the audio
// loop runs it at each width, for each loop variant. Reports ns per frame, so
// the kernel's share of the engine's time (bench/engine) can be read off.
#include "engine/CombLanes.h"

#include <benchmark/benchmark.h>
#include <xmmintrin.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace {

struct KernelSetup {
    std::vector<float> lines = std::vector<float>(static_cast<std::size_t>(kCombCount) * kCombRowStride);
    std::unique_ptr<CombLanes> lanes = std::make_unique<CombLanes>();
    ChunkSignals signals{};
    TensionRates tension{0.1f, 0.015f, 0.08f};

    KernelSetup()
    {
        CombLanes& l = *lanes;
        l.count = kCombCount;
        for (int i = 0; i < kCombCount; ++i) {
            l.comb[i] = i;
            l.buffer[i] = lines.data() + static_cast<std::size_t>(i) * kCombRowStride;
            l.readIndex[i] = 0;
            l.writeIndex[i] = 20 + 37 * i;  // every delay longer than a chunk: the usual case
            l.inPan[i] = 0.5f, l.lowpassGain[i] = 1.f;
            l.position[i] = 0.3f;
            l.bright[i] = 0.8f, l.decay[i] = 0.99f, l.stiff[i] = 0.3f;
            const float h[4] = {-0.0625f, 0.5625f, 0.5625f, -0.0625f};
            for (int k = 0; k < 4; ++k)
                l.weight[k][i] = h[k];
            l.lowpass[i] = l.allpass[i] = l.last[i] = l.follower[i] = 0.f;
            for (int k = 0; k < kMaxChunk; ++k)
                l.gain[k][i] = 0.5f;
        }
        uint32_t n = 1;
        for (int k = 0; k < kMaxChunk; ++k) {
            n = n * 1664525u + 1013904223u;
            signals.excitationLeft[k] = signals.excitationRight[k] = static_cast<float>(n >> 8) / 1.6777216e8f;
            signals.combOffset[k] = (k & 1) ? 1e-18f : -1e-18f;
            signals.feedbackOffset[k] = -signals.combOffset[k];
        }
    }
};

// Arguments: width in lanes, loop variant.
void Kernel(benchmark::State& state)
{
    const auto width = static_cast<KernelWidth>(state.range(0));
    if (width > widestKernelWidth()) {
        state.SkipWithError("this CPU does not run that kernel width");
        return;
    }
    const CombKernel kernel = width == kSixteenLanes ? combKernelWidest
                              : width == kEightLanes ? combKernelWide
                                                     : combKernelNarrow;
    const auto variant = static_cast<LoopVariant>(state.range(1));
    KernelSetup setup;
    const unsigned mode = _mm_getcsr();
    _mm_setcsr(mode | 0x8040);  // flush-to-zero and denormals-are-zero, as the audio loop runs
    for (auto _ : state) {
        kernel(variant, *setup.lanes, setup.signals, setup.tension, kMaxChunk);
        benchmark::DoNotOptimize(setup.signals.mix);
        benchmark::ClobberMemory();
    }
    _mm_setcsr(mode);
    state.counters["ns_per_frame"] = benchmark::Counter(static_cast<double>(state.iterations() * kMaxChunk),
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(Kernel)->ArgsProduct({{16, 8, 4}, {kPlainLoop, kStiffLoop, kTensionLoop}});
