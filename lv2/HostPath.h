// A path the host's state:mapPath made: freed through its state:freePath where
// it offers one (the host's allocator), else with free() as the extension says.
#pragma once

#include <lv2/state/state.h>

#include <cstdlib>

inline void freeHostPath(const LV2_State_Free_Path* freePath, char* path)
{
    if (freePath)
        freePath->free_path(freePath->handle, path);
    else
        std::free(path);
}
