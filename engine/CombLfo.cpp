#include "engine/CombLfo.h"

#include <cmath>

CombLfo::CombLfo() : phaseIncrement(incrementFor(1.0, 44100.0))
{
    fillTable();
}

void CombLfo::fillTable()
{
    // Starts at 0, rises to 1 at a quarter period, falls to -1 at three quarters.
    for (int a = 0; a < 64; ++a) {
        table[a] = static_cast<float>(a) / 64.f;
        table[a + 64] = static_cast<float>(64 - a) / 64.f;
        table[a + 128] = static_cast<float>(-a) / 64.f;
        table[a + 192] = static_cast<float>(a - 64) / 64.f;
    }
    table[kTableSize] = 0.f;
}

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
