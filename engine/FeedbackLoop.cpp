// Phase A of the audio loop: the feedback path, the feedback voice and the
// inputs of a chunk. The feedback lines are read before this chunk writes
// them, so the chunk's line outputs are known up front; the rest runs sample
// by sample (filter, DC blocker and limiter carry state), both channels in
// one vector.
#include "engine/ResonatorEngine.h"
#include "engine/StereoBiquad.h"

#include <cmath>
#include <cstring>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace {

inline StereoLanes splat(float x)
{
    return StereoLanes{x, x, x, x};
}

inline StereoLanes magnitude(StereoLanes v)
{
    typedef int32_t Ints __attribute__((vector_size(16)));
    return reinterpret_cast<StereoLanes>(reinterpret_cast<Ints>(v) & 0x7FFFFFFF);
}

// y < -1 ? -1 : (y > 1 ? 1 : y), lane by lane (NaN stays NaN).
inline StereoLanes clampToUnit(StereoLanes y)
{
#if defined(__SSE__)
    // maxps and minps return their second operand unless the comparison holds.
    return _mm_min_ps(splat(1.f), _mm_max_ps(splat(-1.f), y));
#else
    return y < -1.f ? splat(-1.f) : (y > 1.f ? splat(1.f) : y);
#endif
}

}  // namespace

void ResonatorEngine::runFeedbackChunk(BlockIo& io, int32_t n, bool deferLines)
{
    FractionalDelay& lineL = *feedback.feedbackDelay[0];
    FractionalDelay& lineR = *feedback.feedbackDelay[1];
    // What the path reads at sample k is the lines' output of sample k - 1.
    float lineOutL[kMaxChunk + 1];
    float lineOutR[kMaxChunk + 1];
    lineOutL[0] = lineL.getLastOutput();
    lineOutR[0] = lineR.getLastOutput();
    // The delay moves only while the voice glides; otherwise the chunk's reads go in one pass.
    const bool gliding = voices.envState[kFeedbackVoice] != kEnvIdle && feedback.glideRunning();
    const float level = blockParams[20];
    float pathGain[kMaxChunk];
    // A note firing redesigns the filter after the path ran for that sample:
    // such chunks are one sample long, and the voice steps after the path.
    const int32_t countdown = voices.triggerCountdown[kFeedbackVoice];
    const bool voiceLast = countdown >= 0 && countdown < n;
    // A voice idle, or sustaining after its glide, with nothing due in the
    // chunk only counts: its countdown and its glide counter.
    const int32_t state = voices.envState[kFeedbackVoice];
    const bool voiceHolds = !voiceLast && (state == kEnvIdle || (state == kEnvSustain && !gliding));
    if (voiceHolds) {
        if (countdown >= 0)
            voices.triggerCountdown[kFeedbackVoice] = countdown - n;
        if (state != kEnvIdle)
            feedback.countGlide(n);
    }

    for (int32_t k = 0; k < n; ++k) {
        signals.inputLeft[k] = io.inLeft[k * io.strideLeft];
        signals.inputRight[k] = io.inRight[k * io.strideRight];
    }
    io.inLeft += n * io.strideLeft;
    io.inRight += n * io.strideRight;
    // The anti-denormal offsets flip every sample: the comb offset before the
    // sample runs, the feedback offset after it.
    const float comb = combOffset;
    const float fed = feedbackOffset;
    for (int32_t k = 0; k < n; ++k) {
        signals.combOffset[k] = (k & 1) ? comb : -comb;
        signals.feedbackOffset[k] = (k & 1) ? -fed : fed;
    }
    combOffset = (n & 1) ? -comb : comb;
    feedbackOffset = (n & 1) ? -fed : fed;
    std::memset(signals.mix, 0, sizeof(MixPair) * static_cast<std::size_t>(n));

    if (voiceHolds) {
        const float gain = level * level * voices.envLevel[kFeedbackVoice];
        for (int32_t k = 0; k < n; ++k)
            pathGain[k] = gain;
    } else {
        for (int32_t k = 0; k < n; ++k) {
            pathGain[k] = level * level * voices.envLevel[kFeedbackVoice];
            if (!voiceLast)
                stepFeedbackVoice();
            if (deferLines && gliding) {
                lineOutL[k + 1] = lineL.tickDeferred();
                lineOutR[k + 1] = lineR.tickDeferred();
            }
        }
    }
    if (deferLines && !gliding) {
        lineL.readDeferred(lineOutL + 1, n);
        lineR.readDeferred(lineOutR + 1, n);
    }

    // Cubic shaper, filter, clipping, the voice's gain, DC blocker (pole at
    // 0.999, zero just inside 1, gain 5) and saturation (k + 1) x / (k |x| + 1),
    // unity for k = 0 and limited to (k + 1) / k; then the stereo limiter.
    const StereoLanes distortion = splat(feedback.fbDistortion);
    const StereoLanes saturation = splat(10.f * feedback.fbDistortion);
    StereoLanes dcState{feedback.dcBlockState[0], feedback.dcBlockState[1], 0.f, 0.f};
    StereoBiquad filter(feedback.feedbackFilter[0], feedback.feedbackFilter[1]);
    LevelCompressor limiter = feedback.feedbackLimiter;  // a local copy stays in registers
    // Two passes: the filters' recursions, then the limiter's, each loop short
    // enough for the processor to run several samples' long chains at once.
    StereoLanes shaped[kMaxChunk];
    for (int32_t k = 0; k < n; ++k) {
        const StereoLanes s = StereoLanes{lineOutL[k], lineOutR[k], 0.f, 0.f} - signals.combOffset[k];
        const StereoLanes x = s - distortion * s * s * s;
        StereoLanes y = filter.process(x);
        y = clampToUnit(y);
        const StereoLanes w = 0.999f * dcState + (y * pathGain[k] - signals.feedbackOffset[k]);
        const StereoLanes out = (w - 0.9999999f * dcState) * 5.f;
        dcState = w;
        shaped[k] = (saturation + 1.f) * out / (magnitude(out) * saturation + 1.f);
    }
    float outL = feedback.feedbackOut[0];
    float outR = feedback.feedbackOut[1];
    for (int32_t k = 0; k < n; ++k) {
        outL = shaped[k][0];
        outR = shaped[k][1];
        limiter.process(outL, outR);
        signals.excitationLeft[k] = signals.inputLeft[k] + outL;
        signals.excitationRight[k] = signals.inputRight[k] + outR;
    }
    if (voiceLast)
        stepFeedbackVoice();  // n == 1: the lines are ticked in phase C
    feedback.feedbackLimiter = limiter;
    feedback.dcBlockState[0] = dcState[0];
    feedback.dcBlockState[1] = dcState[1];
    feedback.feedbackOut[0] = outL;
    feedback.feedbackOut[1] = outR;
}
