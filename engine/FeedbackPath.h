// The stereo feedback path: the resonators' mix runs through a long delay,
// a cubic distortion, a filter, clipping, the feedback voice's gain, a DC
// blocker, saturation and a limiter, and is added to every comb's input.
#pragma once

#include "engine/Biquad.h"
#include "engine/FractionalDelay.h"
#include "engine/LevelCompressor.h"

#include <algorithm>
#include <cstdint>
#include <memory>

constexpr int32_t kFeedbackLineSamples = 176400;  // 4 s at 44.1 kHz

struct FeedbackPath {
    int32_t feedbackNote = 60;   // last note event on MIDI channel 2
    int32_t voiceNote = 60;      // note that started the current feedback voice
    float fbVelocityLevel = 1.f; // peak of the feedback envelope
    // Lengths in samples at a fixed 44.1 kHz, at least 1 so the voice never divides by 0.
    float glideSamples = 1.f;
    int32_t glideCounter = 0;
    int32_t fbAttackSamples = 1;
    int32_t fbDecaySamples = 1;
    int32_t fbReleaseSamples = 1;
    float fbDelayCurrent = 500.f;
    float fbDelayTarget = 500.f;
    float fbGlideStep = 0.f;

    std::unique_ptr<FractionalDelay> feedbackDelay[2];  // left, right; created at set-up
    Biquad feedbackFilter[2];
    LevelCompressor feedbackLimiter;
    float dcBlockState[2] = {0.f, 0.f};
    float feedbackOut[2] = {0.f, 0.f};
    float fbDistortion = 0.f;  // cubic shaper and saturation depth

    // Whether the delay still glides toward its target (while the voice sounds).
    bool glideRunning() const { return static_cast<float>(glideCounter) < glideSamples; }
    // Counts the voice's samples since its trigger, stopping at INT32_MAX: per
    // sample while it plays, per chunk or block once only the count moves.
    void countGlide(int32_t frames)
    {
        glideCounter = static_cast<int32_t>(std::min<int64_t>(INT32_MAX, int64_t{glideCounter} + frames));
    }

    bool linesReady() const
    {
        return feedbackDelay[0] && feedbackDelay[0]->isAllocated() && feedbackDelay[1] &&
               feedbackDelay[1]->isAllocated();
    }
};
