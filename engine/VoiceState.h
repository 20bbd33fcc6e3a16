// Envelope state of the 88 comb voices plus the feedback voice (entry 88),
// as parallel arrays.
#pragma once

#include <cstdint>

constexpr int kVoiceCount = 89;
constexpr int kFeedbackVoice = 88;

enum EnvelopeStage : int32_t {
    kEnvAttack = 2,
    kEnvSustain = 4,
    kEnvDecay = 5,
    kEnvRelease = 6,
    kEnvIdle = 7,
};

struct VoiceState {
    float envLevel[kVoiceCount];       // 0..1 for combs, up to fbVelocityLevel for the feedback voice
    float envStep[kVoiceCount];        // added per sample in the current stage
    int32_t envState[kVoiceCount];     // an EnvelopeStage
    int32_t envCounter[kVoiceCount];   // samples spent in the current stage
    int32_t triggerCountdown[kVoiceCount];  // fires at 0, negative = nothing pending
    float noteVelocity[kVoiceCount];   // velocity / 127 of the pending event, -1 = note-off
};

// Per-block lists of comb indices in ascending order.
struct CombList {
    int32_t count = 0;
    int32_t index[88];

    void clear() { count = 0; }
    void append(int32_t comb) { index[count++] = comb; }
};

struct WorkLists {
    CombList envelopeList;   // combs whose envelope must run this block
    CombList modulatedList;  // sounding combs with LFO modulation
    CombList staticList;     // sounding combs without it
};
