#include "analysis/FrameSpectra.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>
#include <vector>

namespace {

// X[k] = sum_n x[n] e^(-2 pi i k n / N) in double precision, from a table of
// e^(-2 pi i m / N) indexed by k n mod N.
std::vector<std::complex<double>> directDft(const std::vector<double>& x)
{
    const std::size_t n = x.size();
    std::vector<std::complex<double>> twiddle(n);
    for (std::size_t m = 0; m < n; ++m)
        twiddle[m] = std::polar(1.0, -2.0 * M_PI * static_cast<double>(m) / static_cast<double>(n));
    std::vector<std::complex<double>> out(n / 2);
    for (std::size_t k = 0; k < n / 2; ++k) {
        std::complex<double> sum = 0.0;
        for (std::size_t i = 0; i < n; ++i)
            sum += x[i] * twiddle[(k * i) % n];
        out[k] = sum;
    }
    return out;
}

// The spectrum as specified: X[0] with its sign, then magnitudes.
void expectMatchesDirectDft(const FrameSpectra& spectra, int f, const std::vector<float>& samples, int start)
{
    const int n = spectra.size();
    std::vector<double> windowed(static_cast<std::size_t>(n));
    double energy = 0.0;
    for (int i = 0; i < n; ++i) {
        const double w = 0.5 * (1.0 - std::cos(static_cast<double>(6.2831855f) * i / (n - 1)));
        windowed[static_cast<std::size_t>(i)] = samples[static_cast<std::size_t>(start + i)] * w;
        energy += windowed[static_cast<std::size_t>(i)] * windowed[static_cast<std::size_t>(i)];
    }
    const auto expected = directDft(windowed);
    // Float FFT rounding grows like log2(N) * eps * sqrt(N * energy).
    const double tolerance = 1e-5 * std::log2(n) * std::sqrt(n * energy);
    EXPECT_NEAR(spectra.frame(f)[0], expected[0].real(), tolerance);
    for (int k = 1; k < n / 2; ++k)
        ASSERT_NEAR(spectra.frame(f)[k], std::abs(expected[static_cast<std::size_t>(k)]), tolerance) << "bin " << k;
}

std::vector<float> noise(std::size_t count, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    std::vector<float> out(count);
    for (float& v : out)
        v = uniform(random);
    return out;
}

} // namespace

TEST(FrameSpectra, HannWindowWithSinglePrecisionTwoPi)
{
    FrameSpectra spectra(8192, 2048);
    const auto& w = spectra.window();
    ASSERT_EQ(w.size(), 8192u);
    EXPECT_EQ(w[0], 0.0f);
    EXPECT_NEAR(w[8191], 0.0f, 1e-12);
    EXPECT_NEAR(w[4095], 1.0f, 1e-7);
    EXPECT_NEAR(w[2048], 0.5 * (1.0 - std::cos(6.2831855 * 2048 / 8191)), 1e-7);
    for (int n = 1; n < 4096; ++n)
        ASSERT_NEAR(w[n], w[8191 - n], 1e-6);
}

TEST(FrameSpectra, FramesMatchDirectTransformAtFullSize)
{
    const int frames = 2;
    const std::vector<float> samples = noise(8192 + 2048 * frames, 7);
    FrameSpectra spectra(8192, 2048);
    spectra.compute(frames, samples);
    ASSERT_EQ(spectra.frames(), frames);
    ASSERT_EQ(spectra.bins(), 4096);
    expectMatchesDirectDft(spectra, 0, samples, 0);
    expectMatchesDirectDft(spectra, 1, samples, 2048);
}

TEST(FrameSpectra, DcKeepsItsSignAndSinePeaksAtItsBin)
{
    const int n = 256;
    FrameSpectra spectra(n, 64);
    std::vector<float> samples(n + 64);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = -0.5f + 0.25f * static_cast<float>(std::sin(2.0 * M_PI * 20.0 * i / n));
    spectra.compute(2, samples);
    for (int f = 0; f < 2; ++f) {
        // Sum of the window is about (N - 1) / 2.
        EXPECT_NEAR(spectra.frame(f)[0], -0.5 * (n - 1) / 2.0, 0.05);
        // A bin-centred sine of amplitude a under this window: about a (N - 1) / 4.
        EXPECT_NEAR(spectra.frame(f)[20], 0.25 * (n - 1) / 4.0, 0.01);
        expectMatchesDirectDft(spectra, f, samples, 64 * f);
    }
}

TEST(FrameSpectra, ReadsFramesThroughCallbackAtHopSteps)
{
    const std::vector<float> samples = noise(128 + 32 * 3, 3);
    std::vector<int> reads(samples.size(), 0);
    FrameSpectra spectra(128, 32);
    spectra.compute(4, [&](long long i) {
        ++reads[static_cast<std::size_t>(i)];
        return samples[static_cast<std::size_t>(i)];
    });
    // Overlapping frames: sample i is read once by each frame that covers it.
    EXPECT_EQ(reads[0], 1);
    EXPECT_EQ(reads[100], 4);
    EXPECT_EQ(reads.back(), 1);
    expectMatchesDirectDft(spectra, 3, samples, 96);

    // Fewer samples than frames need: the missing ones count as zero.
    FrameSpectra fromShort(128, 32);
    std::vector<float> padded(samples.begin(), samples.begin() + 150);
    fromShort.compute(2, std::span<const float>(padded));
    padded.resize(160, 0.0f);
    expectMatchesDirectDft(fromShort, 1, padded, 32);
}
