// A triangle oscillator with an 8.24 fixed-point phase: the top 8 bits pick
// one of 256 segments of 1/64 each (0 up to 1 at a quarter period, down to -1
// at three quarters, back to 0), the low 24 bits interpolate linearly within
// it. The phase wraps naturally at 2^32. The segment ends and slopes are
// exact in float, so the value is the same computed one LFO at a time or
// lane-wise (lfoTriangle works on scalars and on GCC vectors alike).
#pragma once

#include <cstdint>
#include <type_traits>

namespace lfodetail {
template <typename F, typename I>
inline F toFloat(I v)
{
    if constexpr (std::is_arithmetic_v<I>)
        return static_cast<F>(v);
    else
        return __builtin_convertvector(v, F);
}
}  // namespace lfodetail

// The triangle at `phase` (uint32_t, or a vector of them); I and F are the
// matching int32_t and float types.
template <typename I, typename F, typename U>
inline F lfoTriangle(U phase)
{
    using lfodetail::toFloat;
    const I segment = (I)(phase >> 24);  // below 256: the same value signed
    const I start = segment < 64 ? segment : (segment < 192 ? 128 - segment : segment - 256);
    const F rising = F{} + 1.f / 64.f;
    const F falling = F{} - 1.f / 64.f;
    const F slope = ((segment >= 64) & (segment < 192)) ? falling : rising;
    const F fraction = toFloat<F>((I)(phase & 0xFFFFFFu)) * (1.f / 16777216.f);
    return toFloat<F>(start) / 64.f + fraction * slope;
}

class CombLfo {
public:
    CombLfo();

    // The rate at which advance() is called, in calls per second.
    void setSampleRate(float rate) { sampleRate = rate; }
    float getSampleRate() const { return sampleRate; }

    // Frequency in Hz relative to the advance rate.
    void setRate(double hz);
    void setIncrement(uint32_t increment) { phaseIncrement = increment; }
    uint32_t getIncrement() const { return phaseIncrement; }
    void setPhase(uint32_t phase_) { phase = phase_; }
    uint32_t getPhase() const { return phase; }

    // The value at the current phase (-1..1), then one step on.
    float advance()
    {
        output = lfoTriangle<int32_t, float>(phase);
        phase += phaseIncrement;
        return output;
    }
    float getOutput() const { return output; }

    // increment = trunc(hz / rate * 256 * 2^24), limited to the 32-bit range.
    static uint32_t incrementFor(double hz, double rate);

private:
    float sampleRate = 44100.f;
    uint32_t phase = 0;
    uint32_t phaseIncrement;
    float output = 0.f;
};
