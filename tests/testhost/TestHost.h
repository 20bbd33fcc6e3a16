// A host for tests: loads the built plug-in as a DAW does, calls its entry point
// with a callback the test controls, and drives it only through the descriptor,
// exactly as a DAW would.
#pragma once

#include "host/Vst2.h"
#include "host/VstEventList.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace testhost {

struct CallbackRecord {
    int32_t opcode;
    int32_t index;
    intptr_t value;
    float opt;
};

using EntryPoint = AEffect* (VSTCALLBACK*)(audioMasterCallback);

struct LoadOptions {
    std::string pluginPath;             // empty: the plug-in this build made
    std::string entryPoint = "VSTPluginMain";
    EntryPoint entry = nullptr;          // set: an entry point linked into the test, no library
    intptr_t versionAnswer = 2400;       // what audioMasterVersion answers
};

class PluginInstance {
public:
    // Null when the library cannot be loaded or the entry point refuses.
    static std::unique_ptr<PluginInstance> load(const LoadOptions& options = {});
    ~PluginInstance();  // effClose if still open

    AEffect* effect() const { return effect_; }
    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.f);
    intptr_t close();  // effClose; the instance is gone afterwards

    void setParameter(int32_t index, float value);
    float getParameter(int32_t index);
    std::string parameterName(int32_t index);
    std::string parameterLabel(int32_t index);
    std::string parameterDisplay(int32_t index);
    std::string programName();
    std::string programNameIndexed(int32_t index);

    void prepare(float sampleRate, int32_t blockSize);  // sample rate, block size, resume
    // Renders in-place stereo buffers (left/right of equal length) in blocks.
    void processReplacing(std::vector<float>& left, std::vector<float>& right, int32_t blockSize,
                          const std::vector<float>* inLeft = nullptr, const std::vector<float>* inRight = nullptr);
    void processBlock(const float* inL, const float* inR, float* outL, float* outR, int32_t frames, bool accumulate = false);

    // MIDI (makeMidiEvent): events are delivered before the next block.
    void sendMidi(const std::vector<VstMidiEvent>& events);

    std::vector<uint8_t> getChunk(bool isPreset);
    intptr_t setChunk(const std::vector<uint8_t>& data, bool isPreset);

    // What the plug-in asked of the host, in order.
    std::vector<CallbackRecord> callbacks;
    int count(int32_t opcode) const;

    // Time information answered to audioMasterGetTime; null answer when disabled.
    VstTimeInfo timeInfo{};
    bool answerTimeInfo = true;

    // Called from the static host callback.
    intptr_t onCallback(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);

private:
    PluginInstance() = default;
    AEffect* effect_ = nullptr;
    void* library_ = nullptr;
};

// The Windows builds have no editor yet: no editor flag, effEditOpen answers 0.
inline constexpr bool kPluginHasEditor = TOVARINE_PLUGIN_HAS_EDITOR;

// The plug-in library for tests that need its raw entry points.
std::string defaultPluginPath();

}  // namespace testhost
