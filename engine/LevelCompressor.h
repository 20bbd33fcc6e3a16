// A stereo-linked RMS limiter: one mean-square envelope for the pair, gain
// reduction above a threshold in dB with a fixed ratio, then a make-up gain.
#pragma once

#include "engine/FastMath.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

class LevelCompressor {
public:
    // Scales both samples in place. Inline: the feedback path runs it every sample.
    void process(float& left, float& right)
    {
        const float power = (left * left + right * right) * 0.5f;
        // Fast rise, slow fall; both computed, so no branch mispredicts on noise.
        const float rising = (envelope - power) * attack + power;
        const float falling = release * envelope;  // falls toward 0, whatever the input
        envelope = power > envelope ? rising : falling;

        if (thresholdDb != quietFor)
            findQuietEnvelope();
        if (envelope < quietBelow) {
            // Below the threshold (levelDb rises with the envelope): no reduction.
            lastGain = 1.f;
            left *= makeUpGain;
            right *= makeUpGain;
            return;
        }
        double gain = 1.0;
        const double levelDb = levelDbOf(envelope);
        if (levelDb > thresholdDb)
            gain = fastPow10((levelDb - thresholdDb) * (1.0 - ratio) * -0.05);
        lastGain = static_cast<float>(gain);

        const float total = static_cast<float>(gain * makeUpGain);
        left *= total;
        right *= total;
    }

    // The gain the last process() applied, without make-up (1 below the threshold).
    float getLastGain() const { return lastGain; }

    // Smoothing per sample: 0.5^(1 / half-life in samples). Defaults: 30 ms and 180 ms at 44.1 kHz.
    float attack = 0.99947622f;   // 0.5^(1/1323)
    float release = 0.99991268f;  // 0.5^(1/7938)
    float envelope = 0.f;         // mean square of the pair
    float sampleRate = 44100.f;
    float thresholdDb = -12.f;
    float ratio = 0.1f;
    float makeUpGain = 1.f;

private:
    // The level of a mean square: 20 log10(sqrt(x)) = 20 log10(2) log2(sqrt(x)), the
    // logarithm approximated. It never falls as x rises.
    static double levelDbOf(float meanSquare)
    {
        return static_cast<double>(fastLog2(std::sqrt(meanSquare))) * 0.301029995663981 * 20.0;
    }

    // The smallest mean square whose level is above the threshold, found over
    // the ordered bit patterns of non-negative floats (+inf when none is).
    void findQuietEnvelope()
    {
        uint32_t low = 0;             // levelDbOf(low) <= threshold, or low is the answer
        uint32_t high = 0x7F800000u;  // +inf
        if (!(levelDbOf(std::bit_cast<float>(high)) > thresholdDb)) {
            quietBelow = std::bit_cast<float>(high);
        } else {
            while (low < high) {
                const uint32_t middle = low + (high - low) / 2;
                if (levelDbOf(std::bit_cast<float>(middle)) > thresholdDb)
                    high = middle;
                else
                    low = middle + 1;
            }
            quietBelow = std::bit_cast<float>(low);
        }
        quietFor = thresholdDb;
    }

    float lastGain = 1.f;
    float quietBelow = 0.f;  // mean squares below this are under the threshold
    float quietFor = std::numeric_limits<float>::quiet_NaN();  // the threshold quietBelow belongs to
};
