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
#include <string>
#include <vector>

namespace lv2testhost {

inline constexpr const char* kPluginUri = "https://tovarine.org/lv2/88-resonator";
inline constexpr uint32_t kFirstParameterPort = 5, kParameterCount = 43;

LilvWorld* world();
const LilvPlugin* plugin();  // null when the bundle is not found
LV2_URID_Map* uridMap();
LV2_URID_Unmap* uridUnmap();
LilvState* presetState(int32_t program);  // the caller frees it

struct Property {
    std::string type;  // URI
    std::vector<uint8_t> value;
    bool operator==(const Property&) const = default;
};
using Properties = std::map<std::string, Property>;  // by key URI
// The first property of that type (and size, unless 0), or null.
Property* find(Properties& properties, const char* type, std::size_t size = 0);

class Instance {
public:
    // Instantiated, its control ports at their Turtle defaults, activated; null on failure.
    static std::unique_ptr<Instance> create(int32_t nominalBlock = 512, double rate = 44100.0);
    ~Instance();

    // The control ports as the host sees them, from any thread; copied into the ports as a block starts.
    std::array<std::atomic<float>, kParameterCount> parameters{};
    // Events for the next block, in the order of their frames.
    void midi(uint32_t frame, uint8_t status, uint8_t data1, uint8_t data2);
    void tempo(double bpm, float beatsPerBar, int32_t beatUnit);
    // The plug-in's run; outputs equal to inputs connect the ports in place.
    void process(const float* inL, const float* inR, float* outL, float* outR, uint32_t frames);
    // The worker: what the plug-in scheduled, then the answers (synchronously, as hosts do offline).
    void work();
    void run(const float* inL, const float* inR, float* outL, float* outR, uint32_t frames);
    void restart();  // deactivate, activate

    // With dir, files outside it are linked from it (without a link folder lilv 0.24's
    // lilv_state_save deletes such a file).
    LilvState* saveState(const char* dir = nullptr);
    void restoreState(const LilvState* state);        // the worker then finishes it
    Properties save();                                // paths as they are
    LV2_State_Status restore(const Properties& properties);

    std::vector<std::string> logged;
    LV2_Handle handle() const { return lilv_instance_get_handle(instance); }  // for instance-access

private:
    static LV2_Worker_Status schedule(LV2_Worker_Schedule_Handle handle, uint32_t size, const void* data);
    static int log(LV2_Log_Handle handle, LV2_URID, const char* format, va_list args);
    static int logf(LV2_Log_Handle handle, LV2_URID type, const char* format, ...);
    void clearEvents();

    LilvInstance* instance = nullptr;
    std::vector<const LV2_Feature*> features;
    std::vector<LV2_Feature> featureData;
    std::array<float, kParameterCount> controls{};
    std::vector<uint8_t> sequence = std::vector<uint8_t>(1 << 16);
    LV2_Atom_Forge forge{};
    LV2_Atom_Forge_Frame sequenceFrame{};
    std::array<uint8_t, 1 << 16> requests{};  // what run schedules, without allocating
    std::size_t requested = 0;
    std::atomic_flag requestsBusy = ATOMIC_FLAG_INIT;
    const LV2_Worker_Interface* worker = nullptr;
    LV2_Worker_Schedule scheduleFeature{this, schedule};
    LV2_Log_Log logFeature{};
    int32_t blockLengths[3] = {1, 8192, 512};  // minimum, maximum, nominal
    float sampleRate = 44100.f;
    std::array<LV2_Options_Option, 5> options{};
    float portValue = 0.f;
};

}  // namespace lv2testhost
