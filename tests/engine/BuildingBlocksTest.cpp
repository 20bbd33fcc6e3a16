#include "engine/Biquad.h"
#include "engine/CombLfo.h"
#include "engine/FastMath.h"
#include "engine/FractionalDelay.h"
#include "engine/LevelCompressor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

TEST(FastMath, Pow10ExactAtPowersOfTwoAndLinearBetween)
{
    EXPECT_EQ(fastPow10(0.0), 1.0);
    EXPECT_NEAR(fastPow10(-0.05), 0.5 * (1.0 + 0.8339036), 1e-6);
    EXPECT_NEAR(fastPow10(std::log10(8.0)), 8.0, 1e-12);
    EXPECT_NEAR(fastPow10(std::log10(0.25)), 0.25, 1e-12);
    // Within the linear-mantissa error (at most 6.1 %) everywhere in the limiter's range.
    for (double x = -40.0; x <= 0.0; x += 0.37)
        EXPECT_NEAR(fastPow10(x) / std::pow(10.0, x), 1.0, 0.062) << x;
    // Far outside the exponent range: 0 rather than a corrupted bit pattern.
    EXPECT_EQ(fastPow10(-400.0), 0.0);
    EXPECT_EQ(fastPow10(std::nan("")), 0.0);
}

TEST(FastMath, Log2ExactAtPowersOfTwo)
{
    EXPECT_EQ(fastLog2(1.f), 0.f);
    EXPECT_EQ(fastLog2(8.f), 3.f);
    EXPECT_EQ(fastLog2(0.125f), -3.f);
    EXPECT_EQ(fastLog2(0.f), -127.f);
    EXPECT_FLOAT_EQ(fastLog2(3.f), 1.5f);  // 1 + (1.5 - 1)
    for (float x = 0.001f; x < 1000.f; x *= 1.37f)
        EXPECT_NEAR(fastLog2(x), std::log2(x), 0.09) << x;
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

TEST(Biquad, CookbookCoefficients)
{
    const double rate = 44100.0, f = 1000.0, Q = 2.0, A = 1.5;
    const double w0 = 2.0 * static_cast<double>(static_cast<float>(M_PI)) * f / rate;
    const double cs = std::cos(w0), sn = std::sin(w0), alpha = sn / (2.0 * Q);
    const double beta = std::sqrt(A) / Q * sn;
    struct Expected { int type; double b[3]; double a[3]; };
    const Expected cases[] = {
        {0, {(1 - cs) / 2, 1 - cs, (1 - cs) / 2}, {1 + alpha, -2 * cs, 1 - alpha}},
        {1, {(1 + cs) / 2, -(1 + cs), (1 + cs) / 2}, {1 + alpha, -2 * cs, 1 - alpha}},
        {2, {Q * alpha, 0, -Q * alpha}, {1 + alpha, -2 * cs, 1 - alpha}},
        {3, {1, -2 * cs, 1}, {1 + alpha, -2 * cs, 1 - alpha}},
        {4, {1 - alpha, -2 * cs, 1 + alpha}, {1 + alpha, -2 * cs, 1 - alpha}},
        {5, {A * ((A + 1) - (A - 1) * cs + beta), 2 * A * ((A - 1) - (A + 1) * cs), A * ((A + 1) - (A - 1) * cs - beta)},
            {(A + 1) + (A - 1) * cs + beta, -2 * ((A - 1) + (A + 1) * cs), (A + 1) + (A - 1) * cs - beta}},
        {6, {A * ((A + 1) + (A - 1) * cs + beta), -2 * A * ((A - 1) + (A + 1) * cs), A * ((A + 1) + (A - 1) * cs - beta)},
            {(A + 1) - (A - 1) * cs + beta, 2 * ((A - 1) - (A + 1) * cs), (A + 1) - (A - 1) * cs - beta}},
        {7, {1 + alpha * A, -2 * cs, 1 - alpha * A}, {1 + alpha / A, -2 * cs, 1 - alpha / A}},
    };
    BiquadDesign design;
    design.frequency = static_cast<float>(f);
    design.Q = static_cast<float>(Q);
    design.gain = static_cast<float>(A);
    for (const auto& c : cases) {
        Biquad filter;
        ASSERT_TRUE(filter.design(design, c.type));
        float b[3], a[3];
        filter.getCoefficients(b, a);
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(b[k], c.b[k], 1e-6) << "type " << c.type << " b" << k;
            EXPECT_NEAR(a[k], c.a[k], 1e-6) << "type " << c.type << " a" << k;
        }
    }

    // Constant-peak bandpass and the allpass from the slope field.
    Biquad bandpass;
    design.constantPeakGain = 1;
    bandpass.design(design, 2);
    float b[3], a[3];
    bandpass.getCoefficients(b, a);
    EXPECT_NEAR(b[0], alpha, 1e-7);
    design.slope = 3.f;
    Biquad allpass;
    allpass.design(design, 8);
    allpass.getCoefficients(b, a);
    EXPECT_NEAR(b[1], 2.0 * (3 - 2) / (3 + 1), 1e-7);
    EXPECT_NEAR(b[0], (3 - 1) * (3 - 2) / double((3 + 2) * (3 + 1)), 1e-7);
    EXPECT_EQ(a[0], 1.f);

    // Unknown types change nothing.
    EXPECT_FALSE(allpass.design(design, 9));
    EXPECT_FALSE(allpass.design(design, -1));
    float b2[3], a2[3];
    allpass.getCoefficients(b2, a2);
    EXPECT_EQ(b2[1], b[1]);
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

    // Between table entries the value is interpolated.
    CombLfo slow;
    slow.setSampleRate(2048.f);
    slow.setRate(4.f);
    slow.advance();
    EXPECT_FLOAT_EQ(slow.advance(), 0.5f / 64.f);

    EXPECT_EQ(CombLfo::incrementFor(1.0, 0.0), 0xFFFFFFFFu);  // no undefined conversion
    EXPECT_EQ(CombLfo::incrementFor(-3.0, 44100.0), 0u);
}
