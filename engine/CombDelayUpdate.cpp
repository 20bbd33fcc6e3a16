// Moving a comb to a new loop period, with the phase delay of its loop
// filters subtracted so the resonator rings at the period asked for.
#include "engine/ResonatorEngine.h"

#include "engine/LoopCompensation.h"

#include <cmath>
#include <cstdint>

namespace {

using loopcompensation::kTwoPi;

// Phase delay in samples at w rad/sample of the loop's lowpass as the loop runs it:
// lp[n] = (1 - c) lp[n-1] + c y[n-1], i.e. c z^-1 / (1 - (1 - c) z^-1). The z^-1
// (lastOutput enters the next sample) gives 1; the pole adds atan2(b sin w, 1 - b cos w) / w.
double lowpassPhaseDelay(double c, double w)
{
    const double b = 1.0 - c;
    return 1.0 + std::atan2(b * std::sin(w), 1.0 - b * std::cos(w)) / w;
}

// Phase delay of the loop's allpass (z^-1 - a) / (1 - a z^-1): (1 + a) / (1 - a) at DC.
double allpassPhaseDelay(double a, double w)
{
    return 1.0 + 2.0 * std::atan(a * std::sin(w) / (1.0 - a * std::cos(w))) / w;
}

// Total phase lag of the loop filters at w, in radians: w times their phase delay.
double loopFilterPhase(double c, double a, bool allpass, double w)
{
    double phi = w * lowpassPhaseDelay(c, w);
    if (allpass)
        phi += w * allpassPhaseDelay(a, w);
    return phi;
}

}  // namespace

// The allpass runs in the stiffness and in the tension loop variants.
bool ResonatorEngine::allpassRuns() const
{
    return blockStiffness || blockParams[32] != 0.f;
}

void ResonatorEngine::moveComb(int32_t comb, float period, float scale, const LoopFilters& filters)
{
    if (comb < 0 || comb >= kCombCount)
        return;
    combs.compensatedBright[comb] = filters.bright;
    combs.compensatedStiff[comb] = allpassKey(filters);
    combs.compensatedScale[comb] = scale;
    combs.compensatedPeriod[comb] = period;
    if (loopcompensation::expandsScale(scale) && loopcompensation::expandsPeriod(period)) {
        moveByExpansion(comb, period, scale, filters);
        return;
    }
    const double s = scale;
    const double P = period;
    const double brightCoef = filters.bright;
    const double stiffCoef = filters.stiff;
    const bool allpass = filters.allpass;

    // L: the delay line's share of the loop. A period that is zero, negative or
    // not finite has no pitch to aim at and takes the shortest loop.
    double L = kShortestCombLoop;
    double filterDelay = 0.0;
    const double loopPeriod = s * P;
    if (loopPeriod > 0.0 && std::isfinite(loopPeriod)) {
        const double w = kTwoPi / loopPeriod;
        filterDelay = lowpassPhaseDelay(brightCoef, w);
        if (allpass)
            filterDelay += allpassPhaseDelay(stiffCoef, w);
        L = loopPeriod - filterDelay;
        if (!(L >= kShortestCombLoop))
            L = kShortestCombLoop;
    }
    combs.loopFilterDelay[comb] = static_cast<float>(filterDelay);

    double length;
    double fraction;
    double h[4];
    if (L < loopcompensation::kCeilSmallLimit - 2.0) {
        loopcompensation::splitLoop(L, length, fraction, h);
    } else {
        length = std::ceil(L + 1.0);
        fraction = std::ceil(L) - L;
        lagrangeWeights(2.0 - fraction, h);
    }
    placeCombLoop(comb, length, fraction, h);
}

// A tension move: the phase from the expansion around the comb's own period,
// in float and in the order the lane-wise moves (TensionLaneKernel.h) take.
void ResonatorEngine::moveByExpansion(int32_t comb, float period, float scale, const LoopFilters& filters)
{
    expandLoopPhase(comb, period, filters);
    const float loopPeriod = scale * period;
    const float* phi = combs.phase[comb];
    const float filterDelay = loopcompensation::expandedFilterDelayAt(phi[0], phi[1], phi[2], combs.phaseAt[comb], loopPeriod,
                                                                      loopcompensation::loopFrequency(loopPeriod));
    float length;
    float fraction;
    float h[4];
    loopcompensation::splitLoop(loopcompensation::lineShare(loopPeriod, filterDelay), length, fraction, h);
    combs.loopFilterDelay[comb] = filterDelay;
    const double weights[4] = {h[0], h[1], h[2], h[3]};
    placeCombLoop(comb, length, fraction, weights);
}

// The delay of a comb was compensated for the filters that ran at the time.
// When the loop variant or a coefficient has changed since, move the comb again
// before the block runs so it stays at its pitch. Without tension modelling a
// comb also returns from a tension-shortened loop to its own period.
void ResonatorEngine::recompensateCombs(bool allpass, bool tension)
{
    for (int32_t i = 0; i < kCombCount; ++i) {
        if (!(playingCombs[i].Out > 0.f))
            continue;
        if (combs.compensatedBright[i] != combs.brightCoef[i] || combs.compensatedStiff[i] != allpassKey(i, allpass) ||
            (!tension && combs.compensatedScale[i] != 1.f))
            moveComb(i, playingCombs[i].Delay, 1.f, {combs.brightCoef[i], combs.stiffCoef[i], allpass});
    }
}

// Nothing to do when the comb's expansion already belongs to these settings.
void ResonatorEngine::expandLoopPhase(int32_t comb, float period, const LoopFilters& filters)
{
    const bool allpass = filters.allpass;
    if (combs.phasePeriod[comb] == period && combs.phaseBright[comb] == filters.bright &&
        combs.phaseStiff[comb] == allpassKey(filters))
        return;
    const double c = filters.bright;
    const double a = filters.stiff;
    const double w0 = kTwoPi / period;
    const double h = 1e-3 * w0;  // central differences
    const double mid = loopFilterPhase(c, a, allpass, w0);
    const double up = loopFilterPhase(c, a, allpass, w0 + h);
    const double down = loopFilterPhase(c, a, allpass, w0 - h);
    combs.phaseAt[comb] = static_cast<float>(w0);
    combs.phase[comb][0] = static_cast<float>(mid);
    combs.phase[comb][1] = static_cast<float>((up - down) / (2.0 * h));
    combs.phase[comb][2] = static_cast<float>((up - 2.0 * mid + down) / (h * h));
    combs.phasePeriod[comb] = period;
    combs.phaseBright[comb] = filters.bright;
    combs.phaseStiff[comb] = allpassKey(filters);
}
