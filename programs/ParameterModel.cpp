// The global parameters, the two command indices that share their path, and
// the per-resonator setter: every change goes into the current program record
// (so it is saved) and into the engine's working copy with its derived values.
#include "engine/ResonatorEngine.h"

#include "programs/CombParameterTypes.h"
#include "programs/ParameterText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace {

constexpr int32_t kTuningCommand = 45;
constexpr int32_t kSyncCommand = 46;

// Parameters 32..34 hold a menu item k as k / 10.
bool isMenuParameter(int32_t index)
{
    return index >= 32 && index <= 34;
}

// Resonator envelope lengths: trunc(v * sampleRate * v) samples, v in 0..1.
int32_t envelopeSamples(float value, float sampleRate)
{
    return static_cast<int32_t>(static_cast<double>(value) * sampleRate * value);
}

// Loop coefficients: v^0.34, the exponent as the float 0.34 widened to double.
float loopCoefficient(float value)
{
    return static_cast<float>(std::pow(static_cast<double>(value), static_cast<double>(0.34f)));
}

// Tempo divisions of command 46, in the order of the editor's sync menu:
// a bar, 1/4, 1/8, 1/8 triplet, 1/16, 1/16 triplet (fractions of a bar).
constexpr float kSyncDivisions[] = {1.f, 0.25f, 0.125f, 1.f / 12.f, 0.0625f, 1.f / 24.f};

}  // namespace

void ResonatorEngine::setParameter(int32_t index, float value)
{
    if (!std::isfinite(value))
        return;  // a NaN or infinity from a host would poison the program and the audio loop
    if (index == kTuningCommand) {
        runTuningCommand(value);
        return;
    }
    if (index == kSyncCommand) {
        runSyncCommand(value);
        return;
    }
    if (index < 0 || index >= kNumParams)
        return;
    // Stored as given (saved state keeps every bit) by the next change or read of the
    // store: a parameter never waits for the control lock, whichever thread sets it.
    unsavedValue[index] = value;
    unsavedParams.fetch_or(uint64_t(1) << index, std::memory_order_release);
    // Host parameters are normalised; a host that sends 1e9 must not turn an
    // output level into a gain of a billion. The parameters the engine reads
    // (the type selector and 20..34) only ever hold 0..1; the others keep any
    // finite value, as stored programs may (index 42 defaults to 1.2).
    if (index == 1 || (index >= 20 && index <= 34))
        value = std::clamp(value, 0.f, 1.f);
    liveParams[index] = value;
}

// The value as set (limited to 0..1 where the engine reads it): a host can write back what it reads.
float ResonatorEngine::getParameter(int32_t index)
{
    if (index < 0 || index >= kNumParams)
        return 0.f;
    return liveParams[index];
}

float ResonatorEngine::menuItem(int32_t index) const
{
    return isMenuParameter(index) ? menuItemOf(liveParams[index]) : 0.f;
}

void ResonatorEngine::getParameterName(int32_t index, char* text)
{
    parameter_text::name(index, text);
}

void ResonatorEngine::getParameterLabel(int32_t index, char* label)
{
    parameter_text::label(index, label);
}

void ResonatorEngine::getParameterDisplay(int32_t index, char* text)
{
    parameter_text::display(index, (index >= 0 && index < kNumParams) ? liveParams[index].load() : 0.f, text);
}

void ResonatorEngine::runTuningCommand(float command)
{
    // The dialogs of these two run without the control lock; they take it to apply the result.
    if (command == 0.f) {
        loadTuning(true);
        return;
    }
    if (command == 1.f) {
        analyseImpulse();
        return;
    }
    ControlScope scope(*this);
    const int32_t type = comb_type::selectedBy(liveParams[1]);
    if (command == -1.f)
        loadTuning(false);
    else if (command == -2.f)
        deriveTuningFromCombs();
    else if (command == 8.f)
        nudgeCombParameter(type, 0.1f);
    else if (command == 9.f)
        nudgeCombParameter(type, 0.05f);
    else if (command == 10.f)
        nudgeCombParameter(type, 0.01f);
    else if (command == 11.f)
        nudgeCombParameter(type, -0.01f);
    else if (command == 12.f)
        nudgeCombParameter(type, -0.05f);
    else if (command == 13.f)
        nudgeCombParameter(type, -0.1f);
    else if (command == 14.f)
        resetCombParameter(type);
}

void ResonatorEngine::runSyncCommand(float command)
{
    for (int k = 0; k < static_cast<int>(std::size(kSyncDivisions)); ++k) {
        if (command == static_cast<float>(k)) {
            syncCombs(kSyncDivisions[k]);
            return;
        }
    }
}

void ResonatorEngine::setCombParameter(int32_t comb, int32_t type, float value)
{
    if (comb < 0 || comb >= kNumCombs || !std::isfinite(value))
        return;
    ControlScope scope(*this);
    lastCombParamType = type;
    float CombSettings::* field = comb_type::fieldOf(type);
    if (!field)
        return;

    if (value > 1.f)
        value = 1.f;
    if (value < 0.f)
        value = 0.f;
    ProgramRecord* program = programs ? &programs[curProgram] : nullptr;
    if (program)
        program->combSettings[comb].*field = value;
    CombSettings& live = currentCombs[comb];
    live.*field = value;

    switch (type) {
    case comb_type::kPitch: {
        // f = 4 * 1024^v Hz = 2^(2 + 10 v); only the working copy's period
        // changes, the stored one is written by retuning alone.
        const long double frequency = std::exp2(2.0L + static_cast<long double>(value) * 10.0L);
        live.Delay = static_cast<float>(sampleRate / frequency);
        updateCombDelay(comb, live.Delay);
        // The resonators now carry their own pitches: mark the program with "*<map name>".
        if (program && program->tuningMapPath[0] != '*') {
            char marked[kTuningMapPathSize];
            std::snprintf(marked, sizeof(marked), "*%s", tuningMap.getName());
            copyText(program->tuningMapPath, sizeof(program->tuningMapPath), marked);
        }
        break;
    }
    case comb_type::kDecay:
        settings.decayCoef[comb] = loopCoefficient(value);
        break;
    case comb_type::kBright:
        settings.brightCoef[comb] = loopCoefficient(value);
        break;
    case comb_type::kStiff:
        settings.stiffCoef[comb] = loopCoefficient(value);
        if (settings.stiffCoef[comb] > 0.f)
            stiffnessActive = true;
        updateCombDelay(comb, live.Delay);  // the allpass changes the loop's phase delay
        break;
    case comb_type::kAttack:
        live.envAttackSamples = envelopeSamples(value, sampleRate);
        break;
    case comb_type::kDecayTime:
        live.envDecaySamples = envelopeSamples(value, sampleRate);
        break;
    case comb_type::kRelease:
        live.envReleaseSamples = envelopeSamples(value, sampleRate);
        break;
    case comb_type::kLfoFreq:
        settings.lfoIncrement[comb] = CombLfo::incrementFor(static_cast<double>(value) * value * value * 20.0, lfoAdvanceRate);
        break;
    default:
        break;  // read directly by the audio loop
    }
}
