// Tension modelling: loud resonators shorten their loop by up to depth x Stiff
// of the period and fall back as they decay. Every loud comb moves each 16
// samples, so the moves run lane-wise on the block's lanes (TensionLanes.h):
// a vector pass computes the new loops, this file does what stays per comb
// (jump cross-fades, moves outside the expansion's range) and keeps the comb
// bank in step with the lanes.
#include "engine/ResonatorEngine.h"

#include "engine/LoopCompensation.h"

#include <cmath>
#include <limits>

// A jump: carry the three samples at the old read position over to the new
// one, cross-faded, so the loop keeps ringing without a hard edge.
void ResonatorEngine::crossFadeJump(float* buffer, int32_t oldRead, int32_t newRead)
{
    const float X = buffer[oldRead & kCombBufferMask];
    const float Y = buffer[(oldRead + 1) & kCombBufferMask];
    const float Z = buffer[(oldRead + 2) & kCombBufferMask];
    float& n1 = buffer[(newRead + 1) & kCombBufferMask];
    float& n2 = buffer[(newRead + 2) & kCombBufferMask];
    buffer[newRead & kCombBufferMask] = X;
    n1 = 0.6667f * Y + 0.3333f * n1;
    n2 = 0.3333f * Z + 0.6667f * n2;
}

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
        crossFadeJump(combs.delayBuffer[comb], combs.readIndex[comb], newRead);
    combs.readIndex[comb] = newRead;
}

// Once per block with tension modelling on: which lanes move, their periods
// and the phase expansions the moves start from.
void ResonatorEngine::gatherTensionLanes()
{
    const bool allpass = allpassRuns();
    TensionLanes& t = tensionLanes;
    for (int32_t lane = 0; lane < lanes.count; ++lane) {
        const int32_t i = lanes.comb[lane];
        t.dirty[lane] = 0;
        t.action[lane] = kTensionStays;
        if (i < 0 || !(playingCombs[i].Stiff > 0.f)) {
            t.moves[lane] = t.batchable[lane] = 0;
            t.stiff[lane] = t.period[lane] = t.movedScale[lane] = t.length[lane] = 0.f;
            t.phaseAt[lane] = t.phase0[lane] = t.phase1[lane] = t.phase2[lane] = 0.f;
            continue;
        }
        const CombSettings& c = playingCombs[i];
        const bool batchable = loopcompensation::expandsPeriod(c.Delay);
        if (batchable)
            expandLoopPhase(i, c.Delay, {combs.brightCoef[i], combs.stiffCoef[i], allpass});
        t.moves[lane] = -1;
        t.batchable[lane] = batchable ? -1 : 0;
        t.stiff[lane] = c.Stiff;
        t.period[lane] = c.Delay;
        t.phaseAt[lane] = combs.phaseAt[i];
        t.phase0[lane] = combs.phase[i][0];
        t.phase1[lane] = combs.phase[i][1];
        t.phase2[lane] = combs.phase[i][2];
        // A move made for other settings does not count as the move in place.
        const bool current = combs.compensatedPeriod[i] == c.Delay &&
                             combs.compensatedBright[i] == combs.brightCoef[i] &&
                             combs.compensatedStiff[i] == allpassKey(i, allpass);
        t.movedScale[lane] = current ? combs.compensatedScale[i] : std::numeric_limits<float>::quiet_NaN();
        t.length[lane] = combs.delayLength[i];
    }
}

// The comb bank takes the moves a lane made since it was last in step.
void ResonatorEngine::writeBackTensionLane(int32_t lane, int32_t comb)
{
    TensionLanes& t = tensionLanes;
    if (!t.dirty[lane])
        return;
    t.dirty[lane] = 0;
    combs.delayLength[comb] = t.length[lane];
    combs.delayFraction[comb] = t.fraction[lane];
    for (int k = 0; k < 4; ++k)
        combs.interpCoef[comb][k] = lanes.weight[k][lane];
    combs.loopFilterDelay[comb] = t.filterDelay[lane];
    combs.compensatedBright[comb] = combs.brightCoef[comb];
    combs.compensatedStiff[comb] = allpassKey(comb, allpassRuns());
    combs.compensatedScale[comb] = t.movedScale[lane];
    combs.compensatedPeriod[comb] = t.period[lane];
}

// A move the vector pass leaves to the single-comb update.
void ResonatorEngine::moveLaneAlone(int32_t lane)
{
    const int32_t i = lanes.comb[lane];
    writeBackTensionLane(lane, i);
    combs.writeIndex[i] = lanes.writeIndex[lane];
    combs.readIndex[i] = lanes.readIndex[lane];
    moveComb(i, tensionLanes.period[lane], tensionLanes.scale[lane], runningFilters(i));
    reloadLaneDelay(lane, i);
    tensionLanes.length[lane] = combs.delayLength[i];
    tensionLanes.movedScale[lane] = combs.compensatedScale[i];
}

// The rule as it stands, one comb at a time: the reference for the lane-wise moves.
void ResonatorEngine::moveCombsOneByOne(float depth)
{
    for (int32_t lane = 0; lane < lanes.count; ++lane) {
        const int32_t i = lanes.comb[lane];
        if (i < 0)
            continue;
        const CombSettings& c = playingCombs[i];
        if (!(c.Out > 0.f && c.Stiff > 0.f))
            continue;
        combs.writeIndex[i] = lanes.writeIndex[lane];
        combs.readIndex[i] = lanes.readIndex[lane];
        moveComb(i, c.Delay, 1.f - lanes.follower[lane] * c.Stiff * depth, runningFilters(i));
        reloadLaneDelay(lane, i);
    }
}

void ResonatorEngine::retuneLoudCombs(float depth)
{
    if (!batchTensionMoves) {
        moveCombsOneByOne(depth);
        return;
    }
    TensionLanes& t = tensionLanes;
    const TensionLaneMover mover = kernelWidth == kSixteenLanes ? moveTensionLanesWidest
                                   : kernelWidth == kEightLanes ? moveTensionLanesWide
                                                                : moveTensionLanesNarrow;
    if (!mover(lanes, t, lanes.count, depth))
        return;
    for (int32_t lane = 0; lane < lanes.count; ++lane) {
        if (t.action[lane] == kTensionJumps)
            crossFadeJump(lanes.buffer[lane], t.oldRead[lane], lanes.readIndex[lane]);
        else if (t.action[lane] == kTensionAlone)
            moveLaneAlone(lane);
    }
}
