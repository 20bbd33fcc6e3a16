// Second-order section (direct form I) with the Audio EQ Cookbook designs.
// Coefficients start at zero, so an undesigned filter outputs silence.
#pragma once

#include "engine/FilterBase.h"

#include <bit>
#include <cstdint>

struct BiquadDesign {
    float frequency = 1000.f;  // Hz
    float Q = 0.7071f;         // or the bandwidth in octaves when bandwidthGiven
    float gain = 1.f;          // linear amplitude A (shelves, peaking)
    float slope = 1.f;         // S of the second-order allpass (type 8)
    uint8_t bandwidthGiven = 0;
    uint8_t constantPeakGain = 0;  // bandpass: 0 dB peak instead of peak gain Q
};

// One step of a direct form I section with anti-denormal offset, summed in
// the order StereoBiquad sums the feedback filters (feed-forward half, then
// a2 y2, then a1 y1), so a filter run alone rounds as the feedback path does.
template <typename T>
inline T biquadStep(T x, T b0, T b1, T b2, T a1, T a2, T& x1, T& x2, T& y1, T& y2, T& offset)
{
    const T xo = x + offset;
    const T y = ((b0 * xo + b1 * x1 + b2 * x2) - a2 * y2) - a1 * y1;
    x2 = x1;
    x1 = xo;
    y2 = y1;
    y1 = y;
    offset = -offset;
    return y;
}

class Biquad : public FilterBase {
public:
    enum Type {
        kLowpass = 0,
        kHighpass,
        kBandpass,
        kNotch,
        kAllpass,
        kLowShelf,
        kHighShelf,
        kPeaking,
        kAllpassFromSlope,
        kNumTypes
    };

    Biquad();

    void setSampleRate(float rate) override { sampleRate = rate; }
    float process(float x) final;
    // Samples not processed: the anti-denormal term keeps its alternation.
    void skipSamples(int64_t count)
    {
        if (count & 1)
            offset = -offset;
    }
    void reset() override;

    // Whether every output is zero until the next design, whatever the input
    // (short of infinities): no feed-forward and no state to ring out, as
    // before the first design.
    bool passesNothing() const
    {
        // Zeros of either sign, and finite poles: a float is finite when its exponent is not all ones.
        const auto bits = [](float x) { return std::bit_cast<uint32_t>(x); };
        const uint32_t zeros = (bits(b0) | bits(b1) | bits(b2) | bits(y1) | bits(y2)) << 1;
        const uint32_t exponent = 0x7F800000u;
        return zeros == 0 && (bits(a1) & exponent) != exponent && (bits(a2) & exponent) != exponent;
    }

    // False for an unknown type, in which case the coefficients stay as they were.
    bool design(const BiquadDesign& p, int type);
    // The unnormalised design result b0, b1, b2 and a0, a1, a2.
    void getCoefficients(float b[3], float a[3]) const;

private:
    friend class StereoBiquad;
    float offset = 1e-18f;  // anti-denormal term, sign flips every sample
    float pi;
    float output = 0.f;
    float sampleRate = 44100.f;
    float rawB[3] = {0.f, 0.f, 0.f};
    float rawA[3] = {0.f, 0.f, 0.f};
    float b0 = 0.f, b1 = 0.f, b2 = 0.f, a1 = 0.f, a2 = 0.f;  // divided by a0
    float y1 = 0.f, y2 = 0.f, x1 = 0.f, x2 = 0.f;
};
