#include "engine/ResonatorEngine.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {
constexpr const char* kEffectName = "Tovarine";
constexpr const char* kVendorString = "tovarine.audio";
constexpr const char* kProductString = "Tovarine 88 Resonator";
// Host buffers for names are at least this large in every VST 2 host.
constexpr std::size_t kHostNameBufferSize = 32;
constexpr std::size_t kHostProgramNameSize = 24;
}

ResonatorEngine::ResonatorEngine(audioMasterCallback audioMaster)
    : AudioEffectX(audioMaster, kNumPrograms, kNumParams)
{
    // The tuning map, the comb bank with its 88 LFOs, the offsets and the
    // feedback filters and limiter are constructed as members by now.
    programs = new (std::nothrow) ProgramRecord[kNumPrograms];

    if (audioMaster) {
        setNumInputs(2);
        setNumOutputs(2);
        hasClip(false);
        hasVu(false);
        canProcessReplacing(true);
        needIdle();
        setUniqueID(vstFourCC('T', 'V', 'R', '2'));
    }
    programsAreChunks(true);

    kernelWidth = widestKernelWidth();
    setUpEngine();

    fillFactoryPresets();
    if (programs) {
        // Selection applies parameters 0..34 only; start 35..42 from the program too.
        for (int32_t k = 0; k < kNumParams; ++k)
            liveParams[k] = programs[0].fParams[k];
        setProgram(0);
    }
}

ResonatorEngine::~ResonatorEngine()
{
    delete[] programs;
}

void ResonatorEngine::process(float** inputs, float** outputs, int32_t sampleFrames)
{
    processBlock(inputs, outputs, sampleFrames, false);
}

void ResonatorEngine::processReplacing(float** inputs, float** outputs, int32_t sampleFrames)
{
    processBlock(inputs, outputs, sampleFrames, true);
}

bool ResonatorEngine::getEffectName(char* name)
{
    copyText(name, kHostNameBufferSize, kEffectName);
    return true;
}

bool ResonatorEngine::getVendorString(char* text)
{
    copyText(text, kHostNameBufferSize, kVendorString);
    return true;
}

bool ResonatorEngine::getProductString(char* text)
{
    copyText(text, kHostNameBufferSize, kProductString);
    return true;
}

int32_t ResonatorEngine::canDo(char* text)
{
    if (!text)
        return -1;
    if (std::strcmp(text, "receiveVstEvents") == 0 || std::strcmp(text, "receiveVstMidiEvent") == 0)
        return 1;
    return -1;
}

bool ResonatorEngine::getOutputProperties(int32_t index, VstPinProperties* properties)
{
    if (index < 0 || index > 1 || !properties)
        return false;
    std::snprintf(properties->label, sizeof(properties->label), "Tovarine %1d", index + 1);
    properties->flags = kVstPinIsActive | kVstPinIsStereo;
    return true;
}

bool ResonatorEngine::getProgramNameIndexed(int32_t category, int32_t index, char* text)
{
    (void)category;
    if (index < 0 || index >= kNumPrograms || !programs || !text)
        return false;
    const auto lock = lockControl();
    const ProgramRecord& record = programs[index];
    const std::size_t n = boundedLength(record.name, sizeof(record.name));
    const std::size_t length = n < kHostProgramNameSize - 1 ? n : kHostProgramNameSize - 1;
    std::memcpy(text, record.name, length);
    text[length] = '\0';
    return true;
}

bool ResonatorEngine::copyProgram(int32_t destination)
{
    if (destination < 0 || destination >= kNumPrograms || !programs)
        return false;
    const auto lock = lockControl();
    saveUnsavedParameters();
    if (destination != curProgram)
        std::memcpy(&programs[destination], &programs[curProgram], sizeof(ProgramRecord));
    return true;
}
