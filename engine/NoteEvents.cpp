// MIDI input: notes arm per-voice countdowns that the audio loop carries out
// at the right sample; the sustain pedals and the controllers that end notes;
// the comb envelopes and the feedback voice.
#include "engine/ResonatorEngine.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr int32_t kFeedbackChannel = 1;  // MIDI channel 2
constexpr uint8_t kAllCombsIdleController = 126;
constexpr uint8_t kAllSoundOffController = 120;
constexpr uint8_t kAllNotesOffController = 123;
constexpr float kVelocityScale = 0.007874016f;  // 1 / 127
constexpr double kFeedbackLowestHz = 0.25;
constexpr double kFeedbackHighestHz = 8000.0;

struct DelayMode {
    float multiplier;    // share of a bar; 0 = follow the note's pitch
    const char* unitName;
};

// Parameter 33 stores menu entry k as k / 10.
DelayMode delayModeOf(float p33)
{
    static const DelayMode kModes[] = {
        {0.f, ""},           {1.f, "B"},      {0.5f, "1/2"},     {0.25f, "1/4"},
        {0.125f, "1/8"},     {0.0833333358f, "1/8T"}, {0.0625f, "1/16"}, {0.0416666679f, "1/16T"},
    };
    if (p33 == 0.f)
        return kModes[0];
    const double k = std::nearbyint(10.0 * p33);
    if (k >= 1.0 && k <= 7.0)
        return kModes[static_cast<int>(k)];
    return {1.f, "error"};
}

int32_t combOfNote(int32_t note)
{
    // Notes 12..99 reach combs 0..87; the keyboard wraps around beyond them.
    return ((note + 76) % kCombCount + kCombCount) % kCombCount;
}

}  // namespace

int32_t ResonatorEngine::processEvents(VstEvents* events)
{
    if (!events)
        return 1;
    // The list is declared with two entries but really holds numEvents.
    VstEvent* const* list = events->events;
    for (int32_t e = 0; e < events->numEvents; ++e) {
        const VstEvent* event = list[e];
        if (!event || event->type != kVstMidiType)
            continue;
        const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
        const uint8_t status = static_cast<uint8_t>(midi->midiData[0]);
        const int32_t channel = status & 0x0F;
        const int32_t command = status & 0xF0;
        const int32_t d1 = midi->midiData[1] & 0x7F;
        const int32_t d2 = midi->midiData[2] & 0x7F;
        if (command == 0x80 || (command == 0x90 && d2 == 0)) {
            if (pedals.isDown(channel))
                pedals.hold(channel, d1);
            else
                noteOff(d1, channel);
        } else if (command == 0x90) {
            pedals.strike(channel, d1);
            noteOn(d2, d1, midi->deltaFrames, channel);
        } else if (command == 0xB0) {
            controlChange(d1, d2, channel);
        }
    }
    return 1;
}

void ResonatorEngine::controlChange(int32_t controller, int32_t value, int32_t channel)
{
    switch (controller) {
    case kAllCombsIdleController:
        silenceCombEnvelopes();
        break;
    case kAllSoundOffController:
        silenceAllVoices();
        break;
    case kAllNotesOffController:
        releaseAllNotes();
        break;
    case SustainPedals::kController:
        if (SustainPedals::pressedBy(value))
            pedals.press(channel);
        else
            liftSustainPedal(channel);
        break;
    default:
        break;  // other controllers change nothing
    }
}

bool ResonatorEngine::voiceSounds(int32_t v) const
{
    const int32_t state = voices.envState[v];
    return state == kEnvAttack || state == kEnvDecay || state == kEnvSustain;
}

bool ResonatorEngine::noteOnPending(int32_t v) const
{
    return voices.triggerCountdown[v] >= 0 && voices.noteVelocity[v] > 0.f;
}

// The held note-offs of the channel arrive now, as they would have without
// the pedal, except for a key struck again while the pedal was down (its
// note-off is no longer held) and for envelopes already releasing, which
// finish as they are.
void ResonatorEngine::liftSustainPedal(int32_t channel)
{
    const NoteSet held = pedals.lift(channel);
    if (held.empty())
        return;
    if (channel == kFeedbackChannel) {
        // One voice for every note: a newer note whose key is still down plays on.
        const bool pending = noteOnPending(kFeedbackVoice);
        if (pending && !held.has(feedback.feedbackNote))
            return;
        if (voiceSounds(kFeedbackVoice) && held.has(feedback.voiceNote))
            noteOff(feedback.voiceNote, channel);  // also drops a pending note-on
        else if (pending)
            noteOff(feedback.feedbackNote, channel);
        return;
    }
    for (int32_t note = 0; note < 128; ++note) {
        if (!held.has(note))
            continue;
        const int32_t comb = combOfNote(note);
        if (voiceSounds(comb) || noteOnPending(comb))
            noteOff(note, channel);
    }
}

void ResonatorEngine::releaseAllNotes()
{
    pedals.forgetHeld();
    for (int32_t v = 0; v < kVoiceCount; ++v) {
        if (voiceSounds(v)) {
            if (v == kFeedbackVoice)
                feedback.feedbackNote = feedback.voiceNote;  // a note-off for the note that sounds
            armNoteOff(v);
        } else if (noteOnPending(v)) {
            silence.wake();
            voices.triggerCountdown[v] = -1;  // never started: nothing to release
        }
    }
}

void ResonatorEngine::silenceAllVoices()
{
    pedals.forgetHeld();
    silenceCombEnvelopes();
    constexpr int32_t v = kFeedbackVoice;
    voices.envState[v] = kEnvIdle;
    voices.envLevel[v] = 0.f;
    voices.envStep[v] = 0.f;
    voices.envCounter[v] = 0;
    voices.triggerCountdown[v] = -1;
}

void ResonatorEngine::noteOn(int32_t velocity, int32_t note, int32_t deltaFrames, int32_t channel)
{
    silence.wake();
    int32_t entry;
    if (channel == kFeedbackChannel) {
        feedback.feedbackNote = note;
        feedback.fbVelocityLevel = 1.f - (1.f - static_cast<float>(velocity) * kVelocityScale) * liveParams[21];
        entry = kFeedbackVoice;
    } else {
        entry = combOfNote(note);
    }
    voices.triggerCountdown[entry] = deltaFrames > 0 ? deltaFrames : 0;
    voices.noteVelocity[entry] = static_cast<float>(velocity) * kVelocityScale;
}

// A note-off takes effect at the second sample of the next block, whatever its deltaFrames.
void ResonatorEngine::noteOff(int32_t note, int32_t channel)
{
    int32_t entry;
    if (channel == kFeedbackChannel) {
        feedback.feedbackNote = note;
        entry = kFeedbackVoice;
    } else {
        entry = combOfNote(note);
    }
    armNoteOff(entry);
}

void ResonatorEngine::armNoteOff(int32_t v)
{
    silence.wake();
    voices.triggerCountdown[v] = 1;
    voices.noteVelocity[v] = -1.f;
}

void ResonatorEngine::silenceCombEnvelopes()
{
    silence.wake();
    for (int32_t i = 0; i < kCombCount; ++i) {
        voices.envState[i] = kEnvIdle;
        voices.envLevel[i] = 0.f;
        voices.envStep[i] = 0.f;
        voices.envCounter[i] = 0;
        voices.triggerCountdown[i] = -1;
    }
}

// Decay, for comb envelopes and the feedback voice: steps while the counter is
// below `lastStep`, lands exactly on `sustain` at it, then holds in sustain.
void ResonatorEngine::stepDecayStage(int32_t v, int32_t lastStep, float sustain)
{
    const int32_t c = voices.envCounter[v];
    voices.envCounter[v] = c + 1;
    if (c < lastStep) {
        voices.envLevel[v] += voices.envStep[v];
    } else if (c == lastStep) {
        voices.envLevel[v] = sustain;
    } else {
        voices.envState[v] = kEnvSustain;
        voices.envStep[v] = 0.f;
        voices.envCounter[v] = 0;
    }
}

// Release: steps while the counter is within `length` and the level audible, then idle at 0.
void ResonatorEngine::stepReleaseStage(int32_t v, int32_t length)
{
    const int32_t c = voices.envCounter[v];
    voices.envCounter[v] = c + 1;
    if (c <= length && voices.envLevel[v] >= 1e-7f) {
        voices.envLevel[v] += voices.envStep[v];
    } else {
        voices.envState[v] = kEnvIdle;
        voices.envCounter[v] = 0;
        voices.envStep[v] = 0.f;
        voices.envLevel[v] = 0.f;
    }
}

void ResonatorEngine::stepCombEnvelope(int32_t i)
{
    const int32_t t = voices.triggerCountdown[i];
    if (t >= 0)
        voices.triggerCountdown[i] = t - 1;
    if (t == 0) {
        voices.envCounter[i] = 0;
        if (voices.noteVelocity[i] <= 0.f) {
            voices.envState[i] = kEnvRelease;
            voices.envStep[i] = (-1.f / static_cast<float>(playingCombs[i].envReleaseSamples + 1)) * voices.envLevel[i];
        } else {
            voices.envState[i] = kEnvAttack;
            voices.envStep[i] = (1.f - voices.envLevel[i]) / static_cast<float>(playingCombs[i].envAttackSamples + 1);
        }
    }

    const int32_t c = voices.envCounter[i];
    switch (voices.envState[i]) {
    case kEnvAttack: {
        const int32_t length = playingCombs[i].envAttackSamples;
        voices.envCounter[i] = c + 1;
        if (c > length) {
            voices.envState[i] = kEnvDecay;
            voices.envCounter[i] = 0;
            voices.envStep[i] = (playingCombs[i].envSustain - voices.envLevel[i]) /
                                static_cast<float>(playingCombs[i].envDecaySamples + 1);
        } else if (c == length) {
            voices.envLevel[i] = 1.f;  // the last of length + 1 equal steps, without rounding drift
        } else {
            voices.envLevel[i] += voices.envStep[i];
        }
        break;
    }
    case kEnvDecay:
        stepDecayStage(i, playingCombs[i].envDecaySamples, playingCombs[i].envSustain);
        break;
    case kEnvRelease:
        stepReleaseStage(i, playingCombs[i].envReleaseSamples);
        break;
    default:  // sustain and idle hold
        break;
    }
}

// Samples from now on which comb i's envelope only adds its step (or holds),
// with no trigger and no change of stage: the stretch stepCombEnvelope()
// would spend in its plainest branch.
int32_t ResonatorEngine::plainEnvelopeSteps(int32_t i, int32_t limit) const
{
    const int32_t t = voices.triggerCountdown[i];
    if (t >= 0)
        limit = std::min(limit, t);  // the trigger fires on the sample its countdown reads 0
    const int32_t c = voices.envCounter[i];
    switch (voices.envState[i]) {
    case kEnvAttack:
        return std::max(0, std::min(limit, playingCombs[i].envAttackSamples - c));
    case kEnvDecay:
        return std::max(0, std::min(limit, playingCombs[i].envDecaySamples - c));
    case kEnvRelease:
        return 0;  // the level test runs every sample
    default:
        return limit;  // sustain and idle hold
    }
}

// Comb i's envelope over n samples, writing its lane's output gain for each
// (lane < 0: the comb is not sounding). The same steps as stepCombEnvelope()
// sample by sample, run comb by comb so the plain stretches are tight loops.
void ResonatorEngine::stepCombEnvelopeOver(int32_t i, int32_t lane, int32_t n)
{
    const float velocity = playingCombs[i].Velocity;
    const float out = playingCombs[i].Out;
    int32_t k = 0;
    while (k < n) {
        const int32_t run = plainEnvelopeSteps(i, n - k);
        if (run == 0) {
            stepCombEnvelope(i);
            if (lane >= 0)
                lanes.gain[k][lane] = ((voices.envLevel[i] - 1.f) * velocity + 1.f) * out;
            ++k;
            continue;
        }
        float level = voices.envLevel[i];
        const bool holds = voices.envState[i] == kEnvSustain || voices.envState[i] == kEnvIdle;
        const float step = holds ? 0.f : voices.envStep[i];
        for (int32_t j = 0; j < run; ++j) {
            if (!holds)
                level += step;
            if (lane >= 0)
                lanes.gain[k + j][lane] = ((level - 1.f) * velocity + 1.f) * out;
        }
        voices.envLevel[i] = level;
        if (!holds)
            voices.envCounter[i] += run;
        if (voices.triggerCountdown[i] >= 0)
            voices.triggerCountdown[i] -= run;
        k += run;
    }
}

float ResonatorEngine::feedbackDelayTarget(double frequency)
{
    const float p33 = blockParams[33];
    if (p33 == 0.f)
        return static_cast<float>(sampleRate / frequency);  // one period of the note at the host's rate
    readTempo();
    const double unit = sampleRate / beatsPerSecond;  // samples per beat
    const double target = (feedback.feedbackNote + 1) * unit * delayModeOf(p33).multiplier;
    return static_cast<float>(std::min(target, static_cast<double>(kFeedbackLineSamples)));
}

void ResonatorEngine::triggerFeedbackVoice()
{
    const int32_t note = feedback.feedbackNote;
    const double f = note >= 0 && note < TuningMap::kNumNotes ? noteFrequency[note] : 0.0;
    if (!(f > kFeedbackLowestHz && f < kFeedbackHighestHz))
        return;

    const float resonance = blockParams[24];
    BiquadDesign design;
    design.frequency = static_cast<float>(f);
    design.Q = 0.5f + 49.5f * resonance * resonance;
    design.gain = 1.f;
    design.slope = 1.f;
    design.bandwidthGiven = 0;
    design.constantPeakGain = 1;
    const float typeValue = menuItemOf(blockParams[34]);
    // Types outside the designs (and a non-finite setting) leave the filters as they were.
    const int type = (typeValue > -1.f && typeValue < 100.f) ? static_cast<int>(typeValue) : -1;
    feedback.feedbackFilter[0].design(design, type);
    feedback.feedbackFilter[1].design(design, type);

    const float target = feedbackDelayTarget(f);
    feedback.fbDelayTarget = target;
    voices.envState[kFeedbackVoice] = kEnvAttack;
    voices.envCounter[kFeedbackVoice] = 0;
    feedback.glideCounter = 0;
    feedback.voiceNote = feedback.feedbackNote;
    feedback.fbGlideStep = (target - feedback.fbDelayCurrent) / feedback.glideSamples;
    voices.envStep[kFeedbackVoice] =
        (feedback.fbVelocityLevel - voices.envLevel[kFeedbackVoice]) / static_cast<float>(feedback.fbAttackSamples);
}

void ResonatorEngine::stepFeedbackVoice()
{
    constexpr int v = kFeedbackVoice;
    const int32_t t = voices.triggerCountdown[v];
    if (t >= 0)
        voices.triggerCountdown[v] = t - 1;
    if (t == 0) {
        if (voices.noteVelocity[v] > 0.f) {
            triggerFeedbackVoice();
        } else if (feedback.feedbackNote == feedback.voiceNote) {
            voices.envState[v] = kEnvRelease;
            voices.envCounter[v] = 0;
            voices.envStep[v] = (-1.f / static_cast<float>(feedback.fbReleaseSamples)) * voices.envLevel[v];
        }
    }
    if (voices.envState[v] == kEnvIdle)
        return;

    // Glide of the delay toward the target, glideSamples steps from the trigger.
    const bool gliding = feedback.glideRunning();
    feedback.countGlide(1);
    if (gliding) {
        feedback.fbDelayCurrent += feedback.fbGlideStep;
        if (!feedback.glideRunning())
            feedback.fbDelayCurrent = feedback.fbDelayTarget;  // the last step lands on the target exactly
        feedback.feedbackDelay[0]->setDelay(feedback.fbDelayCurrent);
        feedback.feedbackDelay[1]->setDelay(feedback.fbDelayCurrent);
    }

    const int32_t c = voices.envCounter[v];
    switch (voices.envState[v]) {
    case kEnvAttack: {
        const int32_t length = feedback.fbAttackSamples;
        voices.envCounter[v] = c + 1;
        if (c >= length) {
            voices.envState[v] = kEnvDecay;
            voices.envCounter[v] = 0;
            voices.envStep[v] = (feedback.fbVelocityLevel * blockParams[28] - voices.envLevel[v]) /
                                static_cast<float>(feedback.fbDecaySamples);
        } else if (c == length - 1) {
            voices.envLevel[v] = feedback.fbVelocityLevel;
        } else {
            voices.envLevel[v] += voices.envStep[v];
        }
        break;
    }
    case kEnvDecay:
        // Its decay has fbDecaySamples steps, the last landing on the sustain level.
        stepDecayStage(v, feedback.fbDecaySamples - 1, feedback.fbVelocityLevel * blockParams[28]);
        break;
    case kEnvRelease:
        stepReleaseStage(v, feedback.fbReleaseSamples);
        break;
    default:
        break;
    }
}

void ResonatorEngine::feedbackStatusText(char* text, std::size_t size) const
{
    if (!text || size == 0)
        return;
    if (shownFeedbackIdle) {
        std::snprintf(text, size, "%s", "(--)");
        return;
    }
    const float p33 = liveParams[33];
    if (p33 == 0.f) {
        // Frequency of the current delay; formatted without the process locale.
        char number[64];
        const double hz = sampleRate / shownFeedbackDelay;
        const auto result = std::to_chars(number, number + sizeof(number) - 1, hz, std::chars_format::fixed, 2);
        *(result.ec == std::errc() ? result.ptr : number) = '\0';
        std::snprintf(text, size, "%s", number);
        return;
    }
    std::snprintf(text, size, "%s x %d", delayModeOf(p33).unitName, shownFeedbackNote + 1);
}
