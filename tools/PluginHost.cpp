#include "tools/PluginHost.h"

#include "tools/ToolError.h"

#include <dlfcn.h>

#include <cstring>

namespace tovarine::cli {

namespace {

using EntryPoint = AEffect* (*)(audioMasterCallback);

// The host being constructed: plug-ins call back (version, need idle) from
// inside their entry point, before we could store ourselves in `user`.
thread_local PluginHost* constructing = nullptr;

constexpr intptr_t kHostVstVersion = 2400;

PluginHost* hostFor(AEffect* effect)
{
    if (effect && effect->user)
        return static_cast<PluginHost*>(effect->user);
    return constructing;
}

intptr_t hostCallback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    if (opcode == audioMasterVersion)
        return kHostVstVersion;
    if (PluginHost* host = hostFor(effect))
        return host->onCallback(opcode, index, value, ptr, opt);
    return 0;
}

void copyLimited(char* target, std::size_t size, const char* text)
{
    std::strncpy(target, text, size - 1);
    target[size - 1] = '\0';
}

}  // namespace

std::string fourCCText(int32_t id)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto c = static_cast<char>((static_cast<uint32_t>(id) >> shift) & 0xff);
        text += (c >= 0x20 && c < 0x7f) ? c : '?';
    }
    return text;
}

std::unique_ptr<PluginHost> PluginHost::load(const std::string& path)
{
    // dlopen searches the library path for names without a slash; a host
    // given a file name means the file.
    const std::string openPath = path.find('/') == std::string::npos ? "./" + path : path;
    void* library = dlopen(openPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* reason = dlerror();
        throw ToolError("cannot load plug-in " + path + ": " + (reason ? reason : "unknown reason"));
    }
    auto entry = reinterpret_cast<EntryPoint>(dlsym(library, "VSTPluginMain"));
    if (!entry)
        entry = reinterpret_cast<EntryPoint>(dlsym(library, "main"));
    if (!entry) {
        dlclose(library);
        throw ToolError("not a VST 2 plug-in (no VSTPluginMain or main): " + path);
    }
    std::unique_ptr<PluginHost> host(new PluginHost());
    host->library_ = library;
    host->path_ = path;
    constructing = host.get();
    AEffect* effect = entry(hostCallback);
    constructing = nullptr;
    if (!effect)
        throw ToolError("the plug-in refused to load (its entry point answered null): " + path);
    if (effect->magic != kEffectMagic)
        throw ToolError("not a VST 2 plug-in (bad descriptor magic): " + path);
    effect->user = host.get();
    host->effect_ = effect;
    host->timeInfo.sampleRate = 44100.0;
    host->timeInfo.tempo = 120.0;
    host->timeInfo.timeSigNumerator = 4;
    host->timeInfo.timeSigDenominator = 4;
    return host;
}

PluginHost::~PluginHost()
{
    if (effect_)
        effect_->dispatcher(effect_, effClose, 0, 0, nullptr, 0.f);
    if (library_)
        dlclose(library_);
}

intptr_t PluginHost::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

void PluginHost::open(double sampleRate, int32_t maxBlockSize)
{
    timeInfo.sampleRate = sampleRate;
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    dispatch(effSetBlockSize, 0, maxBlockSize);
}

// Hosts of the 2.3 interface announce the stretch of processing calls too.
void PluginHost::resume()
{
    dispatch(effMainsChanged, 0, 1);
    dispatch(effStartProcess);
}

void PluginHost::suspend()
{
    dispatch(effStopProcess);
    dispatch(effMainsChanged, 0, 0);
}

std::string PluginHost::text(int32_t opcode, int32_t index, intptr_t value)
{
    // VST limits are 8 to 64 characters; plug-ins are known to exceed them.
    char buffer[1024] = {};
    dispatch(opcode, index, value, buffer);
    buffer[sizeof(buffer) - 1] = '\0';
    return buffer;
}

std::string PluginHost::programName(int32_t program)
{
    char buffer[1024] = {};
    if (dispatch(effGetProgramNameIndexed, program, -1, buffer)) {
        buffer[sizeof(buffer) - 1] = '\0';
        return buffer;
    }
    // Plug-ins without the indexed query: select the program and ask.
    const auto current = static_cast<int32_t>(dispatch(effGetProgram));
    dispatch(effSetProgram, 0, program);
    std::string name = text(effGetProgramName);
    dispatch(effSetProgram, 0, current);
    return name;
}

std::vector<uint8_t> PluginHost::getChunk(bool singleProgram)
{
    void* data = nullptr;
    const intptr_t size = dispatch(effGetChunk, singleProgram ? 1 : 0, 0, &data);
    if (size <= 0 || !data)
        return {};
    const auto* bytes = static_cast<const uint8_t*>(data);
    return {bytes, bytes + size};
}

bool PluginHost::setChunk(std::vector<uint8_t> data, bool singleProgram)
{
    // The plug-in reads from our copy during the call only.
    return dispatch(effSetChunk, singleProgram ? 1 : 0, static_cast<intptr_t>(data.size()), data.data()) != 0;
}

void PluginHost::processReplacing(float** inputs, float** outputs, int32_t frames)
{
    effect_->processReplacing(effect_, inputs, outputs, frames);
    timeInfo.samplePos += frames;
}

void PluginHost::processAccumulating(float** inputs, float** outputs, int32_t frames)
{
    effect_->process(effect_, inputs, outputs, frames);
    timeInfo.samplePos += frames;
}

intptr_t PluginHost::onCallback(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    (void)index;
    (void)value;
    (void)opt;
    switch (opcode) {
    case audioMasterAutomate:
        ++automationNotices;
        return 0;
    case audioMasterCurrentId:
        return effect_ ? effect_->uniqueID : 0;
    case audioMasterGetTime: {
        // Bars are 4 / denominator quarter notes times the numerator long.
        const double quarters = timeInfo.samplePos / timeInfo.sampleRate * timeInfo.tempo / 60.0;
        const double barQuarters = timeInfo.timeSigNumerator * 4.0 / timeInfo.timeSigDenominator;
        timeInfo.ppqPos = quarters;
        timeInfo.barStartPos = barQuarters > 0 ? static_cast<double>(static_cast<long long>(quarters / barQuarters)) * barQuarters : 0.0;
        timeInfo.nanoSeconds = timeInfo.samplePos / timeInfo.sampleRate * 1e9;
        timeInfo.flags = kVstTransportPlaying | kVstNanosValid | kVstPpqPosValid | kVstTempoValid | kVstBarsValid
                         | kVstTimeSigValid;
        return reinterpret_cast<intptr_t>(&timeInfo);
    }
    case audioMasterGetSampleRate:
        return static_cast<intptr_t>(timeInfo.sampleRate);
    case audioMasterGetCurrentProcessLevel:
        return 4;  // offline processing
    case audioMasterGetVendorString:
        if (ptr)
            copyLimited(static_cast<char*>(ptr), 64, "Tovarine");
        return ptr ? 1 : 0;
    case audioMasterGetProductString:
        if (ptr)
            copyLimited(static_cast<char*>(ptr), 64, "tovarine command-line host");
        return ptr ? 1 : 0;
    case audioMasterGetVendorVersion:
        return 1000;
    case audioMasterCanDo: {
        const char* what = static_cast<const char*>(ptr);
        if (!what)
            return 0;
        for (const char* yes : {"sendVstEvents", "sendVstMidiEvent", "sendVstTimeInfo", "offline"})
            if (std::strcmp(what, yes) == 0)
                return 1;
        return -1;
    }
    case audioMasterWantMidi:
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
        return 1;
    default:
        return 0;
    }
}

}  // namespace tovarine::cli
