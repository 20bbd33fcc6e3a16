// The per-block audio loop. Per sub-block of 16 samples: the LFOs advance,
// then the samples run in three phases. Phase A runs everything that does
// not depend on this chunk's resonator output: the feedback path and voice
// (FeedbackLoop.cpp; the delay lines are read before they are written), then
// the comb envelopes, comb by comb, into a row of output gains per sample.
// Phase B runs the resonators comb group by comb group over the chunk.
// Phase C sums, feeds the feedback lines and writes the output. When a
// feedback line is too short for that (fewer than chunk + 3 samples, or
// while a feedback note fires), the chunk is one sample long and the order
// is exactly the per-sample order. Every arrangement gives the bits the
// plain per-sample order gives.
#include "engine/ResonatorEngine.h"
#include "engine/FlushDenormals.h"
#include "engine/FourLanes.h"
#include "engine/LaneVectors.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

// Every build renders the same bits only if float arithmetic rounds alike:
// 32-bit x86 builds must use SSE2 (-msse2 -mfpmath=sse), never the x87 unit.
#if defined(__i386__) && !defined(__SSE2_MATH__)
#error "32-bit x86 builds need -msse2 -mfpmath=sse"
#endif

namespace {

constexpr int32_t kSubBlockFrames = kMaxChunk;
constexpr float kTensionModelA = 0.1f;  // the menu stores model A as exactly 0.1

TensionRates tensionRates(float mode)
{
    if (mode == kTensionModelA)
        return {0.015f, 0.0015f, 0.5f};
    return {0.1f, 0.015f, 0.08f};
}

inline float sumLanes(MixLanes v)
{
    return (v[0] + v[1]) + (v[2] + v[3]);
}

// The sums (v0 + v1) + (v2 + v3) of four samples' partial mixes, as one vector.
inline MixLanes sumEachOfFour(MixLanes v0, MixLanes v1, MixLanes v2, MixLanes v3)
{
    const MixLanes v[4] = {v0, v1, v2, v3};
#if defined(__SSE__)
    __m128 lane0 = v[0], lane1 = v[1], lane2 = v[2], lane3 = v[3];
    _MM_TRANSPOSE4_PS(lane0, lane1, lane2, lane3);  // lane j of the four samples
    return (MixLanes(lane0) + MixLanes(lane1)) + (MixLanes(lane2) + MixLanes(lane3));
#else
    MixLanes sums;
    for (int k = 0; k < 4; ++k)
        sums[k] = sumLanes(v[k]);
    return sums;
#endif
}

}  // namespace

void ResonatorEngine::buildWorkLists()
{
    lists.envelopeList.clear();
    lists.modulatedList.clear();
    lists.staticList.clear();
    bool anyStiff = false;
    for (int32_t i = 0; i < kCombCount; ++i) {
        const CombSettings& c = playingCombs[i];
        // Sustain and idle stages hold until an event is pending, and events arrive
        // only between blocks: a holding envelope holds for the whole block.
        const int32_t state = voices.envState[i];
        if (voices.triggerCountdown[i] >= 0 || (state != kEnvIdle && state != kEnvSustain))
            lists.envelopeList.append(i);
        if (c.Out > 0.f) {
            if (c.LFO2Dec != 0.5f || c.Pan > 0.f)
                lists.modulatedList.append(i);
            else
                lists.staticList.append(i);
        }
        if (c.Stiff > 0.f)
            anyStiff = true;
    }
    blockStiffness = anyStiff;
    stiffnessActive = anyStiff;

    // Lanes: modulated combs, then static ones, padded to whole groups.
    std::fill(std::begin(lanes.laneOfComb), std::end(lanes.laneOfComb), -1);
    int32_t lane = 0;
    for (const CombList* list : {&lists.modulatedList, &lists.staticList})
        for (int32_t k = 0; k < list->count; ++k) {
            lanes.comb[lane] = list->index[k];
            lanes.laneOfComb[list->index[k]] = lane;
            ++lane;
        }
    lanesModulated = lists.modulatedList.count;
    while (lane % kLaneGroupWidth != 0)
        lanes.comb[lane++] = -1;
    lanes.count = lane;
}

void ResonatorEngine::processBlock(float** inputs, float** outputs, int32_t sampleFrames, bool replacing)
{
    const FlushDenormals flush;
    if (sleepThroughBlock(inputs, outputs, sampleFrames, replacing))
        return;
    applyPendingChanges();
    feedback.feedbackLimiter.thresholdDb = 45.f * blockParams[23] - 48.f;
    buildWorkLists();
    const bool tension = blockParams[32] != 0.f;
    if (sampleFrames < 0)
        return;

    if (!outputs || !outputs[0] || !outputs[1])
        return;
    if (!feedback.linesReady()) {
        // Without both feedback lines there is no engine to run: silence.
        if (replacing) {
            std::memset(outputs[0], 0, sizeof(float) * static_cast<std::size_t>(sampleFrames));
            std::memset(outputs[1], 0, sizeof(float) * static_cast<std::size_t>(sampleFrames));
        }
        return;
    }

    const LoopVariant variant = tension ? kTensionLoop : (blockStiffness ? kStiffLoop : kPlainLoop);
    recompensateCombs(variant != kPlainLoop, tension);
    blockTension = tensionRates(blockParams[32]);

    // A missing input channel reads as silence: a stride of 0 over one zero.
    static const float kSilence = 0.f;
    BlockIo io;
    io.inLeft = (inputs && inputs[0]) ? inputs[0] : &kSilence;
    io.inRight = (inputs && inputs[1]) ? inputs[1] : &kSilence;
    io.strideLeft = (inputs && inputs[0]) ? 1 : 0;
    io.strideRight = (inputs && inputs[1]) ? 1 : 0;
    io.outLeft = outputs[0];
    io.outRight = outputs[1];
    io.replacing = replacing;

    gatherLanes();
    if (tension)
        gatherTensionLanes();
    // floor(frames / 16) + 1 sub-blocks; the last may be empty, and the LFOs still advance for it.
    int32_t remaining = sampleFrames;
    const int32_t subBlocks = sampleFrames / kSubBlockFrames + 1;
    for (int32_t b = 0; b < subBlocks; ++b) {
        const int32_t m = std::min(kSubBlockFrames, remaining);
        remaining -= m;

        advanceLaneLfos();

        if (m > 0) {
            refreshLanes();
            // Sustain and idle stages hold their level until an event is pending, and
            // events arrive only between blocks: only the other envelopes need stepping.
            movingEnvelopes.clear();
            for (int32_t e = 0; e < lists.envelopeList.count; ++e) {
                const int32_t i = lists.envelopeList.index[e];
                if (voices.triggerCountdown[i] >= 0 ||
                    (voices.envState[i] != kEnvSustain && voices.envState[i] != kEnvIdle))
                    movingEnvelopes.append(i);
            }
            if (feedbackLinesAllow(m)) {
                runChunk(variant, io, m, true);
            } else {
                for (int32_t n = 0; n < m; ++n)
                    runChunk(variant, io, 1, false);
            }
        }

        if (tension)
            retuneLoudCombs(blockTension.depth);
    }
    scatterLanes();
    showState();
    watchForSilence(inputs, sampleFrames);
}

// Deferring the feedback lines' writes over a chunk of n samples is exact when
// every tap read in it is older than the chunk: whole delay >= n + 3 at every
// sample. The delay moves only by the glide toward the target, or by a
// feedback note, whose target is not known before it fires.
bool ResonatorEngine::feedbackLinesAllow(int32_t n) const
{
    const int32_t needed = n + 3;
    if (feedback.feedbackDelay[0]->getWholeDelay() < needed || feedback.feedbackDelay[1]->getWholeDelay() < needed)
        return false;
    const int32_t countdown = voices.triggerCountdown[kFeedbackVoice];
    if (countdown >= 0 && countdown < n)
        return false;
    if (voices.envState[kFeedbackVoice] == kEnvIdle)
        return true;
    return std::min(feedback.fbDelayCurrent, feedback.fbDelayTarget) >= static_cast<float>(n + 2);
}

// Once per block: every lane's settings, delay and loop state. The loop state
// then stays in the lanes until scatterLanes() copies it back at the end of
// the block; tension moves reload the delays of the combs they move.
void ResonatorEngine::gatherLanes()
{
    std::fill(std::begin(lanes.heldGainRows), std::end(lanes.heldGainRows), 0);
    for (int32_t lane = 0; lane < lanes.count; ++lane) {
        const int32_t i = lanes.comb[lane];
        if (i < 0) {
            // Padding: a loop that stays silent and writes only into the spare row.
            lanes.inPan[lane] = 0.f;
            lanes.lowpassGain[lane] = 1.f;
            lanes.position[lane] = 0.f;
            lanes.bright[lane] = lanes.decay[lane] = lanes.stiff[lane] = 0.f;
            lanes.lfoDepth[lane] = lanes.lfoDepthSize[lane] = lanes.pan[lane] = lanes.panCentre[lane] = 0.f;
            lanes.velocity[lane] = lanes.out[lane] = 0.f;
            lanes.lfoPhase[lane] = lanes.lfoIncrement[lane] = 0;
            lanes.envelope[lane] = 0.f;
            for (auto& w : lanes.weight)
                w[lane] = 0.f;
            lanes.lowpass[lane] = lanes.allpass[lane] = lanes.last[lane] = lanes.follower[lane] = 0.f;
            // Its taps trail its writes by a whole chunk and more, like a real comb's,
            // so the group it pads takes the kernel's fastest path.
            lanes.writeIndex[lane] = 2 * kMaxChunk;
            lanes.readIndex[lane] = 0;
            lanes.buffer[lane] = combs.spareRow;
            continue;
        }
        const CombSettings& c = playingCombs[i];
        lanes.inPan[lane] = c.inPan;
        lanes.lowpassGain[lane] = 1.f;
        lanes.position[lane] = c.PanPos;
        lanes.bright[lane] = combs.brightCoef[i];
        lanes.decay[lane] = combs.decayCoef[i];
        lanes.stiff[lane] = combs.stiffCoef[i];
        lanes.lfoDepth[lane] = c.LFO2Dec - 0.5f;
        lanes.lfoDepthSize[lane] = std::fabs(lanes.lfoDepth[lane]);
        lanes.pan[lane] = c.Pan;
        lanes.panCentre[lane] = c.PanPos;
        lanes.velocity[lane] = c.Velocity;
        lanes.out[lane] = c.Out;
        lanes.lowpass[lane] = combs.lowpassState[i];
        lanes.allpass[lane] = combs.allpassState[i];
        lanes.last[lane] = combs.lastOutput[i];
        lanes.follower[lane] = combs.amplitudeFollower[i];
        lanes.envelope[lane] = voices.envLevel[i];
        lanes.lfoPhase[lane] = combs.lfo[i].getPhase();
        lanes.lfoIncrement[lane] = combs.lfo[i].getIncrement();
        lanes.writeIndex[lane] = combs.writeIndex[i] & kCombBufferMask;
        lanes.buffer[lane] = combs.delayBuffer[i];
        reloadLaneDelay(lane, i);
    }
}

// Each sub-block: the modulated lanes' LFOs (the first lanes) step on, four at a time.
void ResonatorEngine::advanceLaneLfos()
{
    typedef uint32_t Phases __attribute__((vector_size(16)));
    typedef int32_t Ints __attribute__((vector_size(16)));
    for (int32_t lane = 0; lane < lanesModulated; lane += 4) {
        Phases phase;
        Phases increment;
        std::memcpy(&phase, lanes.lfoPhase + lane, sizeof(phase));
        std::memcpy(&increment, lanes.lfoIncrement + lane, sizeof(increment));
        store4(lanes.lfo + lane, lfoTriangle<Ints, MixLanes>(phase));
        phase += increment;
        std::memcpy(lanes.lfoPhase + lane, &phase, sizeof(phase));
    }
}

// Before each sub-block: what the LFOs move, for the modulated lanes.
void ResonatorEngine::refreshLanes()
{
    for (int32_t lane = 0; lane < lanesModulated; ++lane) {
        const float lfo = lanes.lfo[lane];
        lanes.lowpassGain[lane] = (1.f + lfo * lanes.lfoDepth[lane]) - lanes.lfoDepthSize[lane];
        lanes.position[lane] = lfo * lanes.pan[lane] * 0.5f + lanes.panCentre[lane];
    }
}

// Steps the comb envelopes over a chunk and writes every lane's output gain
// ((level - 1) Velocity + 1) Out for each of its samples. Envelopes that only
// add their step for the whole chunk (or hold) run lane-wise, a row of gains
// per sample; the others run comb by comb, sample by sample.
void ResonatorEngine::stepEnvelopesAndGains(int32_t frames)
{
    alignas(32) float step[kCombCount] = {};
    // Which envelopes only ramp (or hold) through the whole chunk.
    CombList ramping;
    for (int32_t e = 0; e < movingEnvelopes.count; ++e) {
        const int32_t i = movingEnvelopes.index[e];
        const int32_t lane = lanes.laneOfComb[i];
        if (lane >= 0 && plainEnvelopeSteps(i, frames) == frames) {
            ramping.append(i);
            const int32_t state = voices.envState[i];
            if (state == kEnvAttack || state == kEnvDecay)
                step[lane] = voices.envStep[i];
        }
    }
    // Four lanes at a time, each lane's level ramping in a register. Rows a
    // holding group wrote before stay valid while its gains do not change.
    for (int32_t lane = 0; lane < lanes.count; lane += 4) {
        MixLanes l = load4(lanes.envelope + lane);
        const MixLanes s = load4(step + lane);
        const MixLanes velocity = load4(lanes.velocity + lane);
        const MixLanes out = load4(lanes.out + lane);
        int32_t& heldRows = lanes.heldGainRows[lane / 4];
        if (!lanevectors::anyLane(s != 0.f)) {
            const MixLanes gain = ((l - 1.f) * velocity + 1.f) * out;
            if (heldRows >= frames && std::memcmp(&gain, lanes.gain[0] + lane, sizeof(gain)) == 0)
                continue;
            for (int32_t k = 0; k < frames; ++k)
                store4(lanes.gain[k] + lane, gain);
            heldRows = frames;
            continue;
        }
        for (int32_t k = 0; k < frames; ++k) {
            l += s;
            store4(lanes.gain[k] + lane, ((l - 1.f) * velocity + 1.f) * out);
        }
        store4(lanes.envelope + lane, l);
        heldRows = 0;
    }
    // What stepCombEnvelope() would have left after those samples.
    int32_t r = 0;
    for (int32_t e = 0; e < movingEnvelopes.count; ++e) {
        const int32_t i = movingEnvelopes.index[e];
        const int32_t lane = lanes.laneOfComb[i];
        if (r < ramping.count && ramping.index[r] == i) {
            ++r;
            const int32_t state = voices.envState[i];
            if (state == kEnvAttack || state == kEnvDecay) {
                voices.envLevel[i] = lanes.envelope[lane];
                voices.envCounter[i] += frames;
            }
            if (voices.triggerCountdown[i] >= 0)
                voices.triggerCountdown[i] -= frames;
        } else {
            stepCombEnvelopeOver(i, lane, frames);
            if (lane >= 0) {
                lanes.envelope[lane] = voices.envLevel[i];
                lanes.heldGainRows[lane / 4] = 0;
            }
        }
    }
}

void ResonatorEngine::scatterLanes()
{
    for (int32_t lane = 0; lane < lanes.count; ++lane) {
        const int32_t i = lanes.comb[lane];
        if (i < 0)
            continue;
        writeBackTensionLane(lane, i);
        if (lane < lanesModulated) {
            combs.lfo[i].setPhase(lanes.lfoPhase[lane]);
            combs.lfoValue[i] = lanes.lfo[lane];
        }
        combs.lowpassState[i] = lanes.lowpass[lane];
        combs.allpassState[i] = lanes.allpass[lane];
        combs.lastOutput[i] = lanes.last[lane];
        combs.amplitudeFollower[i] = lanes.follower[lane];
        const int32_t write = lanes.writeIndex[lane];
        combs.writeIndex[i] = write;
        combs.readIndex[i] = (write - static_cast<int32_t>(combs.delayLength[i])) & kCombBufferMask;
    }
}

void ResonatorEngine::runChunk(LoopVariant variant, BlockIo& io, int32_t n, bool deferLines)
{
    FractionalDelay& lineL = *feedback.feedbackDelay[0];
    FractionalDelay& lineR = *feedback.feedbackDelay[1];
    const int32_t lineStartL = lineL.getWritePosition();
    const int32_t lineStartR = lineR.getWritePosition();

    // Phase A: inputs, feedback path and voice (FeedbackLoop.cpp).
    runFeedbackChunk(io, n, deferLines);

    // The comb envelopes depend on nothing else in the chunk.
    stepEnvelopesAndGains(n);

    // Phase B: the resonators, a vector of combs at a time over the chunk.
    const CombKernel kernel = kernelWidth == kSixteenLanes ? combKernelWidest
                              : kernelWidth == kEightLanes ? combKernelWide
                                                           : combKernelNarrow;
    kernel(variant, lanes, signals, blockTension, n);

    // Phase C: mixes into the feedback lines and the output.
    const float outputGain = blockParams[30];
    const float wet = blockParams[31];
    float lineInL[kMaxChunk];
    float lineInR[kMaxChunk];
    // Four samples at a time where the lines take their input after the chunk.
    const int32_t four = deferLines ? n & ~3 : 0;
    for (int32_t k = 0; k < four; k += 4) {
        const MixLanes fbo = load4(signals.feedbackOffset + k);
        const MixPair* m = signals.mix + k;
        const MixLanes mix0 = sumEachOfFour(foldMix(m[0].left), foldMix(m[1].left), foldMix(m[2].left), foldMix(m[3].left));
        const MixLanes mix1 = sumEachOfFour(foldRightMix(m[0]), foldRightMix(m[1]), foldRightMix(m[2]), foldRightMix(m[3]));
        store4(lineInL + k, mix0 + fbo);
        store4(lineInR + k, mix1 + fbo);
        if (io.replacing) {
            const MixLanes iL = load4(signals.inputLeft + k);
            const MixLanes iR = load4(signals.inputRight + k);
            store4(io.outLeft + k, (mix0 * wet + iL * (1.f - wet)) * outputGain);
            store4(io.outRight + k, (mix1 * wet + (1.f - wet) * iR) * outputGain);
        } else {
            store4(io.outLeft + k, load4(io.outLeft + k) + mix0 * outputGain);
            store4(io.outRight + k, load4(io.outRight + k) + mix1 * outputGain);
        }
    }
    io.outLeft += four;
    io.outRight += four;
    for (int32_t k = four; k < n; ++k) {
        const float mix0 = sumLanes(foldMix(signals.mix[k].left));
        const float mix1 = sumLanes(foldRightMix(signals.mix[k]));
        lineInL[k] = mix0 + signals.feedbackOffset[k];
        lineInR[k] = mix1 + signals.feedbackOffset[k];
        if (!deferLines) {
            lineL.tick(lineInL[k]);
            lineR.tick(lineInR[k]);
        }
        const float iL = signals.inputLeft[k];
        const float iR = signals.inputRight[k];
        if (io.replacing) {
            *io.outLeft = (mix0 * wet + iL * (1.f - wet)) * outputGain;
            *io.outRight = (mix1 * wet + (1.f - wet) * iR) * outputGain;
        } else {
            *io.outLeft += mix0 * outputGain;
            *io.outRight += mix1 * outputGain;
        }
        ++io.outLeft;
        ++io.outRight;
    }
    if (deferLines) {
        lineL.writeDeferred(lineStartL, lineInL, n);
        lineR.writeDeferred(lineStartR, lineInR, n);
    }
}
