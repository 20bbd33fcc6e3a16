// The per-block audio loop: work lists, 16-sample sub-blocks with the LFO
// advance, and per sample the feedback path, the envelopes, the resonators,
// the feedback voice and the output mix.
#include "engine/ResonatorEngine.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Loop variants, chosen once per block so the per-sample loop has no per-comb branches.
enum LoopVariant : int {
    kPlainLoop = 0,    // lowpass and gain only
    kStiffLoop = 1,    // plus the allpass
    kTensionLoop = 2,  // plus the allpass and the amplitude follower
};

constexpr int32_t kSubBlockFrames = 16;
constexpr float kTensionModelA = 0.1f;  // the menu stores model A as exactly 0.1

struct TensionRates {
    float rise;
    float fall;
    float depth;
};

TensionRates tensionRates(float mode)
{
    if (mode == kTensionModelA)
        return {0.015f, 0.0015f, 0.5f};
    return {0.1f, 0.015f, 0.08f};
}

}  // namespace

void ResonatorEngine::buildWorkLists()
{
    lists.envelopeList.clear();
    lists.modulatedList.clear();
    lists.staticList.clear();
    bool anyStiff = false;
    for (int32_t i = 0; i < kCombCount; ++i) {
        const CombSettings& c = currentCombs[i];
        if (voices.triggerCountdown[i] >= 0 || voices.envState[i] != kEnvIdle)
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
    // One store, so a parameter thread never sees a transient false.
    stiffnessActive = anyStiff;
}

void ResonatorEngine::processBlock(float** inputs, float** outputs, int32_t sampleFrames, bool replacing)
{
    feedback.feedbackLimiter.thresholdDb = 45.f * liveParams[23] - 48.f;
    buildWorkLists();
    const bool tension = liveParams[32] != 0.f;
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

    const int variant = tension ? kTensionLoop : (stiffnessActive ? kStiffLoop : kPlainLoop);
    recompensateCombs(variant != kPlainLoop, tension);

    // A missing input channel reads as silence: a stride of 0 over one zero.
    static const float kSilence = 0.f;
    const float* inL = (inputs && inputs[0]) ? inputs[0] : &kSilence;
    const float* inR = (inputs && inputs[1]) ? inputs[1] : &kSilence;
    const int32_t strideL = (inputs && inputs[0]) ? 1 : 0;
    const int32_t strideR = (inputs && inputs[1]) ? 1 : 0;
    float* outL = outputs[0];
    float* outR = outputs[1];

    // floor(frames / 16) + 1 sub-blocks; the last may be empty, and the LFOs still advance for it.
    int32_t remaining = sampleFrames;
    const int32_t subBlocks = sampleFrames / kSubBlockFrames + 1;
    for (int32_t b = 0; b < subBlocks; ++b) {
        const int32_t m = std::min(kSubBlockFrames, remaining);
        remaining -= m;

        for (int32_t k = 0; k < lists.modulatedList.count; ++k) {
            const int32_t i = lists.modulatedList.index[k];
            combs.lfoValue[i] = combs.lfo[i].advance();
        }

        switch (variant) {
        case kPlainLoop:
            runSubBlock<kPlainLoop>(inL, inR, outL, outR, m, strideL, strideR, replacing);
            break;
        case kStiffLoop:
            runSubBlock<kStiffLoop>(inL, inR, outL, outR, m, strideL, strideR, replacing);
            break;
        default:
            runSubBlock<kTensionLoop>(inL, inR, outL, outR, m, strideL, strideR, replacing);
            break;
        }

        if (tension)
            retuneLoudCombs();
    }
}

template <int Variant>
void ResonatorEngine::runSubBlock(const float*& inL, const float*& inR, float*& outL, float*& outR, int32_t frames,
                                  int32_t strideL, int32_t strideR, bool replacing)
{
    const float outputGain = liveParams[30];
    const float wet = liveParams[31];
    FractionalDelay& lineL = *feedback.feedbackDelay[0];
    FractionalDelay& lineR = *feedback.feedbackDelay[1];

    for (int32_t n = 0; n < frames; ++n) {
        const float iL = *inL;
        const float iR = *inR;
        inL += strideL;
        inR += strideR;

        combOffset = -combOffset;
        runFeedbackPath();

        for (int32_t k = 0; k < lists.envelopeList.count; ++k)
            stepCombEnvelope(lists.envelopeList.index[k]);

        float mix0 = 0.f;
        float mix1 = 0.f;
        runCombs<Variant, true>(lists.modulatedList, iL, iR, mix0, mix1);
        runCombs<Variant, false>(lists.staticList, iL, iR, mix0, mix1);

        stepFeedbackVoice();

        lineL.tick(mix0 + feedbackOffset);
        lineR.tick(mix1 + feedbackOffset);
        feedbackOffset = -feedbackOffset;

        if (replacing) {
            *outL = (mix0 * wet + iL * (1.f - wet)) * outputGain;
            *outR = (mix1 * wet + (1.f - wet) * iR) * outputGain;
        } else {
            *outL += mix0 * outputGain;
            *outR += mix1 * outputGain;
        }
        ++outL;
        ++outR;
    }
}

void ResonatorEngine::runFeedbackPath()
{
    const float level = liveParams[20];
    const float gain = level * level * voices.envLevel[kFeedbackVoice];
    const float distortion = feedback.fbDistortion;
    const float saturation = 10.f * distortion;
    for (int c = 0; c < 2; ++c) {
        const float s = feedback.feedbackDelay[c]->getLastOutput() - combOffset;
        const float x = s - distortion * s * s * s;
        float y = feedback.feedbackFilter[c].process(x);
        y = std::clamp(y, -1.f, 1.f);
        // DC blocker: pole at 0.999, zero just inside 1, gain 5.
        const float state = feedback.dcBlockState[c];
        const float w = 0.999f * state + (y * gain - feedbackOffset);
        float out = (w - 0.9999999f * state) * 5.f;
        feedback.dcBlockState[c] = w;
        // Soft saturation (k + 1) x / (k |x| + 1): unity for k = 0, limit (k + 1) / k.
        out = (saturation + 1.f) * out / (std::fabs(out) * saturation + 1.f);
        feedback.feedbackOut[c] = out;
    }
    feedback.feedbackLimiter.process(feedback.feedbackOut[0], feedback.feedbackOut[1]);
}

template <int Variant, bool Modulated>
void ResonatorEngine::runCombs(const CombList& list, float inL, float inR, float& mix0, float& mix1)
{
    const float fbL = inL + feedback.feedbackOut[0];
    const float fbR = inR + feedback.feedbackOut[1];
    const float loopOffset = feedbackOffset;
    const float writeOffset = combOffset;
    [[maybe_unused]] TensionRates rates{};
    if constexpr (Variant == kTensionLoop)
        rates = tensionRates(liveParams[32]);

    float sum0 = mix0;
    float sum1 = mix1;
    for (int32_t k = 0; k < list.count; ++k) {
        const int32_t i = list.index[k];
        const CombSettings& c = currentCombs[i];

        const float excitation = 0.2f * (c.inPan * fbL + (1.f - c.inPan) * fbR);

        float lowpassGain = 1.f;
        float lfo = 0.f;
        if constexpr (Modulated) {
            lfo = combs.lfoValue[i];
            const float d = c.LFO2Dec - 0.5f;
            lowpassGain = (1.f + lfo * d) - std::fabs(d);
        }
        float lowpass = combs.lowpassState[i];
        lowpass = lowpass + (combs.lastOutput[i] - lowpass) * lowpassGain * combs.brightCoef[i] + loopOffset;
        combs.lowpassState[i] = lowpass;
        float loop = lowpass * combs.decayCoef[i];

        if constexpr (Variant != kPlainLoop) {
            const float a = combs.stiffCoef[i];
            const float state = combs.allpassState[i];
            const float w = loop + a * state;
            loop = state - a * w;
            combs.allpassState[i] = w;
        }

        float* buffer = combs.delayBuffer[i];
        const int32_t writeIndex = combs.writeIndex[i];
        const int32_t readIndex = combs.readIndex[i];
        buffer[writeIndex] = loop + excitation + writeOffset;
        const float* h = combs.interpCoef[i];
        const float y = buffer[readIndex] * h[3] + buffer[(readIndex + 1) & kCombBufferMask] * h[2] +
                        buffer[(readIndex + 2) & kCombBufferMask] * h[1] +
                        buffer[(readIndex + 3) & kCombBufferMask] * h[0];
        combs.writeIndex[i] = (writeIndex + 1) & kCombBufferMask;
        combs.readIndex[i] = (readIndex + 1) & kCombBufferMask;
        combs.lastOutput[i] = y;

        const float v = ((voices.envLevel[i] - 1.f) * c.Velocity + 1.f) * c.Out * y;

        if constexpr (Variant == kTensionLoop) {
            const float magnitude = std::fabs(v);
            const float follower = combs.amplitudeFollower[i];
            const float rate = magnitude > follower ? rates.rise : rates.fall;
            combs.amplitudeFollower[i] = (1.f - rate) * follower + rate * magnitude;
        }

        float position = c.PanPos;
        if constexpr (Modulated)
            position = lfo * c.Pan * 0.5f + c.PanPos;
        sum0 += position * v;
        sum1 += (1.f - position) * v;
    }
    mix0 = sum0;
    mix1 = sum1;
}

// Tension modelling: loud resonators shorten their loop by up to depth x Stiff
// of the period and fall back as they decay.
void ResonatorEngine::retuneLoudCombs()
{
    const float depth = tensionRates(liveParams[32]).depth;
    for (int32_t i = 0; i < kCombCount; ++i) {
        const CombSettings& c = currentCombs[i];
        if (c.Out > 0.f && c.Stiff > 0.f)
            updateCombDelay(i, c.Delay, 1.f - combs.amplitudeFollower[i] * c.Stiff * depth);
    }
}
