// One-time set-up, resume, sample rate and block size, host tempo, and the
// snapping of comb periods to tempo divisions.
#include "engine/ResonatorEngine.h"

#include "engine/FastMath.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

namespace {

// A small deterministic generator for the LFO start rates, so that two
// instances render the same audio (Park-Miller minimal standard).
class StartRateGenerator {
public:
    // A whole number from 1 to 100.
    uint32_t next()
    {
        state = static_cast<uint32_t>((static_cast<uint64_t>(state) * 48271u) % 2147483647u);
        return 1 + state % 100;
    }

private:
    uint32_t state = 20061u;
};

constexpr uint32_t kTimeInfoRequest = kVstTimeSigValid | kVstBarsValid | kVstTempoValid | kVstPpqPosValid |
                                      kVstTransportChanged;  // 0x2E01
constexpr float kFeedbackSetUpDelay = 22050.f;
constexpr float kFeedbackResumeDelay = 200.f;

}  // namespace

void ResonatorEngine::setUpEngine()
{
    for (int32_t i = 0; i < kCombCount; ++i)
        lists.envelopeList.index[i] = -1;
    lists.envelopeList.clear();
    lists.modulatedList.clear();
    lists.staticList.clear();

    readTempo();
    feedbackOffset = 1e-7f;

    std::memset(combs.spareRow, 0, sizeof(combs.spareRow));
    StartRateGenerator random;
    for (int32_t i = 0; i < kCombCount; ++i)
        setUpComb(i, random.next());

    voices.envState[kFeedbackVoice] = kEnvIdle;
    voices.envCounter[kFeedbackVoice] = 0;
    voices.envLevel[kFeedbackVoice] = 0.f;
    voices.envStep[kFeedbackVoice] = 0.f;
    voices.triggerCountdown[kFeedbackVoice] = -1;
    voices.noteVelocity[kFeedbackVoice] = 0.f;

    // The lines are the engine's only heap memory besides the program store.
    // Without both of them the engine outputs silence (see processBlock).
    for (auto& line : feedback.feedbackDelay) {
        line.reset(new (std::nothrow) FractionalDelay(kFeedbackLineSamples));
        if (line)
            line->setDelay(kFeedbackSetUpDelay);
    }
    feedback.fbDelayCurrent = 500.f;
    feedback.fbDelayTarget = 500.f;
    feedback.fbGlideStep = 0.f;
    feedback.dcBlockState[0] = feedback.dcBlockState[1] = 0.f;

    // Limiter: ratio 1:6, no make-up, half-lives of 5 ms (attack) and 80 ms (release).
    LevelCompressor& limiter = feedback.feedbackLimiter;
    limiter.ratio = 1.f / 6.f;
    limiter.makeUpGain = static_cast<float>(fastPow10(0.0));
    limiter.sampleRate = sampleRate;
    limiter.attack = static_cast<float>(std::pow(0.5, 1.0 / (sampleRate * 0.005)));
    limiter.release = static_cast<float>(std::pow(0.5, 1.0 / (sampleRate * 0.08)));
}

void ResonatorEngine::setUpComb(int32_t i, uint32_t randomRate)
{
    // Placeholder settings until a program is selected.
    CombSettings& c = currentCombs[i];
    c.Out = (i >= 21 && i <= 49) ? 1.f : 0.f;
    c.Velocity = 0.5f;
    c.PanPos = 0.5f;
    c.Decay = 0.96f;
    c.Bright = 0.85f;
    c.envAttack = 0.4f;
    c.envDecay = 0.4f;
    c.LFOfreq = 0.1f + 0.01f * static_cast<float>(i);
    c.envSustain = 0.7f;
    c.envRelease = 0.6f;
    c.LFO2Dec = 0.f;
    c.Pan = 0.1f;

    combs.lowpassState[i] = 0.f;
    combs.allpassState[i] = 0.f;
    combs.amplitudeFollower[i] = 0.f;
    combs.loopFilterDelay[i] = 0.f;
    combs.lfoValue[i] = 0.f;
    combs.phasePeriod[i] = 0.f;
    combs.phaseBright[i] = 0.f;
    combs.phaseStiff[i] = 0.f;
    // Coefficients of a silent loop until the program's settings are derived.
    settings.brightCoef[i] = combs.brightCoef[i] = 0.f;
    settings.decayCoef[i] = combs.decayCoef[i] = 0.f;
    settings.stiffCoef[i] = combs.stiffCoef[i] = 0.f;
    voices.envLevel[i] = 0.f;
    voices.envCounter[i] = 0;
    voices.envStep[i] = 0.f;
    voices.envState[i] = kEnvIdle;
    voices.triggerCountdown[i] = -1;
    voices.noteVelocity[i] = 0.f;

    // Pitch of note i + 12 from the tuning map; normalPitch v encodes 4 * 1024^v Hz.
    const double f = tuningMap.frequencyOfNote(i + kFirstCombNote);
    c.normalPitch = static_cast<float>(std::log(f / 4.0) / std::log(1024.0));
    if (programs)
        programs[curProgram].combSettings[i].normalPitch = c.normalPitch;
    c.Delay = static_cast<float>(sampleRate / f);

    clearCombLine(i);
    combs.delayLength[i] = 0.f;
    moveComb(i, c.Delay, 1.f, workingFilters(i));

    // The LFOs are advanced once per 16-sample sub-block. Start rates are
    // r * 0.05 Hz for r in 1..100 until the program sets LFOfreq.
    CombLfo& lfo = combs.lfo[i];
    float rate = sampleRate * 0.0625f;
    if (!(rate > 0.f))
        rate = 44100.f;
    lfo.setSampleRate(rate);
    lfoAdvanceRate = rate;
    settings.lfoIncrement[i] = CombLfo::incrementFor(static_cast<double>(randomRate) * 0.05, rate);
    lfo.setIncrement(settings.lfoIncrement[i]);
}

void ResonatorEngine::clearCombLine(int32_t i)
{
    std::memset(combs.delayBuffer[i], 0, sizeof(float) * kCombBufferSize);
    combs.lastOutput[i] = 0.f;
    combs.delayLength[i] = 0.f;
    combs.writeIndex[i] = 0;
    combs.readIndex[i] = 0;
}

// Hosts resume, and change the rate, while processing is stopped: these act
// for the audio thread too, after it has taken what is pending.
void ResonatorEngine::resume()
{
    ControlScope scope(*this);
    applyPendingChanges();
    silence.wake();
    for (int32_t i = 0; i < kCombCount; ++i) {
        clearCombLine(i);
        // The zeroed length makes this a jump, which only copies zeros.
        moveComb(i, currentCombs[i].Delay, 1.f, workingFilters(i));
        voices.envLevel[i] = 0.f;
        voices.envStep[i] = 0.f;
        combs.lowpassState[i] = 0.f;
        combs.amplitudeFollower[i] = 0.f;
        combs.allpassState[i] = 0.f;
        combs.loopFilterDelay[i] = 0.f;
    }
    voices.envLevel[kFeedbackVoice] = 0.f;
    voices.envStep[kFeedbackVoice] = 0.f;

    for (auto& line : feedback.feedbackDelay) {
        if (line) {
            line->clear();
            line->setDelay(kFeedbackResumeDelay);
        }
    }
    feedback.fbDelayCurrent = kFeedbackResumeDelay;
    feedback.fbDelayTarget = kFeedbackResumeDelay;
    feedback.fbGlideStep = 0.f;
    feedback.dcBlockState[0] = feedback.dcBlockState[1] = 0.f;
    feedback.feedbackOut[0] = feedback.feedbackOut[1] = 0.f;

    wantEvents(1);
}

// Everything derived in samples follows the new rate, so the resonators keep
// their pitch in Hz (a period is rate / f), envelopes and LFOs their times and
// the limiter its half-lives. Hosts change the rate while processing is stopped.
// The feedback voice's envelope and glide times are laid out at 44.1 kHz by
// design and stay; its pitch and filter follow the host's rate.
void ResonatorEngine::setSampleRate(float rate)
{
    ControlScope scope(*this);
    applyPendingChanges();
    silence.wake();
    const float oldRate = sampleRate;
    sampleRate = rate;
    if (!(rate > 0.f) || !std::isfinite(rate) || !(oldRate > 0.f) || rate == oldRate)
        return;
    const double ratio = static_cast<double>(rate) / oldRate;
    const float oldLfoRate = lfoAdvanceRate;
    lfoAdvanceRate = rate * 0.0625f;
    for (int32_t i = 0; i < kCombCount; ++i) {
        CombSettings& c = currentCombs[i];
        c.Delay = static_cast<float>(c.Delay * ratio);
        c.envAttackSamples = static_cast<int32_t>(static_cast<double>(c.envAttack) * rate * c.envAttack);
        c.envDecaySamples = static_cast<int32_t>(static_cast<double>(c.envDecay) * rate * c.envDecay);
        c.envReleaseSamples = static_cast<int32_t>(static_cast<double>(c.envRelease) * rate * c.envRelease);
        // Same frequency at the new advance rate (once per 16 samples).
        const double hz = static_cast<double>(settings.lfoIncrement[i]) / (256.0 * 16777216.0) * oldLfoRate;
        settings.lfoIncrement[i] = CombLfo::incrementFor(hz, lfoAdvanceRate);
        combs.lfo[i].setSampleRate(lfoAdvanceRate);
        updateCombDelay(i, c.Delay);
    }
    // The feedback filter follows the note's frequency, so it is designed at the host's rate too.
    feedback.feedbackFilter[0].setSampleRate(rate);
    feedback.feedbackFilter[1].setSampleRate(rate);
    LevelCompressor& limiter = feedback.feedbackLimiter;
    limiter.sampleRate = rate;
    limiter.attack = static_cast<float>(std::pow(0.5, 1.0 / (rate * 0.005)));
    limiter.release = static_cast<float>(std::pow(0.5, 1.0 / (rate * 0.08)));
}

void ResonatorEngine::setBlockSize(int32_t frames)
{
    blockSize = frames;
}

void ResonatorEngine::readTempo()
{
    double bpm = 120.0;
    double numerator = 4.0;
    if (const VstTimeInfo* info = getTimeInfo(static_cast<int32_t>(kTimeInfoRequest))) {
        if (info->flags & kVstTempoValid)
            bpm = info->tempo;
        if (info->flags & kVstTimeSigValid)
            numerator = info->timeSigNumerator;
    }
    if (!(bpm > 0.0) || !std::isfinite(bpm))
        bpm = 120.0;
    const double beats = bpm * (1.0 / 60.0);
    const double samples = sampleRate * (1.0 / beats);
    tempoBpm = bpm;
    beatsPerSecond = beats;
    // A very slow tempo must not overflow the integer.
    samplesPerBeat = samples < 2147483647.0 ? static_cast<int32_t>(samples) : std::numeric_limits<int32_t>::max();
    timeSigNumerator = numerator > 0.0 ? numerator : 4.0;
}

void ResonatorEngine::syncCombs(float division)
{
    ControlScope scope(*this);
    // Samples in the chosen division of a bar, from the tempo as last read.
    const double e = samplesPerBeat * timeSigNumerator * division;
    if (!(e > 0.0) || !std::isfinite(e))
        return;
    for (int32_t i = 0; i < kCombCount; ++i) {
        const double P = currentCombs[i].Delay;
        if (!(P > 0.0) || !std::isfinite(P))
            continue;
        // Longer periods snap down to a whole multiple, shorter ones up to a whole fraction.
        const double snapped = P > e ? e * std::floor(P / e) : e / std::floor(e / P);
        currentCombs[i].Delay = static_cast<float>(snapped);
        currentCombs[i].normalPitch = static_cast<float>(std::log(sampleRate / snapped * 0.25) / std::log(1024.0));
        updateCombDelay(i, currentCombs[i].Delay);
    }
    // Mark the program as carrying its own pitches.
    if (programs) {
        ProgramRecord& record = programs[curProgram];
        if (record.tuningMapPath[0] != '*')
            std::snprintf(record.tuningMapPath, sizeof(record.tuningMapPath), "*%s", tuningMap.getName());
    }
}
