#include "host/AudioEffect.h"

#include "gui/AEffEditor.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <type_traits>

// The descriptor's functions have exactly the interface's types, calling convention included.
static_assert(std::is_same_v<decltype(&AudioEffect::dispatchEffect), AEffectDispatcherProc>);
static_assert(std::is_same_v<decltype(&AudioEffect::processEffect), AEffectProcessProc>);
static_assert(std::is_same_v<decltype(&AudioEffect::processReplacingEffect), AEffectProcessProc>);
static_assert(std::is_same_v<decltype(&AudioEffect::setParameterEffect), AEffectSetParameterProc>);
static_assert(std::is_same_v<decltype(&AudioEffect::getParameterEffect), AEffectGetParameterProc>);

AudioEffect::AudioEffect(audioMasterCallback audioMaster_, int32_t numPrograms_, int32_t numParams_)
    : sampleRate(44100.f),
      editor(nullptr),
      audioMaster(audioMaster_),
      numPrograms(numPrograms_),
      numParams(numParams_),
      curProgram(0),
      blockSize(1024)
{
    std::memset(&cEffect, 0, sizeof(cEffect));
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatchEffect;
    cEffect.process = processEffect;
    cEffect.setParameter = setParameterEffect;
    cEffect.getParameter = getParameterEffect;
    cEffect.numPrograms = numPrograms;
    cEffect.numParams = numParams;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.ioRatio = 1.f;
    cEffect.object = this;
    cEffect.uniqueID = vstFourCC('N', 'o', 'E', 'f');
    cEffect.version = 1;
    cEffect.processReplacing = processReplacingEffect;
}

AudioEffect::~AudioEffect()
{
    delete editor;
}

void AudioEffect::setFlag(int32_t flag, bool state)
{
    if (state)
        cEffect.flags |= flag;
    else
        cEffect.flags &= ~flag;
}

intptr_t AudioEffect::callHost(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    return audioMaster ? audioMaster(&cEffect, opcode, index, value, ptr, opt) : 0;
}

// --- the descriptor's functions -------------------------------------------

namespace {
AudioEffect* objectOf(AEffect* e)
{
    return e ? static_cast<AudioEffect*>(e->object) : nullptr;
}
}  // namespace

intptr_t VSTCALLBACK AudioEffect::dispatchEffect(AEffect* e, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    AudioEffect* object = objectOf(e);
    if (!object)
        return 0;
    if (opcode == effClose) {
        object->dispatcher(opcode, index, value, ptr, opt);
        delete object;
        return 1;
    }
    return object->dispatcher(opcode, index, value, ptr, opt);
}

void VSTCALLBACK AudioEffect::processEffect(AEffect* e, float** inputs, float** outputs, int32_t sampleFrames)
{
    if (AudioEffect* object = objectOf(e))
        object->process(inputs, outputs, sampleFrames);
}

void VSTCALLBACK AudioEffect::processReplacingEffect(AEffect* e, float** inputs, float** outputs, int32_t sampleFrames)
{
    if (AudioEffect* object = objectOf(e))
        object->processReplacing(inputs, outputs, sampleFrames);
}

void VSTCALLBACK AudioEffect::setParameterEffect(AEffect* e, int32_t index, float value)
{
    if (AudioEffect* object = objectOf(e))
        object->setParameter(index, value);
}

float VSTCALLBACK AudioEffect::getParameterEffect(AEffect* e, int32_t index)
{
    AudioEffect* object = objectOf(e);
    return object ? object->getParameter(index) : 0.f;
}

// --- opcodes 0..24 ---------------------------------------------------------

intptr_t AudioEffect::dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    char* text = static_cast<char*>(ptr);
    switch (opcode) {
    case effOpen:
        open();
        return 0;
    case effClose:
        close();
        return 0;
    case effSetProgram:
        if (value >= 0 && value < numPrograms)
            setProgram(static_cast<int32_t>(value));
        return 0;
    case effGetProgram:
        return getProgram();
    case effSetProgramName:
        if (text)
            setProgramName(text);
        return 0;
    case effGetProgramName:
        if (text)
            getProgramName(text);
        return 0;
    case effGetParamLabel:
        if (text)
            getParameterLabel(index, text);
        return 0;
    case effGetParamDisplay:
        if (text)
            getParameterDisplay(index, text);
        return 0;
    case effGetParamName:
        if (text)
            getParameterName(index, text);
        return 0;
    case effGetVu:
        return static_cast<intptr_t>(getVu() * 32767.f);
    case effSetSampleRate:
        setSampleRate(opt);
        return 0;
    case effSetBlockSize:
        setBlockSize(static_cast<int32_t>(value));
        return 0;
    case effMainsChanged:
        if (value == 0)
            suspend();
        else
            resume();
        return 0;
    case effEditGetRect:
        return (editor && ptr) ? editor->getRect(static_cast<ERect**>(ptr)) : 0;
    case effEditOpen:
        return editor ? editor->open(ptr) : 0;
    case effEditClose:
        if (editor)
            editor->close();
        return 0;
    case effEditIdle:
        if (editor)
            editor->idle();
        return 0;
    case effIdentify:
        return vstFourCC('N', 'v', 'E', 'f');
    case effGetChunk:
        return ptr ? getChunk(static_cast<void**>(ptr), index != 0) : 0;
    case effSetChunk:
        return ptr ? setChunk(ptr, static_cast<int32_t>(value), index != 0) : 0;
    default:
        return 0;
    }
}

// --- defaults --------------------------------------------------------------

void AudioEffect::setParameterAutomated(int32_t index, float value)
{
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

void AudioEffect::getProgramName(char* name)
{
    if (name)
        name[0] = '\0';
}

void AudioEffect::getParameterLabel(int32_t index, char* label)
{
    (void)index;
    if (label)
        label[0] = '\0';
}

void AudioEffect::getParameterDisplay(int32_t index, char* text)
{
    (void)index;
    if (text)
        text[0] = '\0';
}

void AudioEffect::getParameterName(int32_t index, char* text)
{
    (void)index;
    if (text)
        text[0] = '\0';
}

int32_t AudioEffect::getMasterVersion()
{
    if (!audioMaster)
        return 1;
    const intptr_t version = callHost(audioMasterVersion);
    return version ? static_cast<int32_t>(version) : 1;
}

int32_t AudioEffect::getCurrentUniqueId()
{
    return static_cast<int32_t>(callHost(audioMasterCurrentId));
}

void AudioEffect::masterIdle()
{
    callHost(audioMasterIdle);
}

bool AudioEffect::isInputConnected(int32_t input)
{
    return audioMaster && callHost(audioMasterPinConnected, input, 0) == 0;
}

bool AudioEffect::isOutputConnected(int32_t output)
{
    return audioMaster && callHost(audioMasterPinConnected, output, 1) == 0;
}

// Number-to-text helpers of the SDK; hosts see only the 8 characters they allow.
void AudioEffect::dB2string(float value, char* text)
{
    if (value <= 0.f)
        std::snprintf(text, 9, "%s", "-oo");
    else
        float2string(static_cast<float>(20.0 * std::log10(value)), text);
}

void AudioEffect::Hz2string(float samples, char* text)
{
    if (samples == 0.f)
        float2string(0.f, text);
    else
        float2string(sampleRate / samples, text);
}

void AudioEffect::ms2string(float samples, char* text)
{
    float2string(static_cast<float>(samples * 1000.0 / sampleRate), text);
}

void AudioEffect::float2string(float value, char* text)
{
    // to_chars ignores the process locale, which GTK and Qt hosts change.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::fixed, 3);
    const std::size_t length = std::min<std::size_t>(static_cast<std::size_t>(result.ptr - buffer), 8);
    std::memcpy(text, buffer, length);
    text[length] = '\0';
}

void AudioEffect::long2string(long value, char* text)
{
    if (value >= 100000000 || value <= -10000000)
        std::snprintf(text, 9, "%s", "Huge!");
    else
        std::snprintf(text, 9, "%ld", value);
}
