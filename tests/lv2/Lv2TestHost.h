// A host for tests: finds the built bundle through lilv, as LV2 hosts do, and
// drives one instance of the plug-in with the features hosts give it (URID
// map, options, log, a worker), MIDI and tempo atoms in its event port, and
// its state, through lilv or through the plug-in's own state interface.
#pragma once

#include <lilv/lilv.h>
#include <lv2/state/state.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace lv2testhost {

inline constexpr const char* kPluginUri = "https://tovarine.org/lv2/88-resonator";
inline constexpr uint32_t kEventsPort = 4;
inline constexpr uint32_t kFirstParameterPort = 5;
inline constexpr uint32_t kParameterCount = 43;

// The lilv world with the bundle loaded, and the URID map every instance shares.
struct World {
    static World& get();
    LV2_URID map(const char* uri);
    const char* unmap(LV2_URID urid);
    LilvNode* node(const char* uri) { return lilv_new_uri(world, uri); }  // the caller frees it

    LilvWorld* world = nullptr;
    const LilvPlugin* plugin = nullptr;  // null when the bundle is not found
    LV2_URID_Map mapFeature{};
    LV2_URID_Unmap unmapFeature{};
};

// One stored state property as the plug-in handed it over.
struct Property {
    std::string type;  // URI
    std::vector<uint8_t> value;
    uint32_t flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
};
using Properties = std::map<std::string, Property>;  // by key URI

inline bool operator==(const Property& a, const Property& b) { return a.type == b.type && a.value == b.value; }
// The first property of that type (and size, unless 0); null without one.
Property* find(Properties& properties, const char* type, std::size_t size = 0);

struct Options {
    double sampleRate = 44100.0;
    int32_t nominalBlock = 512;
    bool worker = true;
    bool log = true;
};

class Instance {
public:
    // Instantiated, its control ports at the defaults of its Turtle, activated; null when that fails.
    static std::unique_ptr<Instance> create(const Options& options = {});
    ~Instance();

    // Control ports: staged here from any thread, copied into the ports when a block starts.
    void setParameter(uint32_t index, float value) { staged[index].store(value); }
    float parameter(uint32_t index) const { return staged[index].load(); }
    // For the next block only, in the order of their frames.
    void midi(uint32_t frame, uint8_t status, uint8_t data1, uint8_t data2);
    void tempo(uint32_t frame, double bpm, float beatsPerBar, int32_t beatUnit, float speed = 1.f);
    // outL == inL and outR == inR connect the ports in place. Then the worker's requests are answered.
    void run(const float* inL, const float* inR, float* outL, float* outR, uint32_t frames);
    void restart();  // deactivate, activate

    // State through lilv: with `dir` its files are saved beside it; the caller frees the state.
    LilvState* saveState(const std::string& dir = "");
    void restoreState(const LilvState* state);
    // State through the plug-in's interface, paths mapped as they are.
    Properties save();
    LV2_State_Status restore(const Properties& properties);

    std::vector<std::string> logged;  // messages of the log feature

    // The parts of run: the plug-in's own call, the worker's work (outside the
    // audio thread in a real host) and its answers (inside it).
    void process(const float* inL, const float* inR, float* outL, float* outR, uint32_t frames);
    void doScheduledWork();
    void deliverWorkResponses();

private:
    Instance();
    void clearEvents();
    struct Parts;  // features, worker and the event buffer
    std::unique_ptr<Parts> parts;
    LilvInstance* instance = nullptr;
    std::array<std::atomic<float>, kParameterCount> staged{};
    std::array<float, kParameterCount> controls{};
};

// A preset of the bundle, by URI; null when lilv does not know it. The caller frees it.
LilvState* presetState(const std::string& uri);

}  // namespace lv2testhost
