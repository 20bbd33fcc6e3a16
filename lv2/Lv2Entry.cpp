// The DSP binary's one exported symbol: the descriptor of the plug-in, whose
// functions hand each call to its Lv2Plugin.
#include "lv2/Lv2Ids.h"
#include "lv2/Lv2Plugin.h"
#include "lv2/Lv2StateInterface.h"
#include "lv2/Lv2Worker.h"

#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/worker/worker.h>

#include <cstring>

namespace {

Lv2Plugin* pluginOf(LV2_Handle handle)
{
    return static_cast<Lv2Plugin*>(handle);
}

LV2_Handle instantiate(const LV2_Descriptor*, double sampleRate, const char*, const LV2_Feature* const* features)
{
    return Lv2Plugin::create(sampleRate, features);
}

void connectPort(LV2_Handle handle, uint32_t port, void* data)
{
    pluginOf(handle)->connect(port, data);
}

void activate(LV2_Handle handle)
{
    pluginOf(handle)->activate();
}

void run(LV2_Handle handle, uint32_t frames)
{
    pluginOf(handle)->run(frames);
}

void deactivate(LV2_Handle handle)
{
    pluginOf(handle)->deactivate();
}

void cleanup(LV2_Handle handle)
{
    delete pluginOf(handle);
}

const void* extensionData(const char* uri)
{
    static const LV2_State_Interface state = {lv2_state::save, lv2_state::restore};
    static const LV2_Worker_Interface worker = {lv2_worker::work, lv2_worker::workResponse, nullptr};
    if (std::strcmp(uri, LV2_STATE__interface) == 0)
        return &state;
    if (std::strcmp(uri, LV2_WORKER__interface) == 0)
        return &worker;
    return nullptr;
}

const LV2_Descriptor kDescriptor = {
    lv2_ids::kPluginUri, instantiate, connectPort, activate, run, deactivate, cleanup, extensionData,
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const LV2_Descriptor* lv2_descriptor(uint32_t index)
{
    return index == 0 ? &kDescriptor : nullptr;
}
