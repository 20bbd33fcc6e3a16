// Pitch and decay time of single resonators measured on rendered impulses,
// and the peak level of the loudest settings under tension, at every kernel
// width: run two builds and compare their lines to see what an arithmetic
// change did to the sound.
//
//   impulse_measures   prints "ring F BRIGHT STIFF DECAY width W cents C t60 T fall DB"
//                      and "extreme MODEL DECAY BRIGHT STIFF width W peak P last L"
//   impulse_measures --without-fma   the same at four lanes without FMA
#include "engine/ResonatorEngine.h"
#include "tests/engine/EngineFixture.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

using namespace enginetest;

namespace {

constexpr double kRate = 44100.0;

// Seconds to fall by 60 dB: a line fitted to the level of 2048-sample windows
// from the second one on, down to 80 dB below the loudest.
double decaySeconds(const std::vector<float>& x)
{
    constexpr std::size_t kWindow = 2048;
    std::vector<double> levels;
    for (std::size_t start = 0; start + kWindow <= x.size(); start += kWindow) {
        double energy = 0.0;
        for (std::size_t k = start; k < start + kWindow; ++k)
            energy += static_cast<double>(x[k]) * x[k];
        levels.push_back(10.0 * std::log10(energy / kWindow + 1e-300));
    }
    double loudest = -1e300;
    for (double level : levels)
        loudest = std::max(loudest, level);
    double n = 0, sumT = 0, sumL = 0, sumTT = 0, sumTL = 0;
    for (std::size_t w = 1; w < levels.size() && levels[w] > loudest - 80.0; ++w) {
        const double t = static_cast<double>(w * kWindow) / kRate;
        n += 1, sumT += t, sumL += levels[w], sumTT += t * t, sumTL += t * levels[w];
    }
    const double slope = (n * sumTL - sumT * sumL) / (n * sumTT - sumT * sumT);  // dB per second
    return -60.0 / slope;
}

void measureRinging(KernelWidth width)
{
    for (double f : {27.5, 110.0, 440.0, 1760.0, 4186.0})
        for (float bright : {0.05f, 0.5f, 0.85f, 1.f})
            for (float stiff : {0.f, 0.5f, 0.95f})
                for (float decay : {0.9f, 0.99f, 0.999f}) {
                    auto engine = makeQuietEngine(static_cast<float>(kRate));
                    engine->useKernelWidth(width);
                    CombSetup s{f, bright, stiff, decay};
                    tuneComb(*engine, 45, s);
                    engine->publishSettings();
                    std::vector<float> input(static_cast<std::size_t>(3 * kRate), 0.f), left, right;
                    input[0] = 1.f;
                    render(*engine, input, left, right, 512);
                    // The first half second, before a fast-decaying resonance sinks into the
                    // rounding noise of the loop's slowly decaying low end.
                    const std::vector<float> first(left.begin(), left.begin() + static_cast<long>(kRate / 2));
                    // How far the spectrum falls 5 cents off its peak: a resonance so damped
                    // that it barely falls has no pitch worth comparing.
                    const double cents = peakCents(first, f, kRate);
                    const double fall = 20.0 * std::log10(spectrumAt(first, f * std::exp2(cents / 1200.0), kRate) /
                                                          spectrumAt(first, f * std::exp2((cents + 5.0) / 1200.0), kRate));
                    std::printf("ring %g %g %g %g width %d cents %.6f t60 %.6f fall %.4f\n", f, bright, stiff, decay,
                                static_cast<int>(width), cents, decaySeconds(left), fall);
                }
}

// Every resonator at the extremes of Decay, Bright and Stiff under tension
// models A (the deepest) and B, loud noise for a second and then silence for two.
void measureExtremes(KernelWidth width)
{
    for (float model : {0.1f, 0.2f})
    for (float decay : {0.f, 1.f})
        for (float bright : {0.f, 1.f})
            for (float stiff : {0.f, 1.f}) {
                auto engine = makeQuietEngine(static_cast<float>(kRate));
                engine->useKernelWidth(width);
                for (int i = 0; i < kNumCombs; ++i) {
                    CombSettings& c = engine->currentCombs[i];
                    c.Out = 1.f, c.Velocity = 0.f, c.Decay = decay, c.Bright = bright, c.Stiff = stiff;
                    engine->deriveCombValues(i);
                    engine->updateCombDelay(i, c.Delay);
                }
                engine->liveParams[32] = model;
                engine->applyPendingChanges();
                engine->publishSettings();
                std::vector<float> input(static_cast<std::size_t>(3 * kRate), 0.f), left, right;
                uint32_t n = 7;
                for (std::size_t k = 0; k < static_cast<std::size_t>(kRate); ++k) {
                    n = n * 1664525u + 1013904223u;
                    input[k] = static_cast<float>(n >> 8) / 8388608.f - 1.f;
                }
                render(*engine, input, left, right, 512);
                double peak = 0.0, last = 0.0;
                for (std::size_t k = 0; k < left.size(); ++k) {
                    const double v = std::fabs(static_cast<double>(left[k]));
                    peak = std::isfinite(v) ? std::max(peak, v) : INFINITY;
                    if (k >= left.size() - static_cast<std::size_t>(kRate / 10))
                        last = std::isfinite(v) ? std::max(last, v) : INFINITY;
                }
                std::printf("extreme %g %g %g %g width %d peak %.6g last %.6g\n", model, decay, bright, stiff,
                            static_cast<int>(width), peak, last);
            }
}

}  // namespace

int main(int argc, char** argv)
{
    // --without-fma: the four-lane kernel as processors without FMA run it.
    if (argc > 1 && std::string(argv[1]) == "--without-fma") {
        useFmaInNarrowKernel(false);
        measureRinging(kFourLanes);
        measureExtremes(kFourLanes);
        return 0;
    }
    for (KernelWidth width : kernelWidths()) {
        measureRinging(width);
        measureExtremes(width);
    }
    return 0;
}
