// Arbitrary LV2 state restored into the built bundle's plug-in, then played.
// Each value the plug-in asks for takes the next record of the input: what it
// saved itself, the same spoiled, or a value of any type and size.
#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/log/log.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kBankBytes = 249472;

std::vector<std::string> uris;
LV2_URID mapUri(LV2_URID_Map_Handle, const char* uri)
{
    for (std::size_t i = 0; i < uris.size(); ++i)
        if (uris[i] == uri)
            return static_cast<LV2_URID>(i + 1);
    uris.emplace_back(uri);
    return static_cast<LV2_URID>(uris.size());
}
LV2_URID_Map map{nullptr, mapUri};

int logQuietly(LV2_Log_Handle, LV2_URID, const char*, va_list) { return 0; }
int logPrintf(LV2_Log_Handle, LV2_URID, const char*, ...) { return 0; }
LV2_Log_Log logFeature{nullptr, logPrintf, logQuietly};

char* samePath(LV2_State_Map_Path_Handle, const char* path) { return strdup(path); }
LV2_State_Map_Path mapPath{nullptr, samePath, samePath};

struct Value {
    LV2_URID type;
    std::vector<uint8_t> bytes;
};

struct Plugin {
    const LV2_Descriptor* descriptor = nullptr;
    LV2_Handle handle = nullptr;
    const LV2_State_Interface* state = nullptr;
    std::map<LV2_URID, Value> saved;
    float audio[4][64] = {};
    float controls[43] = {};
    alignas(8) uint8_t events[64] = {};
};

Plugin& plugin()
{
    static Plugin* p = [] {
        auto* p = new Plugin;
        void* module = dlopen(TOVARINE_LV2_DSP, RTLD_NOW | RTLD_LOCAL);
        auto entry = module ? reinterpret_cast<LV2_Descriptor_Function>(dlsym(module, "lv2_descriptor")) : nullptr;
        if (!entry)
            std::abort();
        p->descriptor = entry(0);
        static int32_t lengths[2] = {1, 64};
        static LV2_Options_Option options[3] = {
            {LV2_OPTIONS_INSTANCE, 0, mapUri(nullptr, LV2_BUF_SIZE__minBlockLength), 4, mapUri(nullptr, LV2_ATOM__Int), &lengths[0]},
            {LV2_OPTIONS_INSTANCE, 0, mapUri(nullptr, LV2_BUF_SIZE__maxBlockLength), 4, mapUri(nullptr, LV2_ATOM__Int), &lengths[1]},
            {}};
        static const LV2_Feature mapF{LV2_URID__map, &map}, boundedF{LV2_BUF_SIZE__boundedBlockLength, nullptr},
            optionsF{LV2_OPTIONS__options, options}, logF{LV2_LOG__log, &logFeature};
        static const LV2_Feature* features[] = {&mapF, &boundedF, &optionsF, &logF, nullptr};
        p->handle = p->descriptor->instantiate(p->descriptor, 44100.0, "", features);
        p->state = static_cast<const LV2_State_Interface*>(p->descriptor->extension_data(LV2_STATE__interface));
        if (!p->handle || !p->state)
            std::abort();
        for (uint32_t port = 0; port < 4; ++port)
            p->descriptor->connect_port(p->handle, port, p->audio[port]);
        p->descriptor->connect_port(p->handle, 4, p->events);
        for (uint32_t i = 0; i < 43; ++i)
            p->descriptor->connect_port(p->handle, 5 + i, &p->controls[i]);
        auto* sequence = reinterpret_cast<LV2_Atom_Sequence*>(p->events);
        sequence->atom = {sizeof(LV2_Atom_Sequence_Body), mapUri(nullptr, LV2_ATOM__Sequence)};
        p->descriptor->activate(p->handle);
        static const LV2_Feature pathF{LV2_STATE__mapPath, &mapPath};
        static const LV2_Feature* stateFeatures[] = {&pathF, nullptr};
        auto store = [](LV2_State_Handle h, uint32_t key, const void* value, size_t size, uint32_t type, uint32_t) {
            const auto* bytes = static_cast<const uint8_t*>(value);
            (*static_cast<std::map<LV2_URID, Value>*>(h))[key] = {type, {bytes, bytes + size}};
            return LV2_STATE_SUCCESS;
        };
        p->state->save(p->handle, store, &p->saved, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, stateFeatures);
        return p;
    }();
    return *p;
}

struct Input {
    const uint8_t* data;
    std::size_t size;
    std::vector<std::vector<uint8_t>> answers;  // alive until restore returns
};

const void* retrieve(LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags)
{
    auto& in = *static_cast<Input*>(handle);
    const auto saved = plugin().saved.find(key);
    const bool known = saved != plugin().saved.end();
    uint8_t choice = 0;
    std::vector<uint8_t> bytes;
    if (in.size >= 3) {
        choice = in.data[0];
        const std::size_t length = std::min<std::size_t>(in.size - 3, in.data[1] | (in.data[2] << 8));
        bytes.assign(in.data + 3, in.data + 3 + length);
        in.data += 3 + length;
        in.size -= 3 + length;
    }
    static const char* const kTypes[] = {LV2_ATOM__Chunk, LV2_ATOM__Int, LV2_ATOM__Path, LV2_ATOM__String, LV2_ATOM__Float};
    switch (choice % 8) {
    case 0:  // as saved
    case 7:  // as saved, the input's bytes laid over it from an offset
        if (!known)
            return nullptr;
        *type = saved->second.type;
        in.answers.push_back(saved->second.bytes);
        if (choice % 8 == 7 && !in.answers.back().empty())
            for (std::size_t i = 0; i < bytes.size(); ++i)
                in.answers.back()[((choice >> 3) * 977 + i) % in.answers.back().size()] = bytes[i];
        break;
    case 6:
        return nullptr;
    default:
        *type = mapUri(nullptr, kTypes[choice % 8 - 1]);
        if ((choice & 0x80) && !bytes.empty()) {  // repeated over a whole bank, so random bytes reach every field
            std::vector<uint8_t> filled(kBankBytes);
            for (std::size_t i = 0; i < kBankBytes; ++i)
                filled[i] = bytes[i % bytes.size()];
            bytes.swap(filled);
        }
        if (choice % 8 == 3)
            bytes.push_back('\0');
        in.answers.push_back(std::move(bytes));
    }
    *size = in.answers.back().size();
    *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
    return in.answers.back().data();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Plugin& p = plugin();
    Input in{data, size, {}};
    in.answers.reserve(256);
    static const LV2_Feature pathF{LV2_STATE__mapPath, &mapPath};
    static const LV2_Feature* features[] = {&pathF, nullptr};
    p.state->restore(p.handle, retrieve, &in, 0, features);
    p.audio[0][0] = p.audio[1][0] = 1.f;
    for (int block = 0; block < 4; ++block) {
        p.descriptor->run(p.handle, 64);
        for (int i = 0; i < 64; ++i)
            if (!std::isfinite(p.audio[2][i]) || !std::isfinite(p.audio[3][i]))
                std::abort();
        p.audio[0][0] = p.audio[1][0] = 0.f;
    }
    return 0;
}
