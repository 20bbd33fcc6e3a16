#include "engine/CombLfo.h"

#include <cmath>

CombLfo::CombLfo() : phaseIncrement(incrementFor(1.0, 44100.0)) {}

uint32_t CombLfo::incrementFor(double hz, double rate)
{
    const double increment = hz / rate * 256.0 * 16777216.0;
    if (!(increment > 0.0))  // zero, negative, NaN (rate 0 with hz 0)
        return 0;
    if (increment >= 4294967295.0)
        return 0xFFFFFFFFu;
    return static_cast<uint32_t>(increment);
}

void CombLfo::setRate(double hz)
{
    phaseIncrement = incrementFor(hz, sampleRate);
}
