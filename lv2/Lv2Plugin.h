// One LV2 instance: it owns the same plug-in object the VST 2 build hands a host
// and drives it as a host does, through its AEffect: effOpen, the sample rate and
// block size, resume, processEvents with the block's MIDI, processReplacing,
// setParameter for the control ports that changed, the bank chunk and setProgram
// for state. Its own host callback answers the engine's questions, the tempo
// among them from the time:Position objects of the event input.
#pragma once

#include "host/ResonatorPlugin.h"
#include "host/VstEventList.h"
#include "lv2/FileParameters.h"
#include "lv2/HostTransport.h"
#include "lv2/Lv2Log.h"
#include "lv2/Lv2Uris.h"
#include "programs/ProgramRecord.h"

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

struct AEffect;
class ResonatorEngine;
class RestoreJob;

class Lv2Plugin {
public:
    // Null when a required feature is missing or the engine could not be built.
    static Lv2Plugin* create(double sampleRate, const LV2_Feature* const* features);
    ~Lv2Plugin();
    Lv2Plugin(const Lv2Plugin&) = delete;
    Lv2Plugin& operator=(const Lv2Plugin&) = delete;

    void connect(uint32_t port, void* data);
    void activate();
    void deactivate();
    void run(uint32_t frames);

    // --- for state and presets (any thread but the audio one) ---
    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.f);
    const Lv2Uris& uris() const { return *uriIds; }
    const LV2_URID_Map& urids() const { return map; }
    const Lv2Log& log() const { return *messages; }
    ResonatorEngine& engine();
    // The plug-in object itself, for an editor that follows it: the UI binary reaches it
    // through instance-access, so this is all in the header.
    ResonatorPlugin& pluginObject() { return *static_cast<ResonatorPlugin*>(static_cast<AudioEffect*>(effect->object)); }
    // A checked state the worker applies; a newer one replaces one not yet applied.
    void holdRestoreJob(std::unique_ptr<RestoreJob> job);
    std::unique_ptr<RestoreJob> takeRestoreJob();

private:
    Lv2Plugin(const LV2_URID_Map& map, const LV2_Log_Log* hostLog, const LV2_Worker_Schedule* schedule,
              int32_t maxBlock);
    bool open(double sampleRate);

    static intptr_t hostCallback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
    intptr_t answerHost(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);

    void sendChangedParameters();
    // Runs frames start..end of the block, its MIDI events already listed.
    void processFrames(uint32_t start, uint32_t end);

    const LV2_URID_Map& map;
    std::unique_ptr<Lv2Uris> uriIds;
    std::unique_ptr<Lv2Log> messages;
    AEffect* effect = nullptr;
    double rate = 44100.0;
    int32_t maxBlock;

    const float* inputs[2] = {};
    float* outputs[2] = {};
    const LV2_Atom_Sequence* events = nullptr;
    const float* parameterPorts[kNumParams] = {};
    // Bit patterns of the values last given to setParameter: a port reaches the engine
    // when the host changes it, so a restored program keeps its values until then.
    uint32_t lastSent[kNumParams] = {};

    std::vector<float> inputCopy[2];  // for hosts that hand one buffer as input and output
    VstEventList midi;
    HostTransport transport;
    FileParameters files;

    std::mutex jobMutex;  // restore and the worker only, never run
    std::unique_ptr<RestoreJob> restoreJob;
};
