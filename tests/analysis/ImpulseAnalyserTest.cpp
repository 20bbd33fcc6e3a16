#include "analysis/ImpulseAnalyser.h"
#include "tests/analysis/TestWavFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr double kRate = 44100.0;

// The response of one comb to an impulse: a loop of `period` samples with a
// one-pole lowpass (coefficient `bright`) and gain `decay`.
std::vector<float> combImpulseResponse(std::size_t length, int period, double decay, double bright)
{
    std::vector<float> y(length);
    double lowpass = 0.0;
    for (std::size_t n = 0; n < length; ++n) {
        const double input = n == 0 ? 0.5 : 0.0;
        const double delayed = n >= static_cast<std::size_t>(period) ? y[n - static_cast<std::size_t>(period)] : 0.0;
        lowpass = bright * delayed + (1.0 - bright) * lowpass;
        y[n] = static_cast<float>(input + decay * lowpass);
    }
    return y;
}

std::vector<CombEstimate> standardEstimates(std::initializer_list<int> switchedOn)
{
    std::vector<CombEstimate> estimates(88);
    for (int i = 0; i < 88; ++i) {
        const double f = 440.0 * std::exp2((i + 12 - 69) / 12.0);
        estimates[static_cast<std::size_t>(i)] = {static_cast<float>(2.0 * f / kRate), static_cast<float>(kRate / f),
                                                  0.0f, 0.0f, 0.0f};
    }
    for (int i : switchedOn)
        estimates[static_cast<std::size_t>(i)].level = 1.0f;
    return estimates;
}

class ImpulseAnalyserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = (std::filesystem::temp_directory_path() /
                ("tovarine-impulse-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".wav"))
                   .string();
    }
    void TearDown() override { std::filesystem::remove(path); }

    std::string path;
};

} // namespace

TEST_F(ImpulseAnalyserTest, MeasuresTheCombThatRingsInTheRecording)
{
    // A comb of 100 samples rings near 437 Hz (the lowpass adds about one
    // sample of delay): resonator 57 (440 Hz) should explain it.
    testwav::writeMono(path, combImpulseResponse(8192 + 2048 * 20 + 100, 100, 0.995, 0.5));
    ImpulseAnalyser analyser;
    analyser.open(path.c_str());
    ASSERT_TRUE(analyser.valid);
    std::vector<CombEstimate> estimates = standardEstimates({45, 57, 64});
    const std::vector<CombEstimate> before = estimates;

    ASSERT_EQ(analyser.analyse(8192, 6144, 88, estimates.data()), 0);
    EXPECT_EQ(analyser.frameCount, 20);

    const CombEstimate& ringing = estimates[57];
    EXPECT_NEAR(ringing.period, 101.0, 1.0);
    EXPECT_NEAR(ringing.normFreq * ringing.period, 2.0f, 1e-5);
    // Out is (energy share x energy explained)^(1/4); this resonator holds
    // all the energy, and its model explains a few per cent of it.
    ASSERT_GT(ringing.level, 0.8f);
    // Decay is the fundamental's amplitude factor per period (scaled by the level).
    EXPECT_NEAR(ringing.decay / ringing.level, 0.99, 0.01);
    EXPECT_GE(ringing.bright, 0.0f);
    EXPECT_LE(ringing.bright, 1.0f);

    // Resonators with nothing at their pitch come out much weaker.
    EXPECT_LT(estimates[45].level, 0.3f * ringing.level);
    EXPECT_LT(estimates[64].level, 0.3f * ringing.level);

    // Switched-off resonators are left alone and end with no decay.
    const CombEstimate& off = estimates[56];
    EXPECT_TRUE(off.level == 0.0f && off.decay == 0.0f && off.bright == 0.0f);
    EXPECT_EQ(off.normFreq, before[56].normFreq);
    EXPECT_TRUE(analyser.samples.empty());
}

TEST_F(ImpulseAnalyserTest, FrameCountLimits)
{
    std::vector<CombEstimate> estimates = standardEstimates({57});
    const std::vector<CombEstimate> untouched = estimates;
    ImpulseAnalyser analyser;

    // One frame, or one sample short of two: no decay can be measured, so
    // the file counts as too short and nothing changes.
    for (int length : {8192 + 2048, 8192 + 2 * 2048 - 1}) {
        testwav::writeMono(path, std::vector<float>(static_cast<std::size_t>(length), 0.1f));
        analyser.open(path.c_str());
        EXPECT_EQ(analyser.analyse(8192, 6144, 88, estimates.data()), -1) << length;
        EXPECT_EQ(estimates[57].level, untouched[57].level);
        EXPECT_EQ(estimates[57].normFreq, untouched[57].normFreq);
    }

    // Longer recordings are cut at 100 frames.
    testwav::writeMono(path, std::vector<float>(8192 + 2048 * 150, 0.0f));
    analyser.open(path.c_str());
    EXPECT_EQ(analyser.analyse(8192, 6144, 0, estimates.data()), 0);
    EXPECT_EQ(analyser.frameCount, 100);

    // Silence: nothing to explain, every resonator ends off, nothing undefined.
    testwav::writeMono(path, std::vector<float>(8192 + 2048 * 2, 0.0f));
    analyser.open(path.c_str());
    ASSERT_EQ(analyser.analyse(8192, 6144, 88, estimates.data()), 0);
    EXPECT_EQ(estimates[57].level, 0.0f);
    EXPECT_EQ(estimates[57].decay, 0.0f);
    EXPECT_FALSE(std::isnan(estimates[57].bright));

    // A DC offset: the lowest resonator's band holds the signed DC bin.
    testwav::writeMono(path, std::vector<float>(8192 + 2048 * 2, -0.5f));
    analyser.open(path.c_str());
    estimates = standardEstimates({0, 57});
    ASSERT_EQ(analyser.analyse(8192, 6144, 88, estimates.data()), 0);
    EXPECT_TRUE(std::isfinite(estimates[0].level) && std::isfinite(estimates[0].decay));

    // An unreadable file holds no frames.
    analyser.open((path + ".missing").c_str());
    EXPECT_EQ(analyser.analyse(8192, 6144, 88, estimates.data()), -1);
    EXPECT_EQ(analyser.analyse(8192, 8192, 88, estimates.data()), -1);  // no hop
}

TEST_F(ImpulseAnalyserTest, UnusableSamplesCountAsSilence)
{
    // A float recording may hold NaN and infinities; they must not turn the
    // spectra, and with them every result, into NaN.
    std::vector<float> clean = combImpulseResponse(8192 + 2048 * 8, 100, 0.995, 0.9);
    std::vector<float> spoilt = clean;
    for (std::size_t n = 20000; n < spoilt.size(); n += 97)
        spoilt[n] = n % 2 ? std::numeric_limits<float>::quiet_NaN() : -std::numeric_limits<float>::infinity();
    std::vector<CombEstimate> results[2];
    for (int k = 0; k < 2; ++k) {
        testwav::writeMono(path, k == 0 ? clean : spoilt, testwav::Format::Float32);
        ImpulseAnalyser analyser;
        analyser.open(path.c_str());
        results[k] = standardEstimates({50, 57, 64});
        ASSERT_EQ(analyser.analyse(8192, 6144, 88, results[k].data()), 0);
    }
    for (int i : {50, 57, 64}) {
        const CombEstimate& e = results[1][static_cast<std::size_t>(i)];
        ASSERT_TRUE(std::isfinite(e.level) && std::isfinite(e.decay) && std::isfinite(e.bright)) << i;
        EXPECT_NEAR(e.level, results[0][static_cast<std::size_t>(i)].level, 0.05) << i;
    }
    EXPECT_NEAR(results[1][57].decay, results[0][57].decay, 0.02);

    // Values far beyond full scale would overflow the float transforms.
    spoilt = clean;
    spoilt[30000] = 3e38f;
    spoilt[30001] = -3e38f;
    testwav::writeMono(path, spoilt, testwav::Format::Float32);
    ImpulseAnalyser analyser;
    analyser.open(path.c_str());
    std::vector<CombEstimate> estimates = standardEstimates({50, 57, 64});
    ASSERT_EQ(analyser.analyse(8192, 6144, 88, estimates.data()), 0);
    for (const CombEstimate& e : estimates)
        ASSERT_TRUE(std::isfinite(e.level) && std::isfinite(e.decay) && std::isfinite(e.bright));
}
