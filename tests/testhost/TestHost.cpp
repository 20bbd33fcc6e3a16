#include "tests/testhost/TestHost.h"

#include "platform/DynamicLibrary.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace testhost {

namespace {

// The instance whose entry point is running; afterwards the descriptor's
// user field (reserved for hosts) leads back to the instance, lock-free.
thread_local PluginInstance* constructing = nullptr;
thread_local intptr_t constructingVersion = 2400;

PluginInstance* instanceFor(AEffect* effect)
{
    if (effect && effect->user)
        return static_cast<PluginInstance*>(effect->user);
    return constructing;
}

intptr_t VSTCALLBACK hostCallback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    if (opcode == audioMasterVersion && !effect)
        return constructingVersion;
    if (PluginInstance* instance = instanceFor(effect))
        return instance->onCallback(opcode, index, value, ptr, opt);
    return 0;
}

}  // namespace

std::string defaultPluginPath()
{
    if (const char* path = std::getenv("TOVARINE_PLUGIN"))
        return path;
#ifdef TOVARINE_PLUGIN_PATH
    return TOVARINE_PLUGIN_PATH;
#else
    return "Tovarine.so";
#endif
}

std::unique_ptr<PluginInstance> PluginInstance::load(const LoadOptions& options)
{
    void* library = nullptr;
    EntryPoint entry = options.entry;
    if (!entry) {
        const std::string path = options.pluginPath.empty() ? defaultPluginPath() : options.pluginPath;
        std::string error;
        library = dynamic_library::open(path, error);
        if (!library) {
            std::fprintf(stderr, "test host: %s\n", error.c_str());
            return nullptr;
        }
        entry = reinterpret_cast<EntryPoint>(dynamic_library::symbol(library, options.entryPoint.c_str()));
        if (!entry) {
            dynamic_library::close(library);
            return nullptr;
        }
    }
    std::unique_ptr<PluginInstance> instance(new PluginInstance());
    instance->library_ = library;
    instance->callbacks.reserve(1 << 16);  // recording must not allocate while audio runs
    constructing = instance.get();
    constructingVersion = options.versionAnswer;
    AEffect* effect = entry(hostCallback);
    constructing = nullptr;
    if (effect)
        effect->user = instance.get();
    if (!effect)
        return nullptr;  // the destructor releases the library
    instance->effect_ = effect;
    return instance;
}

PluginInstance::~PluginInstance()
{
    close();
    if (library_)
        dynamic_library::close(library_);
}

intptr_t PluginInstance::close()
{
    if (!effect_)
        return 0;
    const intptr_t answer = effect_->dispatcher(effect_, effClose, 0, 0, nullptr, 0.f);
    effect_ = nullptr;
    return answer;
}

intptr_t PluginInstance::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

void PluginInstance::setParameter(int32_t index, float value) { effect_->setParameter(effect_, index, value); }
float PluginInstance::getParameter(int32_t index) { return effect_->getParameter(effect_, index); }

namespace {
std::string textFrom(PluginInstance& p, int32_t opcode, int32_t index, intptr_t value = 0)
{
    char buffer[256];
    std::memset(buffer, 0x7f, sizeof(buffer));  // a missing NUL shows up as garbage
    buffer[sizeof(buffer) - 1] = '\0';
    p.dispatch(opcode, index, value, buffer);
    return buffer;
}
}  // namespace

std::string PluginInstance::parameterName(int32_t index) { return textFrom(*this, effGetParamName, index); }
std::string PluginInstance::parameterLabel(int32_t index) { return textFrom(*this, effGetParamLabel, index); }
std::string PluginInstance::parameterDisplay(int32_t index) { return textFrom(*this, effGetParamDisplay, index); }
std::string PluginInstance::programName() { return textFrom(*this, effGetProgramName, 0); }
std::string PluginInstance::programNameIndexed(int32_t index) { return textFrom(*this, effGetProgramNameIndexed, index); }

void PluginInstance::prepare(float sampleRate, int32_t blockSize)
{
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, sampleRate);
    dispatch(effSetBlockSize, 0, blockSize);
    dispatch(effMainsChanged, 0, 1);
    timeInfo.sampleRate = sampleRate;
}

void PluginInstance::processBlock(const float* inL, const float* inR, float* outL, float* outR, int32_t frames, bool accumulate)
{
    float* inputs[2] = {const_cast<float*>(inL), const_cast<float*>(inR)};
    float* outputs[2] = {outL, outR};
    if (accumulate)
        effect_->process(effect_, inputs, outputs, frames);
    else
        effect_->processReplacing(effect_, inputs, outputs, frames);
    timeInfo.samplePos += frames;
}

void PluginInstance::processReplacing(std::vector<float>& left, std::vector<float>& right, int32_t blockSize,
                                      const std::vector<float>* inLeft, const std::vector<float>* inRight)
{
    const std::size_t total = left.size();
    std::vector<float> zeros(static_cast<std::size_t>(blockSize), 0.f);
    for (std::size_t pos = 0; pos < total; pos += static_cast<std::size_t>(blockSize)) {
        const auto frames = static_cast<int32_t>(std::min<std::size_t>(static_cast<std::size_t>(blockSize), total - pos));
        const float* inL = inLeft ? inLeft->data() + pos : zeros.data();
        const float* inR = inRight ? inRight->data() + pos : zeros.data();
        processBlock(inL, inR, left.data() + pos, right.data() + pos, frames);
    }
}

void PluginInstance::sendMidi(const std::vector<VstMidiEvent>& events)
{
    VstEventList list(events);
    dispatch(effProcessEvents, 0, 0, list.get());
}

std::vector<uint8_t> PluginInstance::getChunk(bool isPreset)
{
    void* data = nullptr;
    const intptr_t size = dispatch(effGetChunk, isPreset ? 1 : 0, 0, &data);
    if (size <= 0 || !data)
        return {};
    const auto* bytes = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(bytes, bytes + size);
}

intptr_t PluginInstance::setChunk(const std::vector<uint8_t>& data, bool isPreset)
{
    std::vector<uint8_t> copy(data);
    return dispatch(effSetChunk, isPreset ? 1 : 0, static_cast<intptr_t>(copy.size()), copy.data());
}

int PluginInstance::count(int32_t opcode) const
{
    return static_cast<int>(std::count_if(callbacks.begin(), callbacks.end(),
                                          [opcode](const CallbackRecord& r) { return r.opcode == opcode; }));
}

intptr_t PluginInstance::onCallback(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    (void)ptr;
    if (callbacks.size() < callbacks.capacity())
        callbacks.push_back({opcode, index, value, opt});
    switch (opcode) {
    case audioMasterVersion:
        return 2400;
    case audioMasterGetTime:
        return answerTimeInfo ? reinterpret_cast<intptr_t>(&timeInfo) : 0;
    case audioMasterGetSampleRate:
        return static_cast<intptr_t>(timeInfo.sampleRate);
    default:
        return 0;
    }
}

}  // namespace testhost
