#include "lv2/RestoreJob.h"

#include "engine/ResonatorEngine.h"
#include "lv2/HostPath.h"
#include "lv2/Lv2Plugin.h"
#include "lv2/StateKeys.h"
#include "lv2/TuningFiles.h"
#include "programs/ProgramChunks.h"

#include <cstdlib>
#include <cstring>

namespace {

std::string absolutePathOf(const char* abstractPath, const LV2_State_Map_Path* mapPath,
                           const LV2_State_Free_Path* freePath)
{
    if (!mapPath)
        return abstractPath;
    char* absolute = mapPath->absolute_path(mapPath->handle, abstractPath);
    if (!absolute)
        return {};
    std::string path = absolute;
    freeHostPath(freePath, absolute);
    return path;
}

}  // namespace

std::unique_ptr<RestoreJob> RestoreJob::read(Lv2Plugin& plugin, LV2_State_Retrieve_Function retrieve,
                                             LV2_State_Handle handle, const LV2_State_Map_Path* mapPath,
                                             const LV2_State_Free_Path* freePath, std::string& why)
{
    auto job = std::make_unique<RestoreJob>();
    if (!job->readBank(plugin, retrieve, handle, why) || !job->readProgram(plugin, retrieve, handle, why))
        return nullptr;
    if (job->bank.empty() && job->program < 0) {
        why = "it holds neither a bank nor a program";
        return nullptr;
    }
    if (!job->readTuningPaths(plugin, retrieve, handle, mapPath, freePath, why) || !job->tuningsLoad(plugin, why))
        return nullptr;
    return job;
}

bool RestoreJob::readBank(Lv2Plugin& plugin, LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                          std::string& why)
{
    std::size_t size = 0;
    uint32_t type = 0;
    uint32_t flags = 0;
    const void* value = retrieve(handle, plugin.uris().bankKey, &size, &type, &flags);
    if (!value)
        return true;
    if (type != plugin.uris().atomChunk) {
        why = "its bank is not a chunk";
        return false;
    }
    if (size != static_cast<std::size_t>(kBankChunkSize)) {
        why = "its bank holds " + std::to_string(size) + " bytes, not " + std::to_string(kBankChunkSize);
        return false;
    }
    bank.resize(kNumPrograms);
    std::memcpy(bank.data(), value, size);
    return true;
}

bool RestoreJob::readProgram(Lv2Plugin& plugin, LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                             std::string& why)
{
    std::size_t size = 0;
    uint32_t type = 0;
    uint32_t flags = 0;
    const void* value = retrieve(handle, plugin.uris().programKey, &size, &type, &flags);
    if (!value)
        return true;
    if (type != plugin.uris().atomInt || size != sizeof(int32_t)) {
        why = "its program number is not an integer";
        return false;
    }
    int32_t number = 0;
    std::memcpy(&number, value, sizeof(number));
    if (number < 0 || number >= kNumPrograms) {
        why = "its program number " + std::to_string(number) + " is not 0 to 31";
        return false;
    }
    program = number;
    return true;
}

bool RestoreJob::readTuningPaths(Lv2Plugin& plugin, LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                                 const LV2_State_Map_Path* mapPath, const LV2_State_Free_Path* freePath,
                                 std::string& why)
{
    if (bank.empty())
        return true;  // the paths belong to the bank they came with
    for (int32_t p = 0; p < kNumPrograms; ++p) {
        TuningFiles found;
        for (const TuningFileKey& key : tuningFileKeysOf(plugin.urids(), p).keys) {
            std::size_t size = 0;
            uint32_t type = 0;
            uint32_t flags = 0;
            const auto* value = static_cast<const char*>(retrieve(handle, key.key, &size, &type, &flags));
            if (!value)
                continue;
            if (type != plugin.uris().atomPath || size == 0 || value[size - 1] != '\0') {
                why = "a tuning file of program " + std::to_string(p) + " is not a path";
                return false;
            }
            const std::string path = absolutePathOf(value, mapPath, freePath);
            if (!isRegularFile(path)) {
                why = "the tuning file " + (path.empty() ? std::string(value) : path) + " of program "
                      + std::to_string(p) + " does not exist";
                return false;
            }
            found.*key.file = path;
        }
        if (!found.empty() && !replaceTuningFiles(bank[static_cast<std::size_t>(p)], found))
            plugin.log().warning("the tuning files of program %d are stored where their paths are too long "
                                 "for the program (199 characters at most); it keeps the paths it was saved with",
                                 static_cast<int>(p));
    }
    return true;
}

bool RestoreJob::tuningsLoad(Lv2Plugin& plugin, std::string& why) const
{
    // setChunk loads the program selected now, then the state's own program is selected.
    const ResonatorEngine::ControlScope scope(plugin.engine());  // the worker may be applying an earlier state
    const auto current = static_cast<int32_t>(plugin.dispatch(effGetProgram));
    std::vector<ProgramRecord> store = bank;
    if (store.empty()) {
        void* data = nullptr;
        if (plugin.dispatch(effGetChunk, 0, 0, &data) != kBankChunkSize || !data) {
            why = "the programs could not be read";
            return false;
        }
        store.resize(kNumPrograms);
        std::memcpy(store.data(), data, kBankChunkSize);
    }
    for (const int32_t p : {bank.empty() ? -1 : current, program}) {
        if (p < 0)
            continue;
        if (!tuningLoads(store[static_cast<std::size_t>(p)], why)) {
            why = "the tuning of program " + std::to_string(p) + " does not load: " + why;
            return false;
        }
    }
    return true;
}

void RestoreJob::apply(Lv2Plugin& plugin) const
{
    // One change: the audio thread adopts the bank and the selection together.
    ResonatorEngine::ControlScope scope(plugin.engine());
    if (!bank.empty())
        plugin.dispatch(effSetChunk, 0, kBankChunkSize, const_cast<ProgramRecord*>(bank.data()));
    if (program >= 0 && (bank.empty() || program != plugin.dispatch(effGetProgram)))
        plugin.dispatch(effSetProgram, 0, program);
}
