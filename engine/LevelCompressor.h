// A stereo-linked RMS limiter: one mean-square envelope for the pair, gain
// reduction above a threshold in dB with a fixed ratio, then a make-up gain.
#pragma once

#include "engine/FastMath.h"

#include <cmath>

class LevelCompressor {
public:
    // Scales both samples in place. Inline: the feedback path runs it every sample.
    void process(float& left, float& right)
    {
        const float power = (left * left + right * right) * 0.5f;
        if (power > envelope)
            envelope = (envelope - power) * attack + power;
        else
            envelope = release * envelope;  // falls toward 0, whatever the input

        rmsLevel = std::sqrt(envelope);
        // 20 log10(x) = 20 * log10(2) * log2(x)
        const double levelDb = static_cast<double>(fastLog2(rmsLevel)) * 0.301029995663981 * 20.0;

        double gain = 1.0;
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
    float rmsLevel = 0.f;
    float thresholdDb = -12.f;
    float ratio = 0.1f;
    float makeUpGain = 1.f;

private:
    float lastGain = 1.f;
};
