// Phase A of the audio loop: the feedback path, the feedback voice and the
// inputs of a chunk. The feedback lines are read before this chunk writes
// them, so the chunk's line outputs are known up front; the rest runs sample
// by sample (filter, DC blocker and limiter carry state), both channels in
// one vector.
#include "engine/ResonatorEngine.h"
#include "engine/StereoBiquad.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace {

inline FourFloats magnitude(FourFloats v)
{
    return reinterpret_cast<FourFloats>(reinterpret_cast<FourInts>(v) & 0x7FFFFFFF);
}

// y < -1 ? -1 : (y > 1 ? 1 : y), lane by lane (NaN stays NaN).
inline FourFloats clampToUnit(FourFloats y)
{
#if defined(__SSE__)
    // maxps and minps return their second operand unless the comparison holds.
    return _mm_min_ps(splat(1.f), _mm_max_ps(splat(-1.f), y));
#else
    return y < -1.f ? splat(-1.f) : (y > 1.f ? splat(1.f) : y);
#endif
}

// n rounded up to whole groups of four samples.
inline int32_t roundUpToFour(int32_t n)
{
    return (n + 3) & ~3;
}

// The filter's recursion, the clipping, the voice's gain, the feedback offset
// (+fed, -fed, ... from the chunk's first sample) and the DC blocker for n
// samples; the blocker's state after sample k goes to dc[2 k + 2], [2 k + 3].
// Lanes 2 and 3 carry the next sample's feed-forward along, unused (ff holds
// two floats more). Two samples per turn, so both offsets stay in registers.
// Through a filter that passes nothing, y g - offset is -offset exactly
// (offset != 0, g finite), and the blocker sees only that.
enum class PathGain { kSteady, kPerSample, kSilentFilter };

template <PathGain kGain>
void filterAndBlock(StereoBiquad& filter, const float* ff, const float* pathGain, float fed, FourFloats& dcState,
                    float* dc, int32_t n)
{
    const FourFloats steadyGain = splat(pathGain[0]);
    const auto step = [&](int32_t k, FourFloats offset) {
        if constexpr (kGain == PathGain::kSilentFilter) {
            dcState = 0.999f * dcState + -offset;
        } else {
            const FourFloats y = clampToUnit(filter.step(load4(ff + 2 * k)));
            const FourFloats gain = kGain == PathGain::kSteady ? steadyGain : splat(pathGain[k]);
            dcState = 0.999f * dcState + (y * gain - offset);
        }
        storePair(dc + 2 * k + 2, dcState);
    };
    const FourFloats even = splat(fed);
    const FourFloats odd = splat(-fed);
    int32_t k = 0;
    for (; k + 1 < n; k += 2) {
        step(k, even);
        step(k + 1, odd);
    }
    if (k < n)
        step(k, even);
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

    // The inputs, and the anti-denormal offsets, which flip every sample: the
    // comb offset before the sample runs, the feedback offset after it. Both
    // are written for whole groups of four (the vector passes read them so).
    const int32_t padded = roundUpToFour(n);
    if (io.strideLeft == 1 && io.strideRight == 1) {
        int32_t k = 0;
        for (; k + 4 <= n; k += 4) {
            store4(signals.inputLeft + k, load4(io.inLeft + k));
            store4(signals.inputRight + k, load4(io.inRight + k));
        }
        for (; k < n; ++k) {
            signals.inputLeft[k] = io.inLeft[k];
            signals.inputRight[k] = io.inRight[k];
        }
    } else {
        for (int32_t k = 0; k < n; ++k) {
            signals.inputLeft[k] = io.inLeft[k * io.strideLeft];
            signals.inputRight[k] = io.inRight[k * io.strideRight];
        }
    }
    for (int32_t k = n; k < padded; ++k)
        signals.inputLeft[k] = signals.inputRight[k] = 0.f;
    io.inLeft += n * io.strideLeft;
    io.inRight += n * io.strideRight;
    const float comb = combOffset;
    const float fed = feedbackOffset;
    for (int32_t k = 0; k < kMaxChunk; k += 4) {
        store4(signals.combOffset + k, FourFloats{-comb, comb, -comb, comb});
        store4(signals.feedbackOffset + k, FourFloats{fed, -fed, fed, -fed});
    }
    combOffset = (n & 1) ? -comb : comb;
    feedbackOffset = (n & 1) ? -fed : fed;
    std::memset(signals.mix, 0, sizeof(MixPair) * static_cast<std::size_t>(n));

    if (voiceHolds) {
        pathGain[0] = level * level * voices.envLevel[kFeedbackVoice];  // the gain of every sample
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
    // Filters that pass nothing (no feedback note has designed them yet) need
    // only the last two inputs, for their history.
    const bool silentFilter = voiceHolds && std::isfinite(pathGain[0]) && fed != 0.f &&
                              feedback.feedbackFilter[0].passesNothing() && feedback.feedbackFilter[1].passesNothing();
    const int32_t firstUsed = silentFilter ? std::max(0, n - 2) : 0;
    if (deferLines && !gliding) {
        lineL.readDeferred(lineOutL + 1, n, firstUsed - 1);
        lineR.readDeferred(lineOutR + 1, n, firstUsed - 1);
    }
    for (int32_t k = n; k < padded; ++k)
        lineOutL[k] = lineOutR[k] = 0.f;

    // Cubic shaper, filter, clipping, the voice's gain, DC blocker (pole at
    // 0.999, zero just inside 1, gain 5) and saturation (k + 1) x / (k |x| + 1),
    // unity for k = 0 and limited to (k + 1) / k; then the stereo limiter.
    // Only the filter, the DC blocker and the limiter's envelope recur: the
    // rest runs four samples per vector in passes of its own, and the
    // recursions are short loops whose long chains the processor overlaps.
    alignas(16) float cubicL[kMaxChunk];
    alignas(16) float cubicR[kMaxChunk];
    if (silentFilter) {
        for (int32_t k = firstUsed; k < n; ++k) {  // as a lane of the vectors below computes it
            const float sL = lineOutL[k] - signals.combOffset[k];
            const float sR = lineOutR[k] - signals.combOffset[k];
            cubicL[k] = sL - feedback.fbDistortion * sL * sL * sL;
            cubicR[k] = sR - feedback.fbDistortion * sR * sR * sR;
        }
    } else {
        const FourFloats distortion = splat(feedback.fbDistortion);
        for (int32_t k = 0; k < padded; k += 4) {
            const FourFloats sL = load4(lineOutL + k) - load4(signals.combOffset + k);
            const FourFloats sR = load4(lineOutR + k) - load4(signals.combOffset + k);
            store4(cubicL + k, sL - distortion * sL * sL * sL);
            store4(cubicR + k, sR - distortion * sR * sR * sR);
        }
    }

    // The filter's feed-forward half, then its recursion with the clipping,
    // the gain and the DC blocker, as left, right pairs; dc[0..1] holds the
    // blocker's state before the chunk, so the pair of sample k is at 2 k + 2.
    alignas(16) float ff[2 * kMaxChunk + 2];
    alignas(16) float dc[2 * kMaxChunk + 2];
    {
        StereoBiquad filter(feedback.feedbackFilter[0], feedback.feedbackFilter[1]);
        FourFloats dcState{feedback.dcBlockState[0], feedback.dcBlockState[1], 0.f, 0.f};
        storePair(dc, dcState);
        if (silentFilter) {
            filter.skipSilent(cubicL, cubicR, n);
            filterAndBlock<PathGain::kSilentFilter>(filter, ff, pathGain, fed, dcState, dc, n);
        } else {
            filter.feedForward(cubicL, cubicR, ff, n);
            storePair(ff + 2 * padded, FourFloats{});
            if (voiceHolds)
                filterAndBlock<PathGain::kSteady>(filter, ff, pathGain, fed, dcState, dc, n);
            else
                filterAndBlock<PathGain::kPerSample>(filter, ff, pathGain, fed, dcState, dc, n);
        }
        feedback.dcBlockState[0] = dcState[0];
        feedback.dcBlockState[1] = dcState[1];
    }
    for (int32_t k = 2 * n + 2; k < 2 * padded + 2; ++k)
        dc[k] = 0.f;

    // The blocker's output and the saturation, two samples per vector, back
    // into one row per channel, and the mean square of each pair.
    alignas(16) float shapedL[kMaxChunk];
    alignas(16) float shapedR[kMaxChunk];
    alignas(16) float meanSquare[kMaxChunk];
    const FourFloats saturation = splat(10.f * feedback.fbDistortion);
    for (int32_t k = 0; k < padded; k += 4) {
        FourFloats pairs[2];
        for (int h = 0; h < 2; ++h) {
            const float* w = dc + 2 * k + 4 * h;
            const FourFloats out = (load4(w + 2) - 0.9999999f * load4(w)) * 5.f;
            pairs[h] = (saturation + 1.f) * out / (magnitude(out) * saturation + 1.f);
        }
        const FourFloats l = __builtin_shufflevector(pairs[0], pairs[1], 0, 2, 4, 6);
        const FourFloats r = __builtin_shufflevector(pairs[0], pairs[1], 1, 3, 5, 7);
        store4(shapedL + k, l);
        store4(shapedR + k, r);
        store4(meanSquare + k, (l * l + r * r) * 0.5f);
    }

    alignas(16) float limiterGain[kMaxChunk];
    feedback.feedbackLimiter.processChunk(meanSquare, limiterGain, n);
    for (int32_t k = n; k < padded; ++k)
        limiterGain[k] = 0.f;
    for (int32_t k = 0; k < padded; k += 4) {
        const FourFloats gain = load4(limiterGain + k);
        store4(signals.excitationLeft + k, load4(signals.inputLeft + k) + load4(shapedL + k) * gain);
        store4(signals.excitationRight + k, load4(signals.inputRight + k) + load4(shapedR + k) * gain);
    }
    if (voiceLast)
        stepFeedbackVoice();  // n == 1: the lines are ticked in phase C
    if (n > 0) {
        feedback.feedbackOut[0] = shapedL[n - 1] * limiterGain[n - 1];
        feedback.feedbackOut[1] = shapedR[n - 1] * limiterGain[n - 1];
    }
}
