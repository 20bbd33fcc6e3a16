#include "analysis/HarmonicDecay.h"
#include "analysis/LoopFilterFit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

TEST(SpectrumPeak, ParabolicRefinementAndItsExceptions)
{
    // Samples of 10 - (k - 50.3)^2: the vertex is recovered exactly.
    std::vector<float> parabola(100, 0.0f);
    for (int k = 45; k <= 55; ++k)
        parabola[k] = static_cast<float>(10.0 - (k - 50.3) * (k - 50.3));
    const SpectrumPeak peak = findSpectrumPeak(parabola, 47, 53);
    EXPECT_EQ(peak.bin, 50);
    EXPECT_NEAR(peak.offset, 0.3, 1e-5);
    EXPECT_NEAR(peak.value, 10.0, 1e-4);

    const std::vector<float> s = {-3.0f, 5.0f, 1.0f, 4.0f, 4.0f, 2.0f, 0.0f, 0.0f, 0.0f, 7.0f};
    const struct {
        int from, to, bin;
        float value;
    } cases[] = {
        {2, 6, 3, 4.0f},    // equal values: the first wins, no refinement
        {0, 3, 1, 5.0f},    // bins 0 and 1 and the last are taken as they are
        {8, 12, 9, 7.0f},
        {0, 1, 0, -3.0f},   // nothing above zero: the range's first bin
        {20, 30, 0, 0.0f},  // outside the spectrum
    };
    for (const auto& c : cases) {
        const SpectrumPeak p = findSpectrumPeak(s, c.from, c.to);
        EXPECT_EQ(p.bin, c.bin) << c.from;
        EXPECT_EQ(p.value, c.value) << c.from;
        EXPECT_EQ(p.offset, 0.0) << c.from;
    }
}

TEST(DecayPerPeriod, ExponentialPeaksGiveTheirRate)
{
    // Halving every frame; the backward integration bends only the last few
    // of 100 frames, moving the fitted rate by less than 0.1%.
    std::vector<double> peaks(100);
    for (std::size_t f = 0; f < peaks.size(); ++f)
        peaks[f] = 3.0 * std::pow(0.5, static_cast<double>(f));
    EXPECT_NEAR(decayPerPeriod(peaks, 2048.0, 2048), 0.5, 5e-4);
    EXPECT_NEAR(decayPerPeriod(peaks, 4096.0, 2048), 0.25, 5e-4);
    EXPECT_TRUE(std::isnan(decayPerPeriod(std::vector<double>{1.0}, 100.0, 2048)));
}

TEST(LoopFilterFit, RecoversTheCoefficientThatMadeTheDecays)
{
    // normFreq 0.02 is 441 Hz at 44.1 kHz: harmonic h sits at w = pi 0.02 h
    // radians per sample, where the loop's one-pole 1 / (1 + g z^-1) passes
    // |H(e^jw)|; relative to the fundamental that is the decay per period.
    const double normFreq = 0.02;
    const double pi = std::acos(-1.0);
    const auto gain = [](double g, double w) { return 1.0 / std::abs(1.0 + g * std::polar(1.0, -w)); };
    for (double x : {3.0, 7.4, 12.6}) {
        const double g = -(0.0025 * x * x + 0.001);
        std::vector<double> decays;
        for (int h = 1; h <= 20; ++h)
            decays.push_back(gain(g, pi * normFreq * h) / gain(g, pi * normFreq));
        const double fitted = fitLoopFilter(normFreq, decays);
        EXPECT_NEAR(std::sqrt((-fitted - 0.001) / 0.0025), x, 0.3);
    }

    // No data: every candidate scores 0 and the first stays.
    std::vector<double> none(5, 0.0);
    EXPECT_NEAR(fitLoopFilter(normFreq, none), -0.001, 1e-9);

    // From the fifth harmonic on, a decay far above both previous ones is
    // scaled down by the previous one, once.
    std::vector<double> outlier = {1.0, 0.5, 0.9, 0.7, 0.6, 0.95};
    fitLoopFilter(normFreq, outlier);
    EXPECT_EQ(outlier[2], 0.9);
    EXPECT_DOUBLE_EQ(outlier[5], 0.6 * 0.95);
}
