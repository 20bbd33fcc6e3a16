// Arithmetic shared by the single-comb delay update and the lane-wise tension
// moves. Both must give the same bits, so each formula lives here once. The
// templates are always inlined: the SSE2, AVX2 and AVX-512 builds of the lane moves
// instantiate them for the same vector type, and one shared out-of-line copy
// would run the other build's instructions.
#pragma once

#include "engine/CombBank.h"
#include "engine/LagrangeWeights.h"

#include <cmath>

namespace loopcompensation {

constexpr double kTwoPi = 6.283185307179586;

// Shortenings by up to this much use the expansion: it stays within 0.25 cent
// of the exact compensation there (worst case 3 kHz, Bright 0.01, Stiff 0.6).
constexpr float kExpansionRange = 0.9f;

// Periods the expansion serves, samples. A move by the expansion computes in
// float: the loop is kept below 2^22 samples, where ceilSmall<float> is exact,
// and float rounding (6e-8 of the period) moves the pitch by under 1e-4 cent.
// Other periods, which end at the shortest loop or the whole line anyway, take
// the exact compensation.
constexpr float kShortestExpandedPeriod = 1.f;
constexpr float kLongestExpandedPeriod = 1e6f;
constexpr float kLongestExpandedLoop = 4194304.f;  // 2^22, far above the line

inline bool expandsPeriod(float period)
{
    return period >= kShortestExpandedPeriod && period <= kLongestExpandedPeriod;
}

// Whether a move by this scale takes the expansion (one test for the lanes and the single comb).
template <typename Real>
__attribute__((always_inline)) inline auto expandsScale(Real scale)
{
    return (scale < 1.f) & (scale >= kExpansionRange);
}

// Phase delay in samples of the loop filters at the loop period, from the
// second-order expansion phi(w0) + phi'(w0) dw + phi''(w0) dw^2 / 2 of their
// phase around w0, divided by w = 2 pi / loopPeriod.
// Real is float, or a vector of floats for the lane-wise moves; Scalar is its element type.
template <typename Real, typename Scalar = Real>
__attribute__((always_inline)) inline Real loopFrequency(Real loopPeriod)
{
    return Scalar(kTwoPi) / loopPeriod;
}

// The same with the loop's frequency w = loopFrequency(loopPeriod) given.
template <typename Real, typename Scalar = Real>
__attribute__((always_inline)) inline Real expandedFilterDelayAt(Real phi0, Real phi1, Real phi2, Real w0, Real loopPeriod,
                                                                 Real w)
{
    const Real dw = w - w0;
    return (phi0 + phi1 * dw + Scalar(0.5) * phi2 * dw * dw) * (loopPeriod * Scalar(1.0 / kTwoPi));
}

// The delay line's share L of a loop of loopPeriod samples, clamped to
// [kShortestCombLoop, kLongestExpandedLoop]; NaN takes the shortest loop.
template <typename Real, typename Scalar = Real>
__attribute__((always_inline)) inline Real lineShare(Real loopPeriod, Real filterDelay)
{
    Real L = loopPeriod - filterDelay;
    L = L >= Scalar(kShortestCombLoop) ? L : Scalar(kShortestCombLoop);
    return L <= Scalar(kLongestExpandedLoop) ? L : Scalar(kLongestExpandedLoop);
}

// ceil() for 0 <= x < 2^52 (doubles) or 2^23 (floats) without a branch: adding
// and removing 2^52 (2^23) rounds x to the nearest whole number r (|r - x| <= 0.5),
// and r < x means ceil is r + 1. Exact; branch-free so the batched moves
// vectorise and the scalar path does not mispredict on the fraction's random side.
template <typename Real, typename Scalar = Real>
__attribute__((always_inline)) inline Real ceilSmall(Real x)
{
    constexpr Scalar kUnitUlp = sizeof(Scalar) == sizeof(float) ? Scalar(8388608.0) : Scalar(4503599627370496.0);
    const Real r = (x + kUnitUlp) - kUnitUlp;
    return r < x ? r + Scalar(1) : r;
}
constexpr double kCeilSmallLimit = 4503599627370496.0;

// Whole and fractional part of a loop of L samples: the four taps start
// ceil(L + 1) samples back, and Lagrange at D = 2 - (ceil(L) - L) lands
// exactly on L. Needs 0 <= L < 2^52 - 1 in double, 2^23 - 1 in float.
template <typename Real, typename Scalar = Real>
__attribute__((always_inline)) inline void splitLoop(Real L, Real& length, Real& fraction, Real h[4])
{
    length = ceilSmall<Real, Scalar>(L + Scalar(1));
    fraction = ceilSmall<Real, Scalar>(L) - L;
    lagrangeWeights<Real, Scalar>(Scalar(2) - fraction, h);
}

}  // namespace loopcompensation
