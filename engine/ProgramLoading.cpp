// Filling the engine's working state from a program record, with every value
// the audio loop derives from the stored settings.
#include "engine/ResonatorEngine.h"

#include <cmath>
#include <cstring>

namespace {

// value^0.34 with the exponent as the single-precision constant, in double.
float coefficientOf(float value)
{
    return static_cast<float>(std::pow(static_cast<double>(value), static_cast<double>(0.34f)));
}

// Whole samples of an envelope segment: value^2 x sample rate, truncated.
int32_t envelopeSamples(float value, float rate)
{
    const double samples = static_cast<double>(value) * rate * value;
    return samples > 0.0 && samples < 2147483647.0 ? static_cast<int32_t>(samples) : 0;
}

// Feedback times are laid out at 44.1 kHz whatever the host rate: ceil(p^2 x 44100), at least 1.
double feedbackSamples(float value)
{
    const double samples = std::ceil(static_cast<double>(value) * value * 44100.0 + static_cast<double>(1e-12f));
    return samples >= 1.0 && samples < 2147483647.0 ? samples : 1.0;
}

}  // namespace

void ResonatorEngine::deriveCombValues(int32_t i)
{
    if (i < 0 || i >= kCombCount)
        return;
    ControlScope scope(*this);
    CombSettings& c = currentCombs[i];
    settings.decayCoef[i] = coefficientOf(c.Decay);
    settings.brightCoef[i] = coefficientOf(c.Bright);
    settings.stiffCoef[i] = coefficientOf(c.Stiff);
    if (settings.stiffCoef[i] > 0.f)
        stiffnessActive = true;
    c.envAttackSamples = envelopeSamples(c.envAttack, sampleRate);
    c.envDecaySamples = envelopeSamples(c.envDecay, sampleRate);
    c.envReleaseSamples = envelopeSamples(c.envRelease, sampleRate);
    settings.lfoIncrement[i] = CombLfo::incrementFor(static_cast<double>(c.LFOfreq) * c.LFOfreq * c.LFOfreq * 20.0, lfoAdvanceRate);
}

void ResonatorEngine::deriveFeedbackValues()
{
    feedback.fbDistortion = blockParams[22] * blockParams[22];
    feedback.glideSamples = static_cast<float>(feedbackSamples(blockParams[25]));
    feedback.fbAttackSamples = static_cast<int32_t>(feedbackSamples(blockParams[26]));
    feedback.fbDecaySamples = static_cast<int32_t>(feedbackSamples(blockParams[27]));
    feedback.fbReleaseSamples = static_cast<int32_t>(feedbackSamples(blockParams[29]));
}

void ResonatorEngine::loadProgramIntoEngine(const ProgramRecord& record)
{
    ControlScope scope(*this);
    for (int32_t k = 0; k < kNumParams; ++k)
        liveParams[k] = record.fParams[k];
    std::memcpy(currentCombs, record.combSettings, sizeof(currentCombs));
    stiffnessActive = false;
    for (int32_t i = 0; i < kCombCount; ++i)
        deriveCombValues(i);
    for (int32_t i = 0; i < kCombCount; ++i) {
        // Period at the current sample rate from normalPitch (4 x 1024^v Hz).
        const double f = std::exp2(2.0 + static_cast<double>(currentCombs[i].normalPitch) * 10.0);
        currentCombs[i].Delay = static_cast<float>(sampleRate / f);
        updateCombDelay(i, currentCombs[i].Delay);
    }
}
