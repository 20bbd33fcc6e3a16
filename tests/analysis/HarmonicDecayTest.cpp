#include "analysis/HarmonicDecay.h"
#include "analysis/LoopFilterFit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

TEST(SpectrumPeak, ParabolaThroughStrictMaximum)
{
    // Samples of the parabola 10 - (k - 50.3)^2: the vertex is recovered exactly.
    std::vector<float> spectrum(100, 0.0f);
    for (int k = 45; k <= 55; ++k)
        spectrum[k] = static_cast<float>(10.0 - (k - 50.3) * (k - 50.3));
    const SpectrumPeak peak = findSpectrumPeak(spectrum, 47, 53);
    EXPECT_EQ(peak.bin, 50);
    EXPECT_NEAR(peak.offset, 0.3, 1e-5);
    EXPECT_NEAR(peak.value, 10.0, 1e-4);
}

TEST(SpectrumPeak, PlateausEdgesAndEmptyRanges)
{
    std::vector<float> spectrum = {-3.0f, 5.0f, 1.0f, 4.0f, 4.0f, 2.0f, 0.0f, 0.0f, 0.0f, 7.0f};
    // Equal values: the first one wins, and it is not a strict maximum.
    SpectrumPeak peak = findSpectrumPeak(spectrum, 2, 6);
    EXPECT_EQ(peak.bin, 3);
    EXPECT_EQ(peak.offset, 0.0);
    EXPECT_EQ(peak.value, 4.0);
    // Bins 0 and 1 and the last bin are taken as they are.
    peak = findSpectrumPeak(spectrum, 0, 3);
    EXPECT_EQ(peak.bin, 1);
    EXPECT_EQ(peak.value, 5.0);
    peak = findSpectrumPeak(spectrum, 8, 12);
    EXPECT_EQ(peak.bin, 9);
    EXPECT_EQ(peak.value, 7.0);
    // Nothing above zero: the first bin of the range with its own value.
    peak = findSpectrumPeak(spectrum, 0, 1);
    EXPECT_EQ(peak.bin, 0);
    EXPECT_EQ(peak.value, -3.0);
    peak = findSpectrumPeak(spectrum, 6, 9);
    EXPECT_EQ(peak.bin, 6);
    EXPECT_EQ(peak.value, 0.0);
    peak = findSpectrumPeak(spectrum, 20, 30);
    EXPECT_EQ(peak.value, 0.0);
}

TEST(DecayPerPeriod, ExponentialPeaksGiveTheirRate)
{
    // Peaks halving every frame; the backward integration bends only the last
    // few of 100 frames, which moves the fitted rate by less than 0.1%.
    std::vector<double> peaks(100);
    for (std::size_t f = 0; f < peaks.size(); ++f)
        peaks[f] = 3.0 * std::pow(0.5, static_cast<double>(f));
    EXPECT_NEAR(decayPerPeriod(peaks, 2048.0, 2048), 0.5, 5e-4);
    EXPECT_NEAR(decayPerPeriod(peaks, 4096.0, 2048), 0.25, 5e-4);
    EXPECT_NEAR(decayPerPeriod(peaks, 20.48, 2048), std::pow(0.5, 0.01), 1e-5);

    EXPECT_TRUE(std::isnan(decayPerPeriod(std::vector<double>{1.0}, 100.0, 2048)));
    const double silent = decayPerPeriod(std::vector<double>(10, 0.0), 100.0, 2048);
    EXPECT_FALSE(silent > 0.0 && silent <= 1.0);
}

namespace {

double candidate(double x)
{
    return -(0.0025 * x * x + 0.001);
}

std::vector<double> modelDecays(double g, double normFreq, int harmonics)
{
    const double twoPi = static_cast<double>(6.2831855f);
    std::vector<double> decays;
    const double atFundamental = std::sqrt(g * (g + 2.0 * std::cos(twoPi * normFreq)) + 1.0);
    for (int h = 1; h <= harmonics; ++h)
        decays.push_back(atFundamental / std::sqrt(g * (g + 2.0 * std::cos(twoPi * normFreq * h)) + 1.0));
    return decays;
}

} // namespace

TEST(LoopFilterFit, RecoversTheCoefficientThatMadeTheDecays)
{
    for (double x : {3.0, 7.4, 12.6}) {
        SCOPED_TRACE(x);
        std::vector<double> decays = modelDecays(candidate(x), 0.02, 20);
        const double g = fitLoopFilter(0.02, decays);
        // The parabola through three candidates' errors lands near the truth.
        EXPECT_NEAR(std::sqrt((-g - 0.001) / 0.0025), x, 0.3);
    }
}

TEST(LoopFilterFit, NoDataAndOutliers)
{
    // Without measurements every candidate scores 0 and the first one stays.
    std::vector<double> none;
    EXPECT_NEAR(fitLoopFilter(0.02, none), -0.001, 1e-9);
    std::vector<double> zeros(5, 0.0);
    EXPECT_NEAR(fitLoopFilter(0.02, zeros), -0.001, 1e-9);

    // A sixth harmonic far above its predecessors is scaled down by the
    // previous decay (once, before the first candidate sees it); earlier
    // harmonics are never corrected.
    std::vector<double> decays = {1.0, 0.9, 0.8, 0.7, 0.6, 0.95};
    fitLoopFilter(0.02, decays);
    EXPECT_DOUBLE_EQ(decays[5], 0.6 * 0.95);
    std::vector<double> early = {1.0, 0.5, 0.9};
    fitLoopFilter(0.02, early);
    EXPECT_EQ(early[2], 0.9);
}
