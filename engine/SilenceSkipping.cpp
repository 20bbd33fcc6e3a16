// Sleeping through silence (see SilenceWatch.h): when to fall asleep, and the
// block that is slept through.
//
// While asleep the delay lines keep their contents and write positions: they
// hold only the settled residue, and the running engine's lines hold the same
// residue, moved on. The offsets keep their alternation, so on waking the
// engine is driven exactly as the running one is; what differs is residue
// against residue, which dies away at the loops' own rate.
#include "engine/ResonatorEngine.h"

#include <algorithm>
#include <cmath>
#include <cstring>

bool ResonatorEngine::sleepThroughBlock(float** inputs, float** outputs, int32_t frames, bool replacing)
{
    if (!silence.asleep)
        return false;
    if (frames < 0 || !outputs || !outputs[0] || !outputs[1] || !SilenceWatch::inputIsSilent(inputs, frames)) {
        silence.wake();
        return false;
    }
    float before[kNumParams];
    std::memcpy(before, blockParams, sizeof(before));
    if (applyPendingChanges() || std::memcmp(before, blockParams, sizeof(before)) != 0) {
        silence.wake();
        return false;  // the block runs in full; taking the change again finds nothing new
    }

    if (replacing) {
        std::memset(outputs[0], 0, sizeof(float) * static_cast<std::size_t>(frames));
        std::memset(outputs[1], 0, sizeof(float) * static_cast<std::size_t>(frames));
    }
    // The modulated combs' LFOs step once per sub-block, floor(frames / 16) + 1 times;
    // the phase is fixed-point, so skipping all but the last step is exact.
    const uint32_t steps = static_cast<uint32_t>(frames / kMaxChunk + 1);
    for (int32_t k = 0; k < lists.modulatedList.count; ++k) {
        const int32_t i = lists.modulatedList.index[k];
        CombLfo& lfo = combs.lfo[i];
        lfo.setPhase(lfo.getPhase() + (steps - 1) * lfo.getIncrement());
        combs.lfoValue[i] = lfo.advance();
    }
    // Every offset flips once per sample.
    if (frames & 1) {
        combOffset = -combOffset;
        feedbackOffset = -feedbackOffset;
    }
    feedback.feedbackFilter[0].skipSamples(frames);
    feedback.feedbackFilter[1].skipSamples(frames);
    // A holding feedback voice counts its glide on (finished, so only the counter moves).
    if (voices.envState[kFeedbackVoice] != kEnvIdle)
        feedback.countGlide(frames);
    ++silence.blocksSlept;
    return true;
}

void ResonatorEngine::watchForSilence(float** inputs, int32_t frames)
{
    if (!silence.enabled)
        return;
    if (!SilenceWatch::inputIsSilent(inputs, frames)) {
        silence.wake();
        return;
    }
    silence.silentFrames += frames;
    silence.quietFrames = wetOutputQuiet(frames) ? silence.quietFrames + frames : 0;

    // A holding feedback voice hears its line: all of the line it reads must be quiet.
    int64_t quietNeeded = SilenceWatch::kSettleFrames;
    if (voices.envState[kFeedbackVoice] != kEnvIdle)
        quietNeeded = std::max<int64_t>(quietNeeded, std::max(feedback.feedbackDelay[0]->getWholeDelay(),
                                                              feedback.feedbackDelay[1]->getWholeDelay()) + 8);
    if (silence.silentFrames < SilenceWatch::kSettleFrames || silence.quietFrames < quietNeeded || !holdingStill())
        return;
    if (silence.framesToNextScan > 0) {
        silence.framesToNextScan -= frames;
        return;
    }
    if (loopsSettled())
        silence.asleep = true;
    else
        silence.framesToNextScan = SilenceWatch::kRescanFrames;
}

// The block's wet output, read back from the feedback lines: each holds the
// mix plus the alternating offset for every sample written.
bool ResonatorEngine::wetOutputQuiet(int32_t frames) const
{
    const float level = std::fabs(blockParams[30]) * std::max(1.f, std::fabs(blockParams[31]));
    if (!(level > 0.f))
        return std::isfinite(level);
    const float limit = SilenceWatch::kQuietOutput / level;
    for (const auto& line : feedback.feedbackDelay) {
        const float* buffer = line->getBuffer();
        const int32_t size = line->getSize();
        const int32_t n = std::min(frames, size);
        int32_t pos = line->getWritePosition();
        // Newest first: the last sample written carried -feedbackOffset.
        float offset = -feedbackOffset;
        for (int32_t k = 0; k < n; ++k) {
            pos = pos == 0 ? size - 1 : pos - 1;
            if (!(std::fabs(buffer[pos] - offset) <= limit))
                return false;
            offset = -offset;
        }
    }
    return true;
}

// Nothing steps: envelopes hold, no note is pending, the feedback voice's glide
// has ended, and the limiter is far below its threshold.
bool ResonatorEngine::holdingStill() const
{
    for (int32_t v = 0; v < kVoiceCount; ++v)
        if (voices.triggerCountdown[v] >= 0 || (voices.envState[v] != kEnvSustain && voices.envState[v] != kEnvIdle))
            return false;
    if (voices.envState[kFeedbackVoice] != kEnvIdle && feedback.glideRunning())
        return false;
    const LevelCompressor& limiter = feedback.feedbackLimiter;
    return limiter.getLastGain() == 1.f && limiter.envelope <= SilenceWatch::kSettledLimiter;
}

// Every sounding comb's line from before its read position (with room for the
// tension moves' slack) to its write position, and its loop states; the
// feedback path's states. The feedback lines' contents are the wet output,
// which wetOutputQuiet has checked.
bool ResonatorEngine::loopsSettled() const
{
    constexpr float kLoop = SilenceWatch::kSettledLoop;
    constexpr int32_t kSlack = 16;
    for (const CombList* list : {&lists.modulatedList, &lists.staticList}) {
        for (int32_t k = 0; k < list->count; ++k) {
            const int32_t i = list->index[k];
            if (!(std::fabs(combs.lowpassState[i]) <= kLoop && std::fabs(combs.allpassState[i]) <= kLoop &&
                  std::fabs(combs.lastOutput[i]) <= kLoop && std::fabs(combs.amplitudeFollower[i]) <= kLoop))
                return false;
            const int32_t live = std::min(static_cast<int32_t>(combs.delayLength[i]) + kSlack, kCombBufferSize);
            const int32_t start = (combs.writeIndex[i] - live) & kCombBufferMask;
            const int32_t first = std::min(live, kCombBufferSize - start);
            const float* row = combs.delayBuffer[i];
            if (SilenceWatch::anyAbove(row + start, first, kLoop) || SilenceWatch::anyAbove(row, live - first, kLoop))
                return false;
        }
    }
    constexpr float kFeedback = SilenceWatch::kSettledFeedback;
    for (int c = 0; c < 2; ++c)
        if (!(std::fabs(feedback.dcBlockState[c]) <= kFeedback && std::fabs(feedback.feedbackOut[c]) <= kFeedback))
            return false;
    return true;
}
