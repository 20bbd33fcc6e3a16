// Selecting, naming and exchanging programs: the store of 32 records is the
// plug-in's whole saved state, and the current record is loaded into the
// engine's working state whenever it is selected or replaced.
#include "engine/ResonatorEngine.h"

#include "programs/CombParameterTypes.h"
#include "programs/FactoryPresets.h"
#include "programs/ProgramChunks.h"
#include "programs/ProgramExport.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace {

// Parameters 35..42 are not applied on selection; they keep the values of
// the previous program until set.
constexpr int32_t kParametersAppliedOnSelection = 35;

// The settings whose derived values are recomputed on selection, in this
// order: coefficients first, so the stiffness delay update sees the new
// lowpass; the pitch and the LFO rate are not among them.
constexpr int32_t kTypesRecomputedOnSelection[] = {
    comb_type::kBright, comb_type::kDecay, comb_type::kStiff, comb_type::kAttack,
    comb_type::kDecayTime, comb_type::kSustain, comb_type::kRelease,
};

// A restored chunk may carry NaN or infinite values; the audio loop must
// never see them. Such words take the default record's value; the
// engine-only sample words are left alone (their values do not matter).
void replaceNonFiniteValues(ProgramRecord& record)
{
    static const ProgramRecord defaults;
    for (int k = 0; k < kNumParams; ++k)
        if (!std::isfinite(record.fParams[k]))
            record.fParams[k] = defaults.fParams[k];
    for (int i = 0; i < kNumCombs; ++i) {
        CombSettings& c = record.combSettings[i];
        const CombSettings& d = defaults.combSettings[i];
        for (float CombSettings::* field :
             {&CombSettings::normalPitch, &CombSettings::Delay, &CombSettings::Decay, &CombSettings::Stiff,
              &CombSettings::Bright, &CombSettings::LFOfreq, &CombSettings::Out, &CombSettings::inPan,
              &CombSettings::Pan, &CombSettings::PanPos, &CombSettings::LFO2Dec, &CombSettings::Velocity2Pitch,
              &CombSettings::PitchGlide, &CombSettings::envAttack, &CombSettings::envDecay,
              &CombSettings::envSustain, &CombSettings::envRelease, &CombSettings::Velocity})
            if (!std::isfinite(c.*field))
                c.*field = d.*field;
    }
}

// The engine's working copy only ever holds settings in their 0..1 range: a
// restored chunk with Out = 1e30 must not turn into infinite output. The
// stored record keeps its bytes; the period is checked where it is used.
void clampToSettingRanges(CombSettings& c)
{
    for (float CombSettings::* field :
         {&CombSettings::normalPitch, &CombSettings::Decay, &CombSettings::Stiff, &CombSettings::Bright,
          &CombSettings::LFOfreq, &CombSettings::Out, &CombSettings::inPan, &CombSettings::Pan,
          &CombSettings::PanPos, &CombSettings::LFO2Dec, &CombSettings::envAttack, &CombSettings::envDecay,
          &CombSettings::envSustain, &CombSettings::envRelease, &CombSettings::Velocity})
        c.*field = std::clamp(c.*field, 0.f, 1.f);
}

}  // namespace

void ResonatorEngine::setProgram(int32_t program)
{
    if (!programs || program < 0 || program >= kNumPrograms)
        return;
    ControlScope scope(*this);
    saveUnsavedParameters();  // into the program they were set for
    curProgram = program;
    ProgramRecord& record = programs[program];

    // Through the virtual setParameter, so the editor's controls follow too.
    for (int32_t k = 0; k < kParametersAppliedOnSelection; ++k)
        setParameter(k, record.fParams[k]);

    std::memcpy(currentCombs, record.combSettings, sizeof(currentCombs));
    for (CombSettings& c : currentCombs)
        clampToSettingRanges(c);
    for (int32_t i = 0; i < kNumCombs; ++i)
        for (int32_t type : kTypesRecomputedOnSelection)
            setCombParameter(i, type, currentCombs[i].*comb_type::fieldOf(type));

    // "*..." means the stored periods are the tuning; anything else names where the tuning comes from.
    setParameter(45, record.tuningMapPath[0] == '*' ? -2.f : -1.f);
    showCombParameterInEditor(comb_type::kPitch);
}

void ResonatorEngine::setProgramName(char* name)
{
    const auto lock = lockControl();
    if (programs && name)
        storeProgramName(programs[curProgram], name);
}

void ResonatorEngine::getProgramName(char* name)
{
    if (!name)
        return;
    const auto lock = lockControl();
    if (programs)
        readProgramName(programs[curProgram], name);
    else
        name[0] = '\0';
}

// The host reads the chunk after this returns, while other threads may change
// the store: it gets a copy.
int32_t ResonatorEngine::getChunk(void** data, bool isPreset)
{
    const auto lock = lockControl();
    if (!programs)
        return 0;
    if (!chunkCopy) {
        chunkCopy.reset(new (std::nothrow) ProgramRecord[kNumPrograms]);
        if (!chunkCopy)
            return 0;
    }
    saveUnsavedParameters();
    std::memcpy(chunkCopy.get(), programs, sizeof(ProgramRecord) * kNumPrograms);
    return chunkOfStore(chunkCopy.get(), curProgram, data, isPreset);
}

int32_t ResonatorEngine::setChunk(void* data, int32_t byteSize, bool isPreset)
{
    ControlScope scope(*this);
    if (!restoreStoreFromChunk(programs, curProgram, data, byteSize, isPreset))
        return 0;
    if (isPreset) {
        replaceNonFiniteValues(programs[curProgram]);
    } else {
        for (int k = 0; k < kNumPrograms; ++k)
            replaceNonFiniteValues(programs[k]);
    }
    setProgram(curProgram);
    return 1;
}

void ResonatorEngine::fillFactoryPresets()
{
    const auto lock = lockControl();
    ::fillFactoryPresets(programs);
}

int ResonatorEngine::exportPrograms()
{
    const std::string path = defaultExportPath();
    const auto lock = lockControl();
    saveUnsavedParameters();
    return ::exportPrograms(programs, path.c_str());
}
