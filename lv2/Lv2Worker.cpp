#include "lv2/Lv2Worker.h"

#include "lv2/Lv2Plugin.h"
#include "lv2/RestoreJob.h"

namespace lv2_worker {

LV2_Worker_Status work(LV2_Handle instance, LV2_Worker_Respond_Function, LV2_Worker_Respond_Handle, uint32_t,
                       const void*)
{
    auto& plugin = *static_cast<Lv2Plugin*>(instance);
    if (const std::unique_ptr<RestoreJob> job = plugin.takeRestoreJob())
        job->apply(plugin);
    return LV2_WORKER_SUCCESS;
}

LV2_Worker_Status workResponse(LV2_Handle, uint32_t, const void*)
{
    return LV2_WORKER_SUCCESS;  // the applied state reaches the audio thread through the engine
}

}  // namespace lv2_worker
