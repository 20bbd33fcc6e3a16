// Tension modelling: loud resonators shorten their loop by up to depth x Stiff
// of the period and fall back as they decay. Every loud comb moves each 16
// samples, so the moves run as a batch: select the combs and gather their
// inputs, compensate them all in one loop over parallel arrays, then place
// each comb's new loop. The arithmetic is the single-comb update's (shared
// through LoopCompensation.h), so both give the same bits.
#include "engine/ResonatorEngine.h"

#include "engine/LoopCompensation.h"

#include <cmath>

namespace {

// Periods up to this keep L + 1 far below 2^52, where the branch-free ceil is exact.
constexpr double kLongestBatchedPeriod = 1e12;

}  // namespace

// A jump: carry the three samples at the old read position over to the new
// one, cross-faded, so the loop keeps ringing without a hard edge.
void ResonatorEngine::crossFadeJump(int32_t comb, int32_t newRead)
{
    float* buffer = combs.delayBuffer[comb];
    const int32_t r = combs.readIndex[comb];
    const float X = buffer[r & kCombBufferMask];
    const float Y = buffer[(r + 1) & kCombBufferMask];
    const float Z = buffer[(r + 2) & kCombBufferMask];
    float& n1 = buffer[(newRead + 1) & kCombBufferMask];
    float& n2 = buffer[(newRead + 2) & kCombBufferMask];
    buffer[newRead & kCombBufferMask] = X;
    n1 = 0.6667f * Y + 0.3333f * n1;
    n2 = 0.3333f * Z + 0.6667f * n2;
}

// Shared with updateCombDelay; here so the batch's last loop inlines it.
void ResonatorEngine::placeCombLoop(int32_t comb, double length, double fraction, const double h[4])
{
    const double oldLength = combs.delayLength[comb];
    if (length >= kCombBufferSize) {
        // Longer than the line: the longest whole delay; the weights keep the asked fraction.
        length = kCombBufferSize - 1;
        fraction = 0.0;
    }
    combs.delayLength[comb] = static_cast<float>(length);
    combs.delayFraction[comb] = static_cast<float>(fraction);
    for (int k = 0; k < 4; ++k)
        combs.interpCoef[comb][k] = static_cast<float>(h[k]);

    int32_t newRead = combs.writeIndex[comb] - static_cast<int32_t>(length);
    while (newRead < 0)
        newRead += kCombBufferSize;

    if (std::fabs(length - oldLength) > 1.5)
        crossFadeJump(comb, newRead);
    combs.readIndex[comb] = newRead;
}

void ResonatorEngine::retuneLoudCombs(float depth)
{
    const bool allpass = allpassRuns();
    TensionMoves& m = tensionMoves;
    m.count = 0;

    // Select: combs whose move differs from the one in place. Moves outside the
    // expansion's range (or of odd periods) take the single-comb update.
    for (int32_t i = 0; i < kCombCount; ++i) {
        const CombSettings& c = currentCombs[i];
        if (!(c.Out > 0.f && c.Stiff > 0.f))
            continue;
        const float scale = 1.f - combs.amplitudeFollower[i] * c.Stiff * depth;
        // The same move again would change nothing.
        if (scale == combs.compensatedScale[i] && c.Delay == combs.compensatedPeriod[i] &&
            combs.brightCoef[i] == combs.compensatedBright[i] && combs.stiffCoef[i] == combs.compensatedStiff[i])
            continue;
        const double s = scale;
        const double P = c.Delay;
        if (!(s < 1.0 && s >= loopcompensation::kExpansionRange && P > 0.0 && P <= kLongestBatchedPeriod)) {
            updateCombDelay(i, c.Delay, scale);
            if (lanes.laneOfComb[i] >= 0)
                reloadLaneDelay(lanes.laneOfComb[i], i);
            continue;
        }
        const float stiffKey = allpass ? combs.stiffCoef[i] : -1.f;
        if (combs.phasePeriod[i] != c.Delay || combs.phaseBright[i] != combs.brightCoef[i] ||
            combs.phaseStiff[i] != stiffKey)
            expandLoopPhase(i, c.Delay, allpass);
        const int32_t j = m.count++;
        m.comb[j] = i;
        m.scale[j] = scale;
        m.scaleOf[j] = s;
        m.period[j] = P;
        m.phaseAt[j] = combs.phaseAt[i];
        m.phase0[j] = combs.phase[i][0];
        m.phase1[j] = combs.phase[i][1];
        m.phase2[j] = combs.phase[i][2];
    }

    // Compensate: no branches, no calls, so the compiler runs it two or four combs at a time.
    for (int32_t j = 0; j < m.count; ++j) {
        const double loopPeriod = m.scaleOf[j] * m.period[j];
        const double filterDelay =
            loopcompensation::expandedFilterDelay(m.phase0[j], m.phase1[j], m.phase2[j], m.phaseAt[j], loopPeriod);
        double L = loopPeriod - filterDelay;
        L = L >= kShortestCombLoop ? L : kShortestCombLoop;
        m.filterDelay[j] = filterDelay;
        m.length[j] = loopcompensation::ceilSmall(L + 1.0);
        m.fraction[j] = loopcompensation::ceilSmall(L) - L;
        double h[4];
        lagrangeWeights(2.0 - m.fraction[j], h);
        for (int k = 0; k < 4; ++k)
            m.weight[k][j] = h[k];
    }

    // Place: each comb's new loop, with the jump cross-fade where needed.
    for (int32_t j = 0; j < m.count; ++j) {
        const int32_t i = m.comb[j];
        combs.loopFilterDelay[i] = static_cast<float>(m.filterDelay[j]);
        combs.compensatedBright[i] = combs.brightCoef[i];
        combs.compensatedStiff[i] = allpass ? combs.stiffCoef[i] : -1.f;
        combs.compensatedScale[i] = m.scale[j];
        combs.compensatedPeriod[i] = currentCombs[i].Delay;
        const double h[4] = {m.weight[0][j], m.weight[1][j], m.weight[2][j], m.weight[3][j]};
        placeCombLoop(i, m.length[j], m.fraction[j], h);
        if (lanes.laneOfComb[i] >= 0)
            reloadLaneDelay(lanes.laneOfComb[i], i);
    }
}
