// Arithmetic shared by the single-comb delay update and the lane-wise tension
// moves. Both must give the same bits, so each formula lives here once. The
// templates are always inlined: the SSE2, AVX2 and AVX-512 builds of the lane moves
// instantiate them for the same vector type, and one shared out-of-line copy
// would run the other build's instructions.
#pragma once

#include "engine/LagrangeWeights.h"

#include <cmath>

namespace loopcompensation {

constexpr double kTwoPi = 6.283185307179586;

// Shortenings by up to this much use the expansion: it stays within 0.25 cent
// of the exact compensation there (worst case 3 kHz, Bright 0.01, Stiff 0.6).
constexpr double kExpansionRange = 0.9;

// Phase delay in samples of the loop filters at the loop period, from the
// second-order expansion phi(w0) + phi'(w0) dw + phi''(w0) dw^2 / 2 of their
// phase around w0, divided by w = 2 pi / loopPeriod.
// Real is double, or a vector of doubles for the lane-wise moves.
template <typename Real>
__attribute__((always_inline)) inline Real loopFrequency(Real loopPeriod)
{
    return kTwoPi / loopPeriod;
}

// The same with the loop's frequency w = loopFrequency(loopPeriod) given.
template <typename Real>
__attribute__((always_inline)) inline Real expandedFilterDelayAt(Real phi0, Real phi1, Real phi2, Real w0, Real loopPeriod,
                                                                 Real w)
{
    const Real dw = w - w0;
    return (phi0 + phi1 * dw + 0.5 * phi2 * dw * dw) * (loopPeriod * (1.0 / kTwoPi));
}

template <typename Real>
__attribute__((always_inline)) inline Real expandedFilterDelay(Real phi0, Real phi1, Real phi2, Real w0, Real loopPeriod)
{
    return expandedFilterDelayAt(phi0, phi1, phi2, w0, loopPeriod, loopFrequency(loopPeriod));
}

// ceil() for 0 <= x < 2^52 without a branch: adding and removing 2^52 rounds
// x to the nearest whole number r (|r - x| <= 0.5), and r < x means ceil is
// r + 1. Exact; branch-free so the batched moves vectorise and the scalar
// path does not mispredict on the fraction's random side.
template <typename Real>
__attribute__((always_inline)) inline Real ceilSmall(Real x)
{
    const Real r = (x + 4503599627370496.0) - 4503599627370496.0;
    return r < x ? r + 1.0 : r;
}
constexpr double kCeilSmallLimit = 4503599627370496.0;

// Whole and fractional part of a loop of L samples: the four taps start
// ceil(L + 1) samples back, and Lagrange at D = 2 - (ceil(L) - L) lands
// exactly on L. Needs 0 <= L < 2^52 - 1.
inline void splitLoop(double L, double& length, double& fraction, double h[4])
{
    length = ceilSmall(L + 1.0);
    fraction = ceilSmall(L) - L;
    lagrangeWeights(2.0 - fraction, h);
}

}  // namespace loopcompensation
