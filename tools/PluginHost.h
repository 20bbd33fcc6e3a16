// A minimal offline VST 2 host: loads a plug-in shared object with dlopen,
// calls its entry point with our callback and then talks to it only through
// the AEffect descriptor, as a DAW does. Works with any conforming plug-in.
#pragma once

#include "host/Vst2.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tovarine::cli {

class PluginHost {
public:
    // Throws ToolError when the file cannot be loaded, has no entry point
    // (VSTPluginMain, then main) or the entry point answers null.
    static std::unique_ptr<PluginHost> load(const std::string& path);
    ~PluginHost();  // effClose, then dlclose

    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    AEffect& effect() const { return *effect_; }
    const std::string& path() const { return path_; }

    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.f);

    // effOpen, sample rate, block size; resume() and suspend() switch effMainsChanged.
    void open(double sampleRate, int32_t maxBlockSize);
    void resume();
    void suspend();

    // Text queries: the plug-in writes into a generous, pre-terminated buffer
    // so a plug-in that forgets the NUL or overruns the VST limits cannot hurt us.
    std::string text(int32_t opcode, int32_t index = 0, intptr_t value = 0);
    std::string programName(int32_t program);  // indexed query, with a select-and-ask fallback

    void setParameter(int32_t index, float value) { effect_->setParameter(effect_, index, value); }
    float getParameter(int32_t index) { return effect_->getParameter(effect_, index); }

    std::vector<uint8_t> getChunk(bool singleProgram);
    bool setChunk(std::vector<uint8_t> data, bool singleProgram);

    // Delivered before the next process call; the list must stay alive until then.
    void sendEvents(VstEvents* events) { dispatch(effProcessEvents, 0, 0, events); }
    void processReplacing(float** inputs, float** outputs, int32_t frames);
    void processAccumulating(float** inputs, float** outputs, int32_t frames);

    // The musical time the host reports through audioMasterGetTime.
    VstTimeInfo timeInfo{};
    // Automation the plug-in reported through audioMasterAutomate (count only).
    int automationNotices = 0;

    intptr_t onCallback(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);

private:
    PluginHost() = default;
    void* library_ = nullptr;
    AEffect* effect_ = nullptr;
    std::string path_;
};

// Packs a VST four-character code, big end first ('TVRC' -> 0x54565243).
std::string fourCCText(int32_t id);

}  // namespace tovarine::cli
