#include "analysis/ImpulseAnalyser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr double kRate = 44100.0;

void writeMonoWav(const std::string& path, const std::vector<float>& samples)
{
    std::ofstream out(path, std::ios::binary);
    const auto put = [&out](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.put(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    out << "RIFF";
    put(36 + dataBytes, 4);
    out << "WAVEfmt ";
    for (std::uint32_t v : {16u, 1u | 1u << 16, 44100u, 88200u, 2u | 16u << 16})  // mono 16-bit PCM
        put(v, 4);
    out << "data";
    put(dataBytes, 4);
    for (float s : samples)
        put(static_cast<std::uint32_t>(std::lround(s * 32767.0f)), 2);
}

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
    writeMonoWav(path, combImpulseResponse(8192 + 2048 * 20 + 100, 100, 0.995, 0.5));
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

    // One sample short of a window and a hop: too short, nothing changes.
    writeMonoWav(path, std::vector<float>(8192 + 2048 - 1, 0.1f));
    analyser.open(path.c_str());
    EXPECT_EQ(analyser.analyse(8192, 6144, 88, estimates.data()), -1);
    EXPECT_EQ(estimates[57].level, untouched[57].level);
    EXPECT_EQ(estimates[57].normFreq, untouched[57].normFreq);

    // Longer recordings are cut at 100 frames.
    writeMonoWav(path, std::vector<float>(8192 + 2048 * 150, 0.0f));
    analyser.open(path.c_str());
    EXPECT_EQ(analyser.analyse(8192, 6144, 0, estimates.data()), 0);
    EXPECT_EQ(analyser.frameCount, 100);

    // Silence: nothing to explain, every resonator ends off, nothing undefined.
    writeMonoWav(path, std::vector<float>(8192 + 2048 * 2, 0.0f));
    analyser.open(path.c_str());
    ASSERT_EQ(analyser.analyse(8192, 6144, 88, estimates.data()), 0);
    EXPECT_EQ(estimates[57].level, 0.0f);
    EXPECT_EQ(estimates[57].decay, 0.0f);
    EXPECT_FALSE(std::isnan(estimates[57].bright));

    // A DC offset: the lowest resonator's band holds the signed DC bin.
    writeMonoWav(path, std::vector<float>(8192 + 2048 * 2, -0.5f));
    analyser.open(path.c_str());
    estimates = standardEstimates({0, 57});
    ASSERT_EQ(analyser.analyse(8192, 6144, 88, estimates.data()), 0);
    EXPECT_TRUE(std::isfinite(estimates[0].level) && std::isfinite(estimates[0].decay));

    // An unreadable file holds no frames.
    analyser.open((path + ".missing").c_str());
    EXPECT_EQ(analyser.analyse(8192, 6144, 88, estimates.data()), -1);
    EXPECT_EQ(analyser.analyse(8192, 8192, 88, estimates.data()), -1);  // no hop
}

TEST(ImpulseAnalyserRealFiles, EveryResonatorGetsFiniteSettings)
{
    for (const char* file : {"juce_cello.wav", "rakarrack_2_superchamp.wav", "webaudio_slit-drum-hi.wav"}) {
        SCOPED_TRACE(file);
        ImpulseAnalyser analyser;
        analyser.open((std::string(TOVARINE_TESTDATA_DIR) + "/wav/" + file).c_str());
        std::vector<CombEstimate> estimates = standardEstimates({});
        for (CombEstimate& e : estimates)
            e.level = 1.0f;
        ASSERT_EQ(analyser.analyse(8192, 6144, 88, estimates.data()), 0);
        float loudest = 0.0f;
        for (const CombEstimate& e : estimates) {
            ASSERT_TRUE(std::isfinite(e.level) && std::isfinite(e.decay) && std::isfinite(e.bright));
            EXPECT_GE(e.level, 0.0f);
            EXPECT_GE(e.decay, 0.0f);
            loudest = std::max(loudest, e.level);
        }
        EXPECT_GT(loudest, 0.5f);
    }
}
