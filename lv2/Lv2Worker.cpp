#include "lv2/Lv2Worker.h"

#include "lv2/FileParameters.h"
#include "lv2/Lv2Plugin.h"
#include "lv2/RestoreJob.h"
#include "lv2/WorkMessage.h"

#include <cstring>

namespace lv2_worker {

LV2_Worker_Status work(LV2_Handle instance, LV2_Worker_Respond_Function, LV2_Worker_Respond_Handle, uint32_t size,
                       const void* data)
{
    auto& plugin = *static_cast<Lv2Plugin*>(instance);
    WorkMessage message;
    if (!data || size < sizeof(message.kind) || size > sizeof(message))
        return LV2_WORKER_ERR_UNKNOWN;
    std::memcpy(&message, data, size);  // the host's copy need not be aligned
    if (message.kind == WorkMessage::kRestore) {
        if (const std::unique_ptr<RestoreJob> job = plugin.takeRestoreJob())
            job->apply(plugin);
        return LV2_WORKER_SUCCESS;
    }
    if (size < WorkMessage::kHeaderSize || size != message.size()
        || (message.hasPath() && message.path[message.length] != '\0'))
        return LV2_WORKER_ERR_UNKNOWN;
    FileParameters::work(plugin, message);
    return LV2_WORKER_SUCCESS;
}

LV2_Worker_Status workResponse(LV2_Handle, uint32_t, const void*)
{
    return LV2_WORKER_SUCCESS;  // what the work changed reaches the audio thread through the engine
}

}  // namespace lv2_worker
