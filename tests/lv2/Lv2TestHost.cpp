#include "tests/lv2/Lv2TestHost.h"

#include "lv2/Lv2Ids.h"

#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/patch/patch.h>
#include <lv2/time/time.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <deque>
#include <utility>

namespace lv2testhost {

namespace {

constexpr uint32_t kPodPortable = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;

std::mutex mapMutex;
std::deque<std::string> uris;  // URID n is uris[n - 1]; a deque keeps the texts in place

LV2_URID id(const char* uri)
{
    const std::lock_guard lock(mapMutex);
    auto found = std::find(uris.begin(), uris.end(), uri);
    if (found == uris.end())
        found = uris.insert(uris.end(), uri);
    return static_cast<LV2_URID>(found - uris.begin() + 1);
}

const char* uriOf(LV2_URID urid)
{
    const std::lock_guard lock(mapMutex);
    return urid >= 1 && urid <= uris.size() ? uris[urid - 1].c_str() : nullptr;
}

const LilvPlugin* plugin()
{
    static const LilvPlugin* const loaded = [] {
        LilvNode* bundle = lilv_new_file_uri(world(), nullptr, TOVARINE_LV2_BUNDLE "/");
        LilvNode* uri = lilv_new_uri(world(), lv2_ids::kPluginUri);
        lilv_world_load_bundle(world(), bundle);
        const LilvPlugin* found = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world()), uri);
        lilv_node_free(uri);
        lilv_node_free(bundle);
        return found;
    }();
    return loaded;
}

// The parameter a port's symbol names, or -1.
int32_t parameterOf(const char* symbol)
{
    LilvNode* node = lilv_new_string(world(), symbol);
    const LilvPort* port = lilv_plugin_get_port_by_symbol(plugin(), node);
    lilv_node_free(node);
    const int32_t k = port ? static_cast<int32_t>(lilv_port_get_index(plugin(), port)) - lv2_ids::kFirstParameterPort : -1;
    return k >= 0 && k < static_cast<int32_t>(kParameterCount) ? k : -1;
}

int logv(LV2_Log_Handle logged, LV2_URID, const char* format, va_list args)
{
    char text[1024];
    const int n = std::vsnprintf(text, sizeof(text), format, args);
    static_cast<std::vector<std::string>*>(logged)->emplace_back(text);
    return n;
}

int logf(LV2_Log_Handle logged, LV2_URID type, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const int n = logv(logged, type, format, args);
    va_end(args);
    return n;
}

}  // namespace

LV2_URID_Map uridMap{nullptr, [](LV2_URID_Map_Handle, const char* uri) { return id(uri); }};
LV2_URID_Unmap uridUnmap{nullptr, [](LV2_URID_Unmap_Handle, LV2_URID urid) { return uriOf(urid); }};

LilvWorld* world()
{
    static LilvWorld* const loaded = lilv_world_new();
    return loaded;
}

LilvState* presetState(int32_t program)
{
    if (!plugin())  // loads the bundle
        return nullptr;
    char uri[128];
    std::snprintf(uri, sizeof(uri), "%s#preset-%02d", lv2_ids::kPluginUri, program);
    LilvNode* node = lilv_new_uri(world(), uri);
    lilv_world_load_resource(world(), node);
    LilvState* state = lilv_state_new_from_world(world(), &uridMap, node);
    lilv_node_free(node);
    return state;
}

std::unique_ptr<Instance> Instance::create(int32_t maxBlock, double rate)
{
    if (!plugin())
        return nullptr;
    std::unique_ptr<Instance> self(new Instance());
    self->blockLengths[1] = maxBlock;
    for (int k = 0; k < 2; ++k)
        self->options[k] = {LV2_OPTIONS_INSTANCE, 0, id(k ? LV2_BUF_SIZE__maxBlockLength : LV2_BUF_SIZE__minBlockLength),
                            sizeof(int32_t), id(LV2_ATOM__Int), &self->blockLengths[k]};
    self->requests.reserve(1 << 16);
    self->scheduleFeature = {self.get(), [](LV2_Worker_Schedule_Handle host, uint32_t size, const void* data) {
        auto& self = *static_cast<Instance*>(host);
        while (self.requestsBusy.test_and_set(std::memory_order_acquire)) {
        }
        const bool fits = self.requests.size() + sizeof(size) + size <= self.requests.capacity();
        if (fits) {
            self.requests.insert(self.requests.end(), reinterpret_cast<uint8_t*>(&size), reinterpret_cast<uint8_t*>(&size + 1));
            self.requests.insert(self.requests.end(), static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
        }
        self.requestsBusy.clear(std::memory_order_release);
        return fits ? LV2_WORKER_SUCCESS : LV2_WORKER_ERR_NO_SPACE;
    }};
    self->logFeature = {&self->logged, logf, logv};
    self->featureList = {{{LV2_URID__map, &uridMap},
                          {LV2_URID__unmap, &uridUnmap},
                          {LV2_OPTIONS__options, self->options.data()},
                          {LV2_BUF_SIZE__boundedBlockLength, nullptr},
                          {LV2_LOG__log, &self->logFeature},
                          {LV2_WORKER__schedule, &self->scheduleFeature}}};
    for (std::size_t k = 0; k < self->featureList.size(); ++k)
        self->features[k] = &self->featureList[k];
    self->instance = lilv_plugin_instantiate(plugin(), rate, self->features.data());
    if (!self->instance)
        return nullptr;
    self->state = static_cast<const LV2_State_Interface*>(lilv_instance_get_extension_data(self->instance, LV2_STATE__interface));
    self->worker = static_cast<const LV2_Worker_Interface*>(lilv_instance_get_extension_data(self->instance, LV2_WORKER__interface));
    std::vector<float> defaults(lilv_plugin_get_num_ports(plugin()));
    lilv_plugin_get_port_ranges_float(plugin(), nullptr, nullptr, defaults.data());
    for (uint32_t k = 0; k < kParameterCount; ++k) {
        self->parameters[k] = defaults[lv2_ids::kFirstParameterPort + k];
        lilv_instance_connect_port(self->instance, lv2_ids::kFirstParameterPort + k, &self->controls[k]);
    }
    lv2_atom_forge_init(&self->forge, &uridMap);
    lilv_instance_connect_port(self->instance, lv2_ids::kEventsPort, self->sequence.data());
    self->clearEvents();
    lilv_instance_activate(self->instance);
    return self;
}

Instance::~Instance()
{
    if (instance) {
        lilv_instance_deactivate(instance);
        lilv_instance_free(instance);
    }
}

void Instance::clearEvents()
{
    lv2_atom_forge_set_buffer(&forge, sequence.data(), sequence.size());
    lv2_atom_forge_sequence_head(&forge, &sequenceFrame, 0);
}

void Instance::midi(uint32_t frame, uint8_t status, uint8_t data1, uint8_t data2)
{
    const uint8_t bytes[3] = {status, data1, data2};
    lv2_atom_forge_frame_time(&forge, frame);
    lv2_atom_forge_atom(&forge, 3, id(LV2_MIDI__MidiEvent));
    lv2_atom_forge_write(&forge, bytes, 3);
}

// At the block's start, playing from its first beat, in the atom types hosts send.
void Instance::tempo(double bpm, float beatsPerBar, int32_t beatUnit)
{
    LV2_Atom_Forge_Frame object;
    lv2_atom_forge_frame_time(&forge, 0);
    lv2_atom_forge_object(&forge, &object, 0, id(LV2_TIME__Position));
    lv2_atom_forge_key(&forge, id(LV2_TIME__bar));
    lv2_atom_forge_long(&forge, 0);
    lv2_atom_forge_key(&forge, id(LV2_TIME__beatUnit));
    lv2_atom_forge_int(&forge, beatUnit);
    const std::pair<const char*, float> floats[] = {{LV2_TIME__barBeat, 0.f}, {LV2_TIME__beatsPerBar, beatsPerBar},
                                                    {LV2_TIME__beatsPerMinute, static_cast<float>(bpm)}, {LV2_TIME__speed, 1.f}};
    for (const auto& [key, value] : floats) {
        lv2_atom_forge_key(&forge, id(key));
        lv2_atom_forge_float(&forge, value);
    }
    lv2_atom_forge_pop(&forge, &object);
}

void Instance::patchSet(const char* property, const std::string& value, const char* type)
{
    LV2_Atom_Forge_Frame object;
    lv2_atom_forge_frame_time(&forge, 0);
    lv2_atom_forge_object(&forge, &object, 0, id(LV2_PATCH__Set));
    lv2_atom_forge_key(&forge, id(LV2_PATCH__property));
    lv2_atom_forge_urid(&forge, id(property));
    lv2_atom_forge_key(&forge, id(LV2_PATCH__value));
    lv2_atom_forge_atom(&forge, static_cast<uint32_t>(value.size() + 1), id(type));
    lv2_atom_forge_write(&forge, value.c_str(), static_cast<uint32_t>(value.size() + 1));
    lv2_atom_forge_pop(&forge, &object);
}

void Instance::event(const LV2_Atom& atom)
{
    lv2_atom_forge_frame_time(&forge, 0);
    lv2_atom_forge_write(&forge, &atom, static_cast<uint32_t>(sizeof(LV2_Atom) + atom.size));
}

void Instance::run(const float* inL, const float* inR, float* outL, float* outR, uint32_t frames, bool thenWork)
{
    for (uint32_t k = 0; k < kParameterCount; ++k)
        controls[k] = parameters[k].load();
    const void* audio[4] = {inL, inR, outL, outR};
    for (uint32_t port = 0; port < 4; ++port)
        lilv_instance_connect_port(instance, port, const_cast<void*>(audio[port]));
    lilv_instance_run(instance, frames);
    clearEvents();
    if (thenWork)
        work();
}

void Instance::work()
{
    std::vector<std::vector<uint8_t>> answers;
    while (requestsBusy.test_and_set(std::memory_order_acquire)) {
    }
    const std::vector<uint8_t> taken(requests.begin(), requests.end());
    requests.clear();
    requestsBusy.clear(std::memory_order_release);
    const auto respond = [](LV2_Worker_Respond_Handle answered, uint32_t size, const void* data) {
        const auto* bytes = static_cast<const uint8_t*>(data);
        static_cast<std::vector<std::vector<uint8_t>>*>(answered)->emplace_back(bytes, bytes + size);
        return LV2_WORKER_SUCCESS;
    };
    LV2_Handle handle = lilv_instance_get_handle(instance);
    for (std::size_t at = 0; at + sizeof(uint32_t) <= taken.size();) {
        uint32_t size = 0;
        std::memcpy(&size, &taken[at], sizeof(size));
        worker->work(handle, respond, &answers, size, &taken[at + sizeof(size)]);
        at += sizeof(size) + size;
    }
    for (const auto& answer : answers)
        worker->work_response(handle, static_cast<uint32_t>(answer.size()), answer.data());
    if (worker && worker->end_run)
        worker->end_run(handle);
}

LilvState* Instance::saveState(const char* dir)
{
    const auto portValue = [](const char* symbol, void* host, uint32_t* size, uint32_t* type) -> const void* {
        auto& self = *static_cast<Instance*>(host);
        const int32_t k = parameterOf(symbol);
        if (k < 0)
            return nullptr;
        self.portValue = self.parameters[static_cast<std::size_t>(k)];
        *size = sizeof(float);
        *type = id(LV2_ATOM__Float);
        return &self.portValue;
    };
    return lilv_state_new_from_instance(plugin(), instance, &uridMap, nullptr, dir, dir, dir, portValue, this,
                                        kPodPortable, features.data());
}

void Instance::restoreState(const LilvState* saved)
{
    const auto setPort = [](const char* symbol, void* host, const void* value, uint32_t size, uint32_t type) {
        const int32_t k = parameterOf(symbol);
        if (k >= 0 && size == sizeof(float) && type == id(LV2_ATOM__Float))
            static_cast<Instance*>(host)->parameters[static_cast<std::size_t>(k)] = *static_cast<const float*>(value);
    };
    lilv_state_restore(saved, instance, setPort, this, 0, features.data());
}

Properties Instance::save()
{
    Properties saved;
    const auto store = [](LV2_State_Handle h, uint32_t key, const void* value, size_t size, uint32_t type, uint32_t) {
        const auto* bytes = static_cast<const uint8_t*>(value);
        (*static_cast<Properties*>(h))[uriOf(key)] = {uriOf(type), {bytes, bytes + size}};
        return LV2_STATE_SUCCESS;
    };
    state->save(lilv_instance_get_handle(instance), store, &saved, kPodPortable, nullptr);
    return saved;
}

LV2_State_Status Instance::restore(const Properties& properties)
{
    const auto retrieve = [](LV2_State_Handle h, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags) -> const void* {
        const auto& all = *static_cast<const Properties*>(h);
        const auto found = all.find(uriOf(key));
        if (found == all.end())
            return nullptr;
        *size = found->second.value.size();
        *type = id(found->second.type.c_str());
        *flags = kPodPortable;
        return found->second.value.data();
    };
    return state->restore(lilv_instance_get_handle(instance), retrieve, const_cast<Properties*>(&properties), 0, nullptr);
}

}  // namespace lv2testhost
