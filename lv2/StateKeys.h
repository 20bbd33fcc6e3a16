// The state keys of one program's tuning files, mapped to URIDs.
#pragma once

#include <lv2/urid/urid.h>

#include <cstdint>
#include <string>

struct TuningFiles;

struct TuningFileKey {
    LV2_URID key;
    std::string TuningFiles::* file;
};

struct TuningFileKeys {
    TuningFileKey keys[3];
};

TuningFileKeys tuningFileKeysOf(const LV2_URID_Map& map, int32_t program);
