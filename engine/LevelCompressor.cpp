#include "engine/LevelCompressor.h"

#include "engine/FastMath.h"

#include <cmath>

void LevelCompressor::process(float& left, float& right)
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
