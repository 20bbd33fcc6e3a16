#include "lv2/Lv2StateInterface.h"

#include "lv2/Features.h"
#include "lv2/HostPath.h"
#include "lv2/Lv2Plugin.h"
#include "lv2/RestoreJob.h"
#include "lv2/StateKeys.h"
#include "lv2/TuningFiles.h"
#include "lv2/WorkMessage.h"
#include "programs/ProgramChunks.h"

#include <lv2/worker/worker.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace lv2_state {

namespace {

constexpr uint32_t kPortableValue = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;

// A tuning file as the host wants it stored (relative to the session, or a link to it).
LV2_State_Status storePath(LV2_State_Store_Function store, LV2_State_Handle handle, LV2_URID key,
                           const std::string& path, LV2_URID pathType, const LV2_State_Map_Path* mapPath,
                           const LV2_State_Free_Path* freePath)
{
    char* abstract = mapPath ? mapPath->abstract_path(mapPath->handle, path.c_str()) : nullptr;
    const char* stored = abstract ? abstract : path.c_str();
    const LV2_State_Status status = store(handle, key, stored, std::strlen(stored) + 1, pathType, kPortableValue);
    if (abstract)
        freeHostPath(freePath, abstract);
    return status;
}

}  // namespace

LV2_State_Status save(LV2_Handle instance, LV2_State_Store_Function store, LV2_State_Handle handle, uint32_t,
                      const LV2_Feature* const* features)
{
    auto& plugin = *static_cast<Lv2Plugin*>(instance);
    const Lv2Uris& uris = plugin.uris();
    void* data = nullptr;
    if (plugin.dispatch(effGetChunk, 0, 0, &data) != kBankChunkSize || !data) {
        plugin.log().error("the programs could not be saved: out of memory");
        return LV2_STATE_ERR_UNKNOWN;
    }
    std::vector<ProgramRecord> bank(kNumPrograms);
    std::memcpy(bank.data(), data, kBankChunkSize);
    const auto program = static_cast<int32_t>(plugin.dispatch(effGetProgram));

    LV2_State_Status status = store(handle, uris.bankKey, bank.data(), kBankChunkSize, uris.atomChunk, kPortableValue);
    if (status == LV2_STATE_SUCCESS)
        status = store(handle, uris.programKey, &program, sizeof(program), uris.atomInt, kPortableValue);

    const auto* mapPath = featureData<LV2_State_Map_Path>(features, LV2_STATE__mapPath);
    const auto* freePath = featureData<LV2_State_Free_Path>(features, LV2_STATE__freePath);
    for (int32_t p = 0; p < kNumPrograms && status == LV2_STATE_SUCCESS; ++p) {
        const TuningFiles files = tuningFilesOf(bank[static_cast<std::size_t>(p)]);
        for (const TuningFileKey& key : tuningFileKeysOf(plugin.urids(), p).keys) {
            const std::string& path = files.*key.file;
            // A file that is gone stays named in the bank alone: a path to nothing would refuse every restore.
            if (isRegularFile(path))
                status = storePath(store, handle, key.key, path, uris.atomPath, mapPath, freePath);
            if (status != LV2_STATE_SUCCESS)
                break;
        }
    }
    return status;
}

LV2_State_Status restore(LV2_Handle instance, LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                         uint32_t, const LV2_Feature* const* features)
{
    auto& plugin = *static_cast<Lv2Plugin*>(instance);
    std::string why;
    std::unique_ptr<RestoreJob> job =
        RestoreJob::read(plugin, retrieve, handle, featureData<LV2_State_Map_Path>(features, LV2_STATE__mapPath),
                         featureData<LV2_State_Free_Path>(features, LV2_STATE__freePath), why);
    if (!job) {
        plugin.log().error("the state was not restored, nothing changed: %s", why.c_str());
        return LV2_STATE_ERR_UNKNOWN;
    }
    // A host that passes its worker to restore has it finish the work.
    if (const auto* schedule = featureData<LV2_Worker_Schedule>(features, LV2_WORKER__schedule)) {
        plugin.holdRestoreJob(std::move(job));
        const WorkMessage::Kind request = WorkMessage::kRestore;
        if (schedule->schedule_work(schedule->handle, sizeof(request), &request) == LV2_WORKER_SUCCESS)
            return LV2_STATE_SUCCESS;
        job = plugin.takeRestoreJob();
    }
    if (job)
        job->apply(plugin);
    return LV2_STATE_SUCCESS;
}

}  // namespace lv2_state
