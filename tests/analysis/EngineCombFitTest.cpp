// A single resonator rendered by the engine, analysed as if it were a
// recording: the analysis must find the loop that made it. The engine's loop
// lowpass is y[n] = b x[n] + (1 - b) y[n-1] with b = brightCoef (so g = b - 1
// in 1 / (1 + g z^-1)), followed by the loop gain decayCoef.
#include "analysis/ImpulseAnalyser.h"
#include "tests/analysis/TestWavFile.h"
#include "tests/engine/EngineFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr float kRate = 44100.f;
constexpr int kComb = 57;  // 440 Hz

struct Fitted {
    double decay, bright, expectedDecay, expectedBright;
};

Fitted renderAndFit(double brightCoef, double decayCoef, const std::string& path)
{
    // The settings behind the coefficients: a setting v gives v^0.34.
    const auto setting = [](double coefficient) { return static_cast<float>(std::pow(coefficient, 1.0 / 0.34)); };
    auto engine = enginetest::makeQuietEngine(kRate);
    enginetest::tuneComb(*engine, kComb, {440.0, setting(brightCoef), 0.f, setting(decayCoef)});
    // Six frames: the harmonics of the darkest loop here still stand above
    // the float noise floor in the last one.
    std::vector<float> input(8192 + 2048 * 6, 0.f), left, right;
    input[0] = 1.f;
    enginetest::render(*engine, input, left, right, 256);
    testwav::writeMono(path, left, testwav::Format::Float32);

    // What the loop does to the fundamental in one period: the lowpass's
    // gain at 440 Hz times the loop gain.
    const double b = engine->combs.brightCoef[kComb];
    const double w = 2.0 * M_PI * 440.0 / kRate;
    const double lowpassGain = b / std::abs(1.0 - (1.0 - b) * std::polar(1.0, -w));

    ImpulseAnalyser analyser;
    analyser.open(path.c_str());
    std::vector<CombEstimate> estimates(kNumCombs, CombEstimate{0.f, 0.f, 0.f, 0.f, 0.f});
    estimates[kComb] = {static_cast<float>(2.0 * 440.0 / kRate), engine->currentCombs[kComb].Delay, 1.f, 0.f, 0.f};
    EXPECT_EQ(analyser.analyse(8192, 6144, kNumCombs, estimates.data()), 0);
    const CombEstimate& e = estimates[kComb];
    return {e.decay / e.level, e.bright, engine->combs.decayCoef[kComb] * lowpassGain, b};
}

}  // namespace

TEST(EngineCombFit, RecoversTheLoopFilterAndGain)
{
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("tovarine-enginecomb-" + std::to_string(::getpid()) + ".wav")).string();
    // Lowpass coefficients from dark to bright. Evaluating the filter at
    // twice each harmonic's frequency would fit 0.93, 0.96 and 0.98 here.
    const struct {
        double brightCoef, tolerance;
    } cases[] = {{0.8, 0.025}, {0.9, 0.02}, {0.95, 0.02}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.brightCoef);
        const Fitted f = renderAndFit(c.brightCoef, 0.98, path);
        ASSERT_NEAR(f.expectedBright, c.brightCoef, 1e-6);
        EXPECT_NEAR(f.bright, f.expectedBright, c.tolerance);
        // The fundamental's decay per period; the backward-integrated energy
        // of six frames bends down at the end, so it comes out a little short.
        EXPECT_NEAR(f.decay, f.expectedDecay, 0.012);
    }
    std::filesystem::remove(path);
}
