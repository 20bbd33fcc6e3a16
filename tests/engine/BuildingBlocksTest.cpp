#include "engine/Biquad.h"
#include "engine/CombLfo.h"
#include "engine/FastMath.h"
#include "engine/FractionalDelay.h"
#include "engine/LevelCompressor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

TEST(FastMath, ExactAtPowersOfTwoLinearBetweenSafeOutside)
{
    EXPECT_EQ(fastPow10(0.0), 1.0);
    EXPECT_NEAR(fastPow10(-0.05), 0.5 * (1.0 + 0.8339036), 1e-6);
    EXPECT_NEAR(fastPow10(std::log10(0.25)), 0.25, 1e-12);
    for (double x = -40.0; x <= 0.0; x += 0.37)  // linear mantissa: at most 6.1 % off
        EXPECT_NEAR(fastPow10(x) / std::pow(10.0, x), 1.0, 0.062) << x;
    EXPECT_EQ(fastPow10(-400.0), 0.0);  // not a corrupted bit pattern
    EXPECT_EQ(fastPow10(std::nan("")), 0.0);

    EXPECT_EQ(fastLog2(8.f), 3.f);
    EXPECT_EQ(fastLog2(0.125f), -3.f);
    EXPECT_EQ(fastLog2(0.f), -127.f);
    EXPECT_FLOAT_EQ(fastLog2(3.f), 1.5f);
}

TEST(FractionalDelay, WholeAndFractionalDelays)
{
    FractionalDelay line(176400);
    ASSERT_TRUE(line.isAllocated());
    line.setDelay(22050.f);
    std::vector<float> out;
    for (int n = 0; n < 22060; ++n)
        out.push_back(line.tick(n == 3 ? 1.f : 0.f));
    for (int n = 0; n < 22060; ++n)
        EXPECT_EQ(out[n], n == 3 + 22050 ? 1.f : 0.f) << n;

    // A ramp delayed by a fraction comes out exactly (cubic interpolation is exact on lines).
    FractionalDelay small(64);
    small.setDelay(5.25f);
    float y = 0.f;
    for (int n = 0; n < 40; ++n)
        y = small.tick(static_cast<float>(n));
    EXPECT_NEAR(y, 39.f - 5.25f, 1e-4f);
}

TEST(FractionalDelay, LongDelaysAreLimitedToTheBuffer)
{
    FractionalDelay line(100);
    line.setDelay(250.5f);
    EXPECT_EQ(line.getWholeDelay(), 99);
    EXPECT_EQ(line.getFraction(), 0.f);
    line.setDelay(std::nanf(""));  // treated as no delay instead of an undefined conversion
    EXPECT_EQ(line.getWholeDelay(), 1);
}

TEST(Biquad, SilentUntilDesigned)
{
    Biquad filter;
    float b[3], a[3];
    filter.getCoefficients(b, a);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(b[k] + a[k], 0.f);
    for (int n = 0; n < 100; ++n)
        EXPECT_EQ(filter.process(n == 0 ? 1.f : 0.3f), 0.f);
}

TEST(Biquad, UnknownTypesKeepTheDesign)
{
    BiquadDesign design;
    design.slope = 3.f;
    Biquad filter;
    ASSERT_TRUE(filter.design(design, 8));  // second-order allpass: b = (k2, k1, 1)
    float b[3], a[3];
    filter.getCoefficients(b, a);
    EXPECT_NEAR(b[1], 2.0 * (3 - 2) / (3 + 1), 1e-7);
    EXPECT_FALSE(filter.design(design, 9));
    EXPECT_FALSE(filter.design(design, -1));
    float b2[3], a2[3];
    filter.getCoefficients(b2, a2);
    EXPECT_EQ(b2[1], b[1]);
}

// Every design has unity gain where it should: lowpass at DC, highpass at
// Nyquist, shelves and peaking at the far end from their boost.
TEST(Biquad, DesignsHaveTheirGains)
{
    auto gainAt = [](int type, float A, double hz) {
        Biquad f;
        BiquadDesign d;
        d.frequency = 2000.f;
        d.Q = 0.9f;
        d.gain = A;
        d.constantPeakGain = 1;
        f.design(d, type);
        float b[3], a[3];
        f.getCoefficients(b, a);
        const double w = 2.0 * M_PI * hz / 44100.0;
        const std::complex<double> z = std::polar(1.0, -w);
        const double B[3] = {b[0], b[1], b[2]}, Ad[3] = {a[0], a[1], a[2]};
        return std::abs((B[0] + B[1] * z + B[2] * z * z) / (Ad[0] + Ad[1] * z + Ad[2] * z * z));
    };
    EXPECT_NEAR(gainAt(0, 1.f, 0.0), 1.0, 1e-5);
    EXPECT_NEAR(gainAt(1, 1.f, 22050.0), 1.0, 1e-5);
    EXPECT_NEAR(gainAt(3, 1.f, 2000.0), 0.0, 1e-5);
    EXPECT_NEAR(gainAt(4, 1.f, 700.0), 1.0, 1e-5);
    EXPECT_NEAR(gainAt(2, 1.f, 2000.0), 1.0, 1e-5);  // constant-peak bandpass (flag set below)
    EXPECT_NEAR(gainAt(5, 2.f, 0.0), 4.0, 1e-3);    // low shelf: A^2 at DC
    EXPECT_NEAR(gainAt(6, 2.f, 22050.0), 4.0, 1e-3);
    EXPECT_NEAR(gainAt(7, 2.f, 2000.0), 4.0, 1e-3);  // peaking: A^2 at the centre
}

TEST(Biquad, LowpassPassesDcAndBlocksNyquist)
{
    Biquad filter;
    BiquadDesign design;
    design.frequency = 500.f;
    design.Q = 0.7071f;
    filter.design(design, 0);
    float y = 0.f;
    for (int n = 0; n < 5000; ++n)
        y = filter.process(1.f);
    EXPECT_NEAR(y, 1.f, 1e-4f);
    filter.reset();
    for (int n = 0; n < 5000; ++n)
        y = filter.process(n % 2 ? 1.f : -1.f);
    EXPECT_LT(std::fabs(y), 1e-3f);
}

TEST(LevelCompressor, GainFollowsTheThreshold)
{
    LevelCompressor limiter;
    limiter.thresholdDb = -20.f;
    limiter.ratio = 1.f / 6.f;
    float l = 0.f, r = 0.f;
    limiter.process(l, r);
    EXPECT_EQ(limiter.getLastGain(), 1.f);  // silence: about -764 dB, no reduction

    // A steady signal at 0 dB RMS: reduction (0 - (-20)) * (1 - 1/6) = 16.67 dB, as the fast power gives it.
    for (int n = 0; n < 100000; ++n) {
        l = 1.f;
        r = -1.f;
        limiter.process(l, r);
    }
    const double expected = fastPow10((0.0 - -20.0) * (1.0 - 1.0 / 6.0) * -0.05);
    EXPECT_NEAR(limiter.getLastGain(), expected, 1e-4);
    EXPECT_NEAR(l, expected, 1e-4);
    EXPECT_NEAR(r, -expected, 1e-4);

    // The envelope falls toward zero by the release factor, whatever the input.
    const float before = limiter.envelope;
    l = r = 0.1f;
    limiter.process(l, r);
    EXPECT_FLOAT_EQ(limiter.envelope, before * limiter.release);
}

// Below the threshold the limiter skips the level computation; the gain must be
// exactly what the full computation gives, at every envelope around each threshold.
TEST(LevelCompressor, QuietShortcutGivesTheFullComputationsGain)
{
    for (float threshold : {-48.f, -20.5f, -3.f, 0.f, 12.f}) {
        LevelCompressor limiter;
        limiter.thresholdDb = threshold;
        limiter.ratio = 1.f / 6.f;
        limiter.makeUpGain = 1.25f;
        // Mean squares from 1e-12 up past the threshold, finely around it.
        const float atThreshold = std::pow(10.f, threshold / 10.f);
        std::vector<float> squares;
        for (float x = 1e-12f; x < 1e6f; x *= 1.5f)
            squares.push_back(x);
        for (int step = -300; step <= 300; ++step)
            squares.push_back(std::nextafter(atThreshold, step < 0 ? 0.f : 1e30f) * (1.f + 1e-5f * static_cast<float>(step)));
        for (float square : squares) {
            limiter.envelope = square;
            limiter.release = 1.f;  // the sample below leaves the envelope where it is
            float l = 0.f, r = 0.f;
            limiter.process(l, r);
            const double levelDb = static_cast<double>(fastLog2(std::sqrt(square))) * 0.301029995663981 * 20.0;
            const double gain = levelDb > threshold ? fastPow10((levelDb - threshold) * (1.0 - limiter.ratio) * -0.05) : 1.0;
            ASSERT_EQ(limiter.getLastGain(), static_cast<float>(gain)) << "threshold " << threshold << ", mean square " << square;
        }
    }
}

// A chunk at a time, the limiter must give every sample the gain and the
// envelope it gives sample by sample: through quiet chunks (where it skips
// the level), loud ones and the swells from one into the other.
TEST(LevelCompressor, ChunksGiveTheSampleBySampleGains)
{
    for (float threshold : {-48.f, -20.f, -3.f}) {
        LevelCompressor bySample, byChunk;
        bySample.thresholdDb = byChunk.thresholdDb = threshold;
        bySample.makeUpGain = byChunk.makeUpGain = 1.25f;
        bySample.attack = byChunk.attack = 0.5f;  // an envelope that follows within a chunk
        bySample.release = byChunk.release = 0.9f;
        uint32_t seed = 1;
        for (int chunk = 0; chunk < 400; ++chunk) {
            const int n = 1 + chunk % 16;
            const float swell = std::pow(10.f, static_cast<float>(chunk % 50) / 20.f - 3.f);  // -60 to +38 dB
            float levels[16], squares[16], gains[16];
            for (int k = 0; k < n; ++k) {
                seed = seed * 1664525u + 1013904223u;
                levels[k] = swell * static_cast<float>(seed >> 8) / 16777216.f;
                squares[k] = (levels[k] * levels[k] + levels[k] * levels[k]) * 0.5f;
            }
            byChunk.processChunk(squares, gains, n);
            for (int k = 0; k < n; ++k) {
                float l = levels[k], r = levels[k];
                bySample.process(l, r);
                ASSERT_EQ(levels[k] * gains[k], l) << threshold << ", chunk " << chunk << ", sample " << k;
            }
            ASSERT_EQ(byChunk.envelope, bySample.envelope) << threshold << ", chunk " << chunk;
            ASSERT_EQ(byChunk.getLastGain(), bySample.getLastGain()) << threshold << ", chunk " << chunk;
        }
    }
}

TEST(CombLfo, TriangleFromZeroAtTheGivenRate)
{
    CombLfo lfo;
    lfo.setSampleRate(1024.f);
    lfo.setRate(4.f);  // 256 steps per period, one table entry per step
    std::vector<float> v;
    for (int n = 0; n < 512; ++n)
        v.push_back(lfo.advance());
    EXPECT_EQ(v[0], 0.f);
    EXPECT_EQ(v[64], 1.f);
    EXPECT_EQ(v[128], 0.f);
    EXPECT_EQ(v[192], -1.f);
    EXPECT_EQ(v[256], 0.f);
    EXPECT_FLOAT_EQ(v[32], 0.5f);
    EXPECT_FLOAT_EQ(v[160], -0.5f);

    EXPECT_EQ(CombLfo::incrementFor(1.0, 0.0), 0xFFFFFFFFu);  // no undefined conversion
    EXPECT_EQ(CombLfo::incrementFor(-3.0, 44100.0), 0u);
}
