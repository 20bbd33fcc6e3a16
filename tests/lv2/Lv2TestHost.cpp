#include "tests/lv2/Lv2TestHost.h"

#include <lv2/atom/forge.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/log/log.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>
#include <lv2/parameters/parameters.h>
#include <lv2/time/time.h>
#include <lv2/worker/worker.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <unordered_map>

namespace lv2testhost {

namespace {

std::mutex mapMutex;
std::deque<std::string> uris;  // URID n is uris[n - 1]; a deque keeps the strings in place
std::unordered_map<std::string, LV2_URID> urids;

LV2_URID mapUri(LV2_URID_Map_Handle, const char* uri) { return World::get().map(uri); }
const char* unmapUrid(LV2_URID_Unmap_Handle, LV2_URID urid) { return World::get().unmap(urid); }

// The spin lock guards what the audio thread shares without a system call.
struct SpinLock {
    std::atomic_flag& flag;
    explicit SpinLock(std::atomic_flag& f) : flag(f) { while (flag.test_and_set(std::memory_order_acquire)) {} }
    ~SpinLock() { flag.clear(std::memory_order_release); }
};

// Size-prefixed messages in a buffer reserved up front, so appending never allocates.
struct MessageQueue {
    std::vector<uint8_t> bytes;
    MessageQueue() { bytes.reserve(1 << 20); }
    bool push(uint32_t size, const void* data)
    {
        if (bytes.size() + sizeof(size) + size > bytes.capacity())
            return false;
        const auto* p = reinterpret_cast<const uint8_t*>(&size);
        bytes.insert(bytes.end(), p, p + sizeof(size));
        bytes.insert(bytes.end(), static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
        return true;
    }
    template <typename Fn>
    void forEach(Fn fn) const
    {
        for (std::size_t pos = 0; pos + sizeof(uint32_t) <= bytes.size();) {
            uint32_t size;
            std::memcpy(&size, &bytes[pos], sizeof(size));
            fn(size, &bytes[pos + sizeof(size)]);
            pos += sizeof(size) + size;
        }
    }
};

char* samePath(LV2_State_Map_Path_Handle, const char* path) { return strdup(path); }
void freePath(LV2_State_Free_Path_Handle, char* path) { std::free(path); }

}  // namespace

World& World::get()
{
    static World world = [] {
        World w;
        w.mapFeature = {nullptr, mapUri};
        w.unmapFeature = {nullptr, unmapUrid};
        w.world = lilv_world_new();
        // The bundle this build made, unless LV2_PATH names where to look, as for any host.
        if (const char* path = std::getenv("LV2_PATH")) {
            LilvNode* pathNode = lilv_new_string(w.world, path);
            lilv_world_set_option(w.world, LILV_OPTION_LV2_PATH, pathNode);
            lilv_node_free(pathNode);
            lilv_world_load_all(w.world);
        } else {
            LilvNode* bundle = lilv_new_file_uri(w.world, nullptr, TOVARINE_LV2_BUNDLE "/");
            lilv_world_load_bundle(w.world, bundle);
            lilv_node_free(bundle);
        }
        LilvNode* uri = lilv_new_uri(w.world, kPluginUri);
        w.plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(w.world), uri);
        lilv_node_free(uri);
        return w;
    }();
    return world;
}

LV2_URID World::map(const char* uri)
{
    const std::lock_guard<std::mutex> lock(mapMutex);
    auto [it, added] = urids.emplace(uri, static_cast<LV2_URID>(uris.size() + 1));
    if (added)
        uris.emplace_back(uri);
    return it->second;
}

const char* World::unmap(LV2_URID urid)
{
    const std::lock_guard<std::mutex> lock(mapMutex);
    return urid >= 1 && urid <= uris.size() ? uris[urid - 1].c_str() : nullptr;
}

struct Instance::Parts {
    Instance* owner = nullptr;
    const LV2_Worker_Interface* workerInterface = nullptr;
    LV2_Worker_Schedule schedule{};
    std::atomic_flag requestsBusy = ATOMIC_FLAG_INIT, responsesBusy = ATOMIC_FLAG_INIT;
    std::mutex workMutex;  // one worker at a time: after run, or after a restore on another thread
    MessageQueue requests, working, responses, delivering;
    LV2_Log_Log log{};
    std::mutex logMutex;
    int32_t blockLengths[3] = {1, 8192, 512};  // minimum, maximum, nominal
    float sampleRate = 44100.f;
    LV2_Options_Option options[5]{};
    LV2_State_Map_Path mapPath{nullptr, samePath, samePath};
    LV2_State_Free_Path freePath{nullptr, lv2testhost::freePath};
    std::vector<LV2_Feature> featureList;
    std::vector<const LV2_Feature*> features, stateFeatures;
    std::vector<uint8_t> sequence = std::vector<uint8_t>(1 << 16);
    LV2_Atom_Forge forge{};
    LV2_Atom_Forge_Frame sequenceFrame{};
    float portValue = 0.f;  // what lilv reads when it saves a port

    static LV2_Worker_Status scheduleWork(LV2_Worker_Schedule_Handle handle, uint32_t size, const void* data)
    {
        auto* parts = static_cast<Parts*>(handle);
        const SpinLock lock(parts->requestsBusy);
        return parts->requests.push(size, data) ? LV2_WORKER_SUCCESS : LV2_WORKER_ERR_NO_SPACE;
    }
    static LV2_Worker_Status respond(LV2_Worker_Respond_Handle handle, uint32_t size, const void* data)
    {
        auto* parts = static_cast<Parts*>(handle);
        const SpinLock lock(parts->responsesBusy);
        return parts->responses.push(size, data) ? LV2_WORKER_SUCCESS : LV2_WORKER_ERR_NO_SPACE;
    }
    static int logText(LV2_Log_Handle handle, LV2_URID, const char* format, va_list args)
    {
        char text[1024];
        const int n = std::vsnprintf(text, sizeof(text), format, args);
        auto* parts = static_cast<Parts*>(handle);
        const std::lock_guard<std::mutex> lock(parts->logMutex);
        parts->owner->logged.emplace_back(text);
        return n;
    }
    static int logPrintf(LV2_Log_Handle handle, LV2_URID type, const char* format, ...)
    {
        va_list args;
        va_start(args, format);
        const int n = logText(handle, type, format, args);
        va_end(args);
        return n;
    }
    static const void* portValueOf(const char* symbol, void* user, uint32_t* size, uint32_t* type)
    {
        auto* self = static_cast<Instance*>(user);
        const int32_t port = portIndex(symbol);
        if (port < static_cast<int32_t>(kFirstParameterPort))
            return nullptr;
        self->parts->portValue = self->parameter(static_cast<uint32_t>(port) - kFirstParameterPort);
        *size = sizeof(float);
        *type = World::get().map(LV2_ATOM__Float);
        return &self->parts->portValue;
    }
    static void setPortValue(const char* symbol, void* user, const void* value, uint32_t size, uint32_t type)
    {
        const int32_t port = portIndex(symbol);
        if (port >= static_cast<int32_t>(kFirstParameterPort) && size == sizeof(float) && type == World::get().map(LV2_ATOM__Float))
            static_cast<Instance*>(user)->setParameter(static_cast<uint32_t>(port) - kFirstParameterPort,
                                                       *static_cast<const float*>(value));
    }
    static int32_t portIndex(const char* symbol)
    {
        World& w = World::get();
        LilvNode* node = lilv_new_string(w.world, symbol);
        const LilvPort* port = lilv_plugin_get_port_by_symbol(w.plugin, node);
        lilv_node_free(node);
        return port ? static_cast<int32_t>(lilv_port_get_index(w.plugin, port)) : -1;
    }
};

Instance::Instance() : parts(std::make_unique<Parts>()) { parts->owner = this; }

std::unique_ptr<Instance> Instance::create(const Options& options)
{
    World& w = World::get();
    if (!w.plugin)
        return nullptr;
    std::unique_ptr<Instance> self(new Instance());
    Parts& p = *self->parts;
    p.blockLengths[2] = options.nominalBlock;
    p.sampleRate = static_cast<float>(options.sampleRate);
    const LV2_URID intType = w.map(LV2_ATOM__Int);
    const char* lengthKeys[3] = {LV2_BUF_SIZE__minBlockLength, LV2_BUF_SIZE__maxBlockLength, LV2_BUF_SIZE__nominalBlockLength};
    for (int k = 0; k < 3; ++k)
        p.options[k] = {LV2_OPTIONS_INSTANCE, 0, w.map(lengthKeys[k]), sizeof(int32_t), intType, &p.blockLengths[k]};
    p.options[3] = {LV2_OPTIONS_INSTANCE, 0, w.map(LV2_PARAMETERS__sampleRate), sizeof(float), w.map(LV2_ATOM__Float), &p.sampleRate};
    p.log = {&p, Parts::logPrintf, Parts::logText};
    p.schedule = {&p, Parts::scheduleWork};
    p.mapPath.handle = &p;
    p.freePath.handle = &p;

    p.featureList = {{LV2_URID__map, &w.mapFeature},
                     {LV2_URID__unmap, &w.unmapFeature},
                     {LV2_OPTIONS__options, p.options},
                     {LV2_BUF_SIZE__boundedBlockLength, nullptr}};
    if (options.log)
        p.featureList.push_back({LV2_LOG__log, &p.log});
    if (options.worker)
        p.featureList.push_back({LV2_WORKER__schedule, &p.schedule});
    const std::size_t instanceFeatures = p.featureList.size();
    p.featureList.push_back({LV2_STATE__mapPath, &p.mapPath});
    p.featureList.push_back({LV2_STATE__freePath, &p.freePath});
    for (std::size_t k = 0; k < p.featureList.size(); ++k)
        (k < instanceFeatures ? p.features : p.stateFeatures).push_back(&p.featureList[k]);
    for (std::size_t k = 0; k < instanceFeatures; ++k)
        if (p.featureList[k].data != &p.schedule)
            p.stateFeatures.push_back(&p.featureList[k]);
    p.features.push_back(nullptr);
    p.stateFeatures.push_back(nullptr);

    self->instance = lilv_plugin_instantiate(w.plugin, options.sampleRate, p.features.data());
    if (!self->instance)
        return nullptr;
    if (options.worker)
        p.workerInterface = static_cast<const LV2_Worker_Interface*>(
            lilv_instance_get_extension_data(self->instance, LV2_WORKER__interface));

    std::vector<float> defaults(lilv_plugin_get_num_ports(w.plugin));
    lilv_plugin_get_port_ranges_float(w.plugin, nullptr, nullptr, defaults.data());
    for (uint32_t i = 0; i < kParameterCount; ++i) {
        self->staged[i] = defaults[kFirstParameterPort + i];
        lilv_instance_connect_port(self->instance, kFirstParameterPort + i, &self->controls[i]);
    }
    lv2_atom_forge_init(&p.forge, &w.mapFeature);
    lilv_instance_connect_port(self->instance, kEventsPort, p.sequence.data());
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
    lv2_atom_forge_set_buffer(&parts->forge, parts->sequence.data(), parts->sequence.size());
    lv2_atom_forge_sequence_head(&parts->forge, &parts->sequenceFrame, 0);
}

void Instance::midi(uint32_t frame, uint8_t status, uint8_t data1, uint8_t data2)
{
    const uint8_t bytes[3] = {status, data1, data2};
    lv2_atom_forge_frame_time(&parts->forge, frame);
    lv2_atom_forge_atom(&parts->forge, 3, World::get().map(LV2_MIDI__MidiEvent));
    lv2_atom_forge_write(&parts->forge, bytes, 3);
}

void Instance::tempo(uint32_t frame, double bpm, float beatsPerBar, int32_t beatUnit, float speed)
{
    World& w = World::get();
    LV2_Atom_Forge& f = parts->forge;
    LV2_Atom_Forge_Frame object;
    lv2_atom_forge_frame_time(&f, frame);
    lv2_atom_forge_object(&f, &object, 0, w.map(LV2_TIME__Position));
    lv2_atom_forge_key(&f, w.map(LV2_TIME__bar));
    lv2_atom_forge_long(&f, 0);
    lv2_atom_forge_key(&f, w.map(LV2_TIME__barBeat));
    lv2_atom_forge_float(&f, 0.f);
    lv2_atom_forge_key(&f, w.map(LV2_TIME__beatsPerBar));
    lv2_atom_forge_float(&f, beatsPerBar);
    lv2_atom_forge_key(&f, w.map(LV2_TIME__beatUnit));
    lv2_atom_forge_int(&f, beatUnit);
    lv2_atom_forge_key(&f, w.map(LV2_TIME__beatsPerMinute));
    lv2_atom_forge_float(&f, static_cast<float>(bpm));
    lv2_atom_forge_key(&f, w.map(LV2_TIME__speed));
    lv2_atom_forge_float(&f, speed);
    lv2_atom_forge_pop(&f, &object);
}

void Instance::process(const float* inL, const float* inR, float* outL, float* outR, uint32_t frames)
{
    for (uint32_t i = 0; i < kParameterCount; ++i)
        controls[i] = staged[i].load();
    lilv_instance_connect_port(instance, 0, const_cast<float*>(inL));
    lilv_instance_connect_port(instance, 1, const_cast<float*>(inR));
    lilv_instance_connect_port(instance, 2, outL);
    lilv_instance_connect_port(instance, 3, outR);
    lilv_instance_run(instance, frames);
    clearEvents();
}

void Instance::doScheduledWork()
{
    if (!parts->workerInterface)
        return;
    const std::lock_guard<std::mutex> worker(parts->workMutex);
    {
        const SpinLock lock(parts->requestsBusy);
        parts->working.bytes.assign(parts->requests.bytes.begin(), parts->requests.bytes.end());
        parts->requests.bytes.clear();
    }
    LV2_Handle handle = lilv_instance_get_handle(instance);
    parts->working.forEach([&](uint32_t size, const void* data) {
        parts->workerInterface->work(handle, Parts::respond, parts.get(), size, data);
    });
    parts->working.bytes.clear();
}

void Instance::deliverWorkResponses()
{
    const LV2_Worker_Interface* iface = parts->workerInterface;
    if (!iface)
        return;
    {
        const SpinLock lock(parts->responsesBusy);
        parts->delivering.bytes.assign(parts->responses.bytes.begin(), parts->responses.bytes.end());
        parts->responses.bytes.clear();
    }
    LV2_Handle handle = lilv_instance_get_handle(instance);
    parts->delivering.forEach([&](uint32_t size, const void* data) { iface->work_response(handle, size, data); });
    parts->delivering.bytes.clear();
    if (iface->end_run)
        iface->end_run(handle);
}

void Instance::run(const float* inL, const float* inR, float* outL, float* outR, uint32_t frames)
{
    process(inL, inR, outL, outR, frames);
    doScheduledWork();
    deliverWorkResponses();
}

void Instance::restart()
{
    lilv_instance_deactivate(instance);
    lilv_instance_activate(instance);
}

LilvState* Instance::saveState(const std::string& dir)
{
    const char* d = dir.empty() ? nullptr : dir.c_str();
    return lilv_state_new_from_instance(World::get().plugin, instance, &World::get().mapFeature, nullptr, d, d, d,
                                        Parts::portValueOf, this, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE,
                                        parts->features.data());
}

void Instance::restoreState(const LilvState* state)
{
    lilv_state_restore(state, instance, Parts::setPortValue, this, 0, parts->features.data());
    doScheduledWork();
}

Properties Instance::save()
{
    Properties saved;
    const auto* iface = static_cast<const LV2_State_Interface*>(lilv_instance_get_extension_data(instance, LV2_STATE__interface));
    auto store = [](LV2_State_Handle handle, uint32_t key, const void* value, size_t size, uint32_t type, uint32_t flags) {
        World& w = World::get();
        const auto* bytes = static_cast<const uint8_t*>(value);
        (*static_cast<Properties*>(handle))[w.unmap(key)] = {w.unmap(type), {bytes, bytes + size}, flags};
        return LV2_STATE_SUCCESS;
    };
    iface->save(lilv_instance_get_handle(instance), store, &saved, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE,
                parts->stateFeatures.data());
    return saved;
}

LV2_State_Status Instance::restore(const Properties& properties)
{
    const auto* iface = static_cast<const LV2_State_Interface*>(lilv_instance_get_extension_data(instance, LV2_STATE__interface));
    auto retrieve = [](LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags) -> const void* {
        World& w = World::get();
        const auto& props = *static_cast<const Properties*>(handle);
        const auto it = props.find(w.unmap(key));
        if (it == props.end())
            return nullptr;
        *size = it->second.value.size();
        *type = w.map(it->second.type.c_str());
        *flags = it->second.flags;
        return it->second.value.data();
    };
    const LV2_State_Status status = iface->restore(lilv_instance_get_handle(instance), retrieve,
                                                   const_cast<Properties*>(&properties), 0, parts->stateFeatures.data());
    doScheduledWork();
    return status;
}

Property* find(Properties& properties, const char* type, std::size_t size)
{
    for (auto& [key, property] : properties)
        if (property.type == type && (size == 0 || property.value.size() == size))
            return &property;
    return nullptr;
}

LilvState* presetState(const std::string& uri)
{
    World& w = World::get();
    LilvNode* node = lilv_new_uri(w.world, uri.c_str());
    lilv_world_load_resource(w.world, node);
    LilvState* state = lilv_state_new_from_world(w.world, &w.mapFeature, node);
    lilv_node_free(node);
    return state;
}

}  // namespace lv2testhost
