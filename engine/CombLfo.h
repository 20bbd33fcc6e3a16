// A triangle wavetable oscillator with an 8.24 fixed-point phase: the top
// 8 bits index a 256-entry table (plus a guard entry), the low 24 bits
// interpolate linearly. The phase wraps naturally at 2^32.
#pragma once

#include <cstdint>

class CombLfo {
public:
    static constexpr int kTableSize = 256;

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

    // The value at the current phase (-1..1), then one step on. Inline: the
    // audio loop advances every modulated comb's LFO each 16 samples.
    float advance()
    {
        const uint32_t J = phase;
        const uint32_t index = J >> 24;
        const float frac = static_cast<float>(J & 0xFFFFFFu) * (1.f / 16777216.f);
        phase = J + phaseIncrement;
        output = table[index] + frac * (table[index + 1] - table[index]);
        return output;
    }
    float getOutput() const { return output; }

    void fillTable();

    // increment = trunc(hz / rate * 256 * 2^24), limited to the 32-bit range.
    static uint32_t incrementFor(double hz, double rate);

private:
    float sampleRate = 44100.f;
    uint32_t phase = 0;
    uint32_t phaseIncrement;
    float table[kTableSize + 1];
    float output = 0.f;
};
