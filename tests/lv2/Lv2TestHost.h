// A host for tests: loads the built bundle through lilv and drives one instance
// with the features hosts give (URID map, options, log, a worker), MIDI and
// tempo atoms, and its state through lilv or through its own state interface.
#pragma once

#include <lilv/lilv.h>
#include <lv2/atom/forge.h>
#include <lv2/log/log.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>
#include <lv2/worker/worker.h>

#include <array>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace lv2testhost {

inline constexpr uint32_t kParameterCount = 43;

LilvWorld* world();
extern LV2_URID_Map uridMap;
extern LV2_URID_Unmap uridUnmap;
LilvState* presetState(int32_t program);  // the caller frees it

struct Property {
    std::string type;  // URI
    std::vector<uint8_t> value;
    bool operator==(const Property&) const = default;
};
using Properties = std::map<std::string, Property>;  // by key URI

class Instance {
public:
    // For blocks of 1 to maxBlock frames, its control ports at their Turtle defaults, activated; null on failure.
    static std::unique_ptr<Instance> create(int32_t maxBlock = 8192, double rate = 44100.0);
    ~Instance();

    // The control ports as the host sees them, from any thread; copied into the ports as a block starts.
    std::array<std::atomic<float>, kParameterCount> parameters{};
    // Events for the next block, in the order of their frames.
    void midi(uint32_t frame, uint8_t status, uint8_t data1, uint8_t data2);
    void tempo(double bpm, float beatsPerBar, int32_t beatUnit);
    // A patch:Set of `property` to `value` and its nul, as an atom of `type`.
    void patchSet(const char* property, const std::string& value, const char* type = LV2_ATOM__Path);
    void event(const LV2_Atom& atom);  // as a UI's atom:eventTransfer write
    // The plug-in's run (outputs equal to inputs connect the ports in place), then the worker's turn.
    void run(const float* inL, const float* inR, float* outL, float* outR, uint32_t frames, bool thenWork = true);
    // The worker: what the plug-in scheduled, then the answers (synchronously, as hosts do offline).
    void work();

    // With dir, files outside it are linked from it (without a link folder lilv 0.24's
    // lilv_state_save deletes such a file).
    LilvState* saveState(const char* dir = nullptr);
    void restoreState(const LilvState* state);  // the worker then finishes it
    // Through the plug-in's state interface, without a worker or path mapping: applied at once.
    Properties save();
    LV2_State_Status restore(const Properties& properties);

    std::vector<std::string> logged;
    LV2_Handle handle() const { return lilv_instance_get_handle(instance); }  // for instance-access

private:
    void clearEvents();

    LilvInstance* instance = nullptr;
    const LV2_State_Interface* state = nullptr;
    const LV2_Worker_Interface* worker = nullptr;
    std::array<float, kParameterCount> controls{};
    std::vector<uint8_t> sequence = std::vector<uint8_t>(1 << 16);
    LV2_Atom_Forge forge{};
    LV2_Atom_Forge_Frame sequenceFrame{};
    // Restore schedules on its thread, run on the audio one, which must not wait on a mutex: a spin
    // lock around the requests (each its size, then its bytes) in room reserved up front.
    std::atomic_flag requestsBusy = ATOMIC_FLAG_INIT;
    std::vector<uint8_t> requests;
    LV2_Worker_Schedule scheduleFeature{};
    LV2_Log_Log logFeature{};
    int32_t blockLengths[2] = {1, 8192};
    std::array<LV2_Options_Option, 3> options{};
    std::array<LV2_Feature, 6> featureList{};
    std::array<const LV2_Feature*, 7> features{};
    float portValue = 0.f;
};

}  // namespace lv2testhost
