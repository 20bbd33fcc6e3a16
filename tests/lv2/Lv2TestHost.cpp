#include "tests/lv2/Lv2TestHost.h"

#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/parameters/parameters.h>
#include <lv2/time/time.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>

namespace lv2testhost {

namespace {

std::mutex mapMutex;
std::map<std::string, LV2_URID> ids;
std::deque<std::string> names;  // URID n is names[n - 1], kept in place

LV2_URID map(LV2_URID_Map_Handle, const char* uri)
{
    const std::lock_guard<std::mutex> lock(mapMutex);
    auto [it, added] = ids.emplace(uri, static_cast<LV2_URID>(names.size() + 1));
    if (added)
        names.emplace_back(uri);
    return it->second;
}

const char* unmap(LV2_URID_Unmap_Handle, LV2_URID urid)
{
    const std::lock_guard<std::mutex> lock(mapMutex);
    return urid >= 1 && urid <= names.size() ? names[urid - 1].c_str() : nullptr;
}

LV2_URID id(const char* uri) { return map(nullptr, uri); }

char* samePath(LV2_State_Map_Path_Handle, const char* path) { return strdup(path); }
LV2_State_Map_Path mapPath{nullptr, samePath, samePath};

struct Loaded {
    LilvWorld* world = lilv_world_new();
    const LilvPlugin* plugin = nullptr;
    Loaded()
    {
        // This build's bundle, unless LV2_PATH says where to look, as for any host.
        if (const char* path = std::getenv("LV2_PATH")) {
            LilvNode* node = lilv_new_string(world, path);
            lilv_world_set_option(world, LILV_OPTION_LV2_PATH, node);
            lilv_node_free(node);
            lilv_world_load_all(world);
        } else {
            LilvNode* bundle = lilv_new_file_uri(world, nullptr, TOVARINE_LV2_BUNDLE "/");
            lilv_world_load_bundle(world, bundle);
            lilv_node_free(bundle);
        }
        LilvNode* uri = lilv_new_uri(world, kPluginUri);
        plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), uri);
        lilv_node_free(uri);
    }
};

Loaded& loaded()
{
    static Loaded bundle;
    return bundle;
}

struct SpinLock {
    std::atomic_flag& flag;
    explicit SpinLock(std::atomic_flag& f) : flag(f) { while (flag.test_and_set(std::memory_order_acquire)) {} }
    ~SpinLock() { flag.clear(std::memory_order_release); }
};

int32_t parameterOf(const char* symbol)
{
    LilvNode* node = lilv_new_string(world(), symbol);
    const LilvPort* port = lilv_plugin_get_port_by_symbol(plugin(), node);
    lilv_node_free(node);
    const auto index = port ? static_cast<int32_t>(lilv_port_get_index(plugin(), port)) : -1;
    return index >= static_cast<int32_t>(kFirstParameterPort) ? index - static_cast<int32_t>(kFirstParameterPort) : -1;
}

}  // namespace

LilvWorld* world() { return loaded().world; }
const LilvPlugin* plugin() { return loaded().plugin; }
LV2_URID_Map* uridMap()
{
    static LV2_URID_Map feature{nullptr, map};
    return &feature;
}
LV2_URID_Unmap* uridUnmap()
{
    static LV2_URID_Unmap feature{nullptr, unmap};
    return &feature;
}

LilvState* presetState(int32_t program)
{
    char uri[128];
    std::snprintf(uri, sizeof(uri), "%s#preset-%02d", kPluginUri, program);
    LilvNode* node = lilv_new_uri(world(), uri);
    lilv_world_load_resource(world(), node);
    LilvState* state = lilv_state_new_from_world(world(), uridMap(), node);
    lilv_node_free(node);
    return state;
}

Property* find(Properties& properties, const char* type, std::size_t size)
{
    for (auto& [key, property] : properties)
        if (property.type == type && (size == 0 || property.value.size() == size))
            return &property;
    return nullptr;
}

std::unique_ptr<Instance> Instance::create(int32_t nominalBlock, double rate)
{
    if (!plugin())
        return nullptr;
    std::unique_ptr<Instance> self(new Instance());
    self->blockLengths[2] = nominalBlock;
    self->sampleRate = static_cast<float>(rate);
    const char* lengths[3] = {LV2_BUF_SIZE__minBlockLength, LV2_BUF_SIZE__maxBlockLength, LV2_BUF_SIZE__nominalBlockLength};
    for (int k = 0; k < 3; ++k)
        self->options[k] = {LV2_OPTIONS_INSTANCE, 0, id(lengths[k]), sizeof(int32_t), id(LV2_ATOM__Int), &self->blockLengths[k]};
    self->options[3] = {LV2_OPTIONS_INSTANCE, 0, id(LV2_PARAMETERS__sampleRate), sizeof(float), id(LV2_ATOM__Float),
                        &self->sampleRate};
    self->logFeature = {self.get(), logf, log};
    self->featureData = {{LV2_URID__map, uridMap()},           {LV2_URID__unmap, uridUnmap()},
                         {LV2_OPTIONS__options, self->options.data()}, {LV2_BUF_SIZE__boundedBlockLength, nullptr},
                         {LV2_LOG__log, &self->logFeature},      {LV2_WORKER__schedule, &self->scheduleFeature}};
    for (const LV2_Feature& f : self->featureData)
        self->features.push_back(&f);
    self->features.push_back(nullptr);

    self->instance = lilv_plugin_instantiate(plugin(), rate, self->features.data());
    if (!self->instance)
        return nullptr;
    self->worker = static_cast<const LV2_Worker_Interface*>(lilv_instance_get_extension_data(self->instance, LV2_WORKER__interface));
    std::vector<float> defaults(lilv_plugin_get_num_ports(plugin()));
    lilv_plugin_get_port_ranges_float(plugin(), nullptr, nullptr, defaults.data());
    for (uint32_t i = 0; i < kParameterCount; ++i) {
        self->parameters[i] = defaults[kFirstParameterPort + i];
        lilv_instance_connect_port(self->instance, kFirstParameterPort + i, &self->controls[i]);
    }
    lv2_atom_forge_init(&self->forge, uridMap());
    lilv_instance_connect_port(self->instance, 4, self->sequence.data());
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

int Instance::log(LV2_Log_Handle handle, LV2_URID, const char* format, va_list args)
{
    char text[1024];
    const int n = std::vsnprintf(text, sizeof(text), format, args);
    static_cast<Instance*>(handle)->logged.emplace_back(text);
    return n;
}

int Instance::logf(LV2_Log_Handle handle, LV2_URID type, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const int n = log(handle, type, format, args);
    va_end(args);
    return n;
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

void Instance::tempo(double bpm, float beatsPerBar, int32_t beatUnit)
{
    LV2_Atom_Forge_Frame object;
    lv2_atom_forge_frame_time(&forge, 0);
    lv2_atom_forge_object(&forge, &object, 0, id(LV2_TIME__Position));
    lv2_atom_forge_key(&forge, id(LV2_TIME__bar));
    lv2_atom_forge_long(&forge, 0);
    lv2_atom_forge_key(&forge, id(LV2_TIME__barBeat));
    lv2_atom_forge_float(&forge, 0.f);
    lv2_atom_forge_key(&forge, id(LV2_TIME__beatsPerBar));
    lv2_atom_forge_float(&forge, beatsPerBar);
    lv2_atom_forge_key(&forge, id(LV2_TIME__beatUnit));
    lv2_atom_forge_int(&forge, beatUnit);
    lv2_atom_forge_key(&forge, id(LV2_TIME__beatsPerMinute));
    lv2_atom_forge_float(&forge, static_cast<float>(bpm));
    lv2_atom_forge_key(&forge, id(LV2_TIME__speed));
    lv2_atom_forge_float(&forge, 1.f);
    lv2_atom_forge_pop(&forge, &object);
}

void Instance::process(const float* inL, const float* inR, float* outL, float* outR, uint32_t frames)
{
    for (uint32_t i = 0; i < kParameterCount; ++i)
        controls[i] = parameters[i].load();
    const void* ports[4] = {inL, inR, outL, outR};
    for (uint32_t port = 0; port < 4; ++port)
        lilv_instance_connect_port(instance, port, const_cast<void*>(ports[port]));
    lilv_instance_run(instance, frames);
    clearEvents();
}

LV2_Worker_Status Instance::schedule(LV2_Worker_Schedule_Handle handle, uint32_t size, const void* data)
{
    auto& self = *static_cast<Instance*>(handle);
    const SpinLock lock(self.requestsBusy);
    if (self.requested + sizeof(size) + size > self.requests.size())
        return LV2_WORKER_ERR_NO_SPACE;
    std::memcpy(&self.requests[self.requested], &size, sizeof(size));
    std::memcpy(&self.requests[self.requested + sizeof(size)], data, size);
    self.requested += sizeof(size) + size;
    return LV2_WORKER_SUCCESS;
}

void Instance::work()
{
    if (!worker)
        return;
    std::vector<uint8_t> taken;
    {
        const SpinLock lock(requestsBusy);
        taken.assign(requests.begin(), requests.begin() + static_cast<std::ptrdiff_t>(requested));
        requested = 0;
    }
    std::vector<std::vector<uint8_t>> answers;
    const auto respond = [](LV2_Worker_Respond_Handle h, uint32_t size, const void* data) {
        const auto* bytes = static_cast<const uint8_t*>(data);
        static_cast<std::vector<std::vector<uint8_t>>*>(h)->emplace_back(bytes, bytes + size);
        return LV2_WORKER_SUCCESS;
    };
    LV2_Handle handle = lilv_instance_get_handle(instance);
    for (std::size_t pos = 0; pos < taken.size();) {
        uint32_t size;
        std::memcpy(&size, &taken[pos], sizeof(size));
        worker->work(handle, respond, &answers, size, &taken[pos + sizeof(size)]);
        pos += sizeof(size) + size;
    }
    for (const auto& answer : answers)
        worker->work_response(handle, static_cast<uint32_t>(answer.size()), answer.data());
    if (worker->end_run)
        worker->end_run(handle);
}

void Instance::run(const float* inL, const float* inR, float* outL, float* outR, uint32_t frames)
{
    process(inL, inR, outL, outR, frames);
    work();
}

void Instance::restart()
{
    lilv_instance_deactivate(instance);
    lilv_instance_activate(instance);
}

LilvState* Instance::saveState(const char* dir)
{
    const auto portValue = [](const char* symbol, void* user, uint32_t* size, uint32_t* type) -> const void* {
        auto& self = *static_cast<Instance*>(user);
        const int32_t k = parameterOf(symbol);
        if (k < 0)
            return nullptr;
        self.portValue = self.parameters[static_cast<std::size_t>(k)];
        *size = sizeof(float);
        *type = id(LV2_ATOM__Float);
        return &self.portValue;
    };
    return lilv_state_new_from_instance(plugin(), instance, uridMap(), nullptr, dir, dir, dir, portValue, this,
                                        LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, features.data());
}

void Instance::restoreState(const LilvState* state)
{
    const auto setPort = [](const char* symbol, void* user, const void* value, uint32_t size, uint32_t type) {
        const int32_t k = parameterOf(symbol);
        if (k >= 0 && size == sizeof(float) && type == id(LV2_ATOM__Float))
            static_cast<Instance*>(user)->parameters[static_cast<std::size_t>(k)] = *static_cast<const float*>(value);
    };
    lilv_state_restore(state, instance, setPort, this, 0, features.data());
}

Properties Instance::save()
{
    Properties saved;
    const auto store = [](LV2_State_Handle h, uint32_t key, const void* value, size_t size, uint32_t type, uint32_t) {
        const auto* bytes = static_cast<const uint8_t*>(value);
        (*static_cast<Properties*>(h))[unmap(nullptr, key)] = {unmap(nullptr, type), {bytes, bytes + size}};
        return LV2_STATE_SUCCESS;
    };
    const LV2_Feature path{LV2_STATE__mapPath, &mapPath};
    const LV2_Feature* pathFeatures[] = {&path, nullptr};
    const auto* state = static_cast<const LV2_State_Interface*>(lilv_instance_get_extension_data(instance, LV2_STATE__interface));
    state->save(lilv_instance_get_handle(instance), store, &saved, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, pathFeatures);
    return saved;
}

LV2_State_Status Instance::restore(const Properties& properties)
{
    const auto retrieve = [](LV2_State_Handle h, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags) -> const void* {
        const auto& all = *static_cast<const Properties*>(h);
        const auto it = all.find(unmap(nullptr, key));
        if (it == all.end())
            return nullptr;
        *size = it->second.value.size();
        *type = id(it->second.type.c_str());
        *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
        return it->second.value.data();
    };
    const LV2_Feature path{LV2_STATE__mapPath, &mapPath};
    const LV2_Feature* pathFeatures[] = {&path, nullptr};
    const auto* state = static_cast<const LV2_State_Interface*>(lilv_instance_get_extension_data(instance, LV2_STATE__interface));
    return state->restore(lilv_instance_get_handle(instance), retrieve, const_cast<Properties*>(&properties), 0, pathFeatures);
}

}  // namespace lv2testhost
