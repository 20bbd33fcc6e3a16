// Fitting the resonator's loop lowpass to how its harmonics decay relative
// to the fundamental.
#pragma once

#include <span>

// The loop filter is the one-pole 1 / (1 + g z^-1), g in -1..0 (Bright is
// g + 1): the loop's y[n] = (1 + g) x[n] - g y[n-1] with a gain of 1 + g
// folded into Decay. At harmonic h of a fundamental at normFreq (1 = Nyquist,
// so w = pi normFreq radians per sample) its gain relative to the
// fundamental is |1 + g e^-jw| / |1 + g e^-jhw|,
//     R(h) = sqrt(g (g + 2 cos(pi normFreq)) + 1) / sqrt(g (g + 2 cos(pi normFreq h)) + 1).
// Twenty candidates g_i = -(0.0025 i^2 + 0.001) are tried against the
// relative decays (weighted by the decay itself); the best one is refined
// by a parabola through the errors of its neighbours.
//
// relativeDecays[j] is harmonic j + 1's decay relative to the fundamental,
// 0 for an unusable measurement. From the fifth harmonic on, a value more
// than 10% above both previous non-zero values is taken as an isolated
// outlier and scaled down by the previous value; that correction is written
// back into relativeDecays and persists over the candidates.
double fitLoopFilter(double normFreq, std::span<double> relativeDecays);
