// A state checked whole before anything changes: the bank with the host's
// absolute tuning paths put back into its records, and the program to select.
// Applying it is one change for the audio thread (the engine's control scope
// hands it over at a block boundary) and reads tuning files: it runs in restore
// or in the host's worker, never in run.
#pragma once

#include "programs/ProgramRecord.h"

#include <lv2/state/state.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Lv2Plugin;

class RestoreJob {
public:
    // Null, with the reason in `why`, when the state is unusable: a value of the
    // wrong type or size, a bank cut short, a program out of range, a tuning
    // file that is not there or does not load.
    static std::unique_ptr<RestoreJob> read(Lv2Plugin& plugin, LV2_State_Retrieve_Function retrieve,
                                            LV2_State_Handle handle, const LV2_State_Map_Path* mapPath,
                                            const LV2_State_Free_Path* freePath, std::string& why);

    void apply(Lv2Plugin& plugin) const;

private:
    bool readBank(Lv2Plugin& plugin, LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle, std::string& why);
    bool readProgram(Lv2Plugin& plugin, LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                     std::string& why);
    bool readTuningPaths(Lv2Plugin& plugin, LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                         const LV2_State_Map_Path* mapPath, const LV2_State_Free_Path* freePath, std::string& why);
    // The programs the engine will load must not need a file dialog.
    bool tuningsLoad(Lv2Plugin& plugin, std::string& why) const;

    std::vector<ProgramRecord> bank;  // empty: the bank stays (a preset that selects a program)
    int32_t program = -1;             // -1: the current program stays
};
