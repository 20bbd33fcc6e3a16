#include "lv2/StateKeys.h"

#include "lv2/Lv2Ids.h"
#include "lv2/TuningFiles.h"

#include <cstdio>

TuningFileKeys tuningFileKeysOf(const LV2_URID_Map& map, int32_t program)
{
    const auto keyOf = [&](const char* prefix) {
        char uri[128];
        std::snprintf(uri, sizeof(uri), "%s%02d", prefix, static_cast<int>(program));
        return map.map(map.handle, uri);
    };
    return {{{keyOf(lv2_ids::kTunPathKeyPrefix), &TuningFiles::tun},
             {keyOf(lv2_ids::kScalePathKeyPrefix), &TuningFiles::scale},
             {keyOf(lv2_ids::kMappingPathKeyPrefix), &TuningFiles::mapping}}};
}
