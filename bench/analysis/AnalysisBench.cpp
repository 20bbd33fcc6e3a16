// The impulse analysis' costs: one 8192-point real transform (kissfft), one
// frame's spectrum (window, transform, magnitudes), and the whole analysis of
// a real recording for all 88 resonators, 100 frames long.
#include "analysis/FrameMagnitudes.h"
#include "analysis/ImpulseAnalyser.h"

#include <benchmark/benchmark.h>
#include <kiss_fftr.h>

#include <cmath>
#include <complex>
#include <string>
#include <vector>

namespace {

constexpr int kSize = 8192;

std::vector<float> noise(std::size_t n)
{
    std::vector<float> x(n);
    unsigned state = 12345;
    for (float& v : x) {
        state = state * 1664525u + 1013904223u;
        v = static_cast<float>(state >> 8) / 16777216.0f - 0.5f;
    }
    return x;
}

void realFft8192(benchmark::State& state)
{
    kiss_fftr_cfg fft = kiss_fftr_alloc(kSize, 0, nullptr, nullptr);
    const std::vector<float> input = noise(kSize);
    std::vector<kiss_fft_cpx> output(kSize / 2 + 1);
    for (auto _ : state) {
        kiss_fftr(fft, input.data(), output.data());
        benchmark::DoNotOptimize(output.data());
    }
    kiss_fftr_free(fft);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(realFft8192)->Unit(benchmark::kMicrosecond);

// One frame as the analysis computes it, from samples in memory.
void frameSpectrum(benchmark::State& state)
{
    FrameMagnitudes spectra(kSize, 2048);
    const std::vector<float> samples = noise(kSize);
    for (auto _ : state) {
        spectra.compute(1, std::span<const float>(samples));
        benchmark::DoNotOptimize(spectra.frame(0));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(frameSpectrum)->Unit(benchmark::kMicrosecond);

// A 9.2 s guitar chord, cut at 100 frames: the residual model 88 times over
// 212,992 samples, and 100 transforms for the recording and for each residual
// a resonator changed (23 of them), shared among the cores.
void analyseRealFile(benchmark::State& state)
{
    const std::string path = std::string(TOVARINE_TESTDATA_DIR) + "/wav/452845__loudernoises__clean-g-chord.wav";
    for (auto _ : state) {
        ImpulseAnalyser analyser;
        analyser.open(path.c_str());
        std::vector<CombEstimate> estimates(88);
        for (int i = 0; i < 88; ++i) {
            const double f = 440.0 * std::exp2((i + 12 - 69) / 12.0);
            estimates[static_cast<std::size_t>(i)] = {static_cast<float>(2.0 * f / 44100.0),
                                                      static_cast<float>(44100.0 / f), 1.0f, 0.0f, 0.0f};
        }
        if (analyser.analyse(kSize, 6144, 88, estimates.data()) != 0)
            state.SkipWithError("the recording was refused");
        benchmark::DoNotOptimize(estimates.data());
    }
}
BENCHMARK(analyseRealFile)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
