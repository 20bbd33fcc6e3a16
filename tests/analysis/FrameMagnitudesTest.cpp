#include "analysis/FrameMagnitudes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>
#include <vector>

namespace {

// The spectrum of samples[start ..] by a direct DFT in double precision,
// windowed by 0.5 (1 - cos(2 pi n / (N - 1))) with 2 pi rounded to float:
// X[0] with its sign, then |X[k]|.
void expectMatchesDirectDft(const FrameMagnitudes& spectra, int f, const std::vector<float>& samples, int start)
{
    const int n = spectra.size();
    std::vector<double> x(static_cast<std::size_t>(n));
    std::vector<std::complex<double>> twiddle(static_cast<std::size_t>(n));
    double energy = 0.0;
    for (int i = 0; i < n; ++i) {
        const double w = 0.5 * (1.0 - std::cos(static_cast<double>(6.2831855f) * i / (n - 1)));
        x[static_cast<std::size_t>(i)] = samples[static_cast<std::size_t>(start + i)] * w;
        energy += x[static_cast<std::size_t>(i)] * x[static_cast<std::size_t>(i)];
        twiddle[static_cast<std::size_t>(i)] = std::polar(1.0, -2.0 * M_PI * i / n);
    }
    // Float FFT rounding grows like log2(N) * eps * sqrt(N * energy).
    const double tolerance = 1e-5 * std::log2(n) * std::sqrt(n * energy);
    for (int k = 0; k < n / 2; ++k) {
        std::complex<double> sum = 0.0;
        for (int i = 0; i < n; ++i)
            sum += x[static_cast<std::size_t>(i)] * twiddle[static_cast<std::size_t>((1LL * k * i) % n)];
        const double expected = k == 0 ? sum.real() : std::abs(sum);
        ASSERT_NEAR(spectra.frame(f)[k], expected, tolerance) << "frame " << f << " bin " << k;
    }
}

std::vector<float> noise(std::size_t count, float offset)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    std::vector<float> out(count);
    for (float& v : out)
        v = offset + uniform(random);
    return out;
}

} // namespace

TEST(FrameMagnitudes, FullSizeFramesMatchDirectTransform)
{
    // Frames 2048 samples apart; the last one runs past the samples given,
    // which count as zero. A negative DC value keeps its sign.
    std::vector<float> samples = noise(8192 + 2048 - 100, -0.25f);
    FrameMagnitudes spectra(8192, 2048);
    spectra.compute(2, std::span<const float>(samples));
    ASSERT_EQ(spectra.bins(), 4096);
    EXPECT_LT(spectra.frame(0)[0], 0.0f);
    samples.resize(8192 + 2048, 0.0f);
    expectMatchesDirectDft(spectra, 0, samples, 0);
    expectMatchesDirectDft(spectra, 1, samples, 2048);
}

TEST(FrameMagnitudes, FramesSharedAmongThreadsEqualOneThreadsBits)
{
    // 37 frames split unevenly among the cores; the last frames run past the
    // samples. The one-thread reference reads through a callback.
    const std::vector<float> samples = noise(1024 + 256 * 36 - 300, 0.1f);
    FrameMagnitudes shared(1024, 256);
    FrameMagnitudes single(1024, 256);
    shared.compute(37, std::span<const float>(samples));
    single.compute(37, [&](long long n) {
        return n < static_cast<long long>(samples.size()) ? samples[static_cast<std::size_t>(n)] : 0.0f;
    });
    for (int f = 0; f < 37; ++f)
        for (int k = 0; k < shared.bins(); ++k)
            ASSERT_EQ(shared.frame(f)[k], single.frame(f)[k]) << "frame " << f << " bin " << k;
}
