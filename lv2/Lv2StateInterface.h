// state:interface. Save: the bank chunk (the bytes of the VST 2 bank chunk), the
// current program, and each program's tuning files as paths the host maps.
// Restore: checks the whole state first, then applies it, itself or through the
// worker the host passes to restore.
#pragma once

#include <lv2/state/state.h>

namespace lv2_state {

LV2_State_Status save(LV2_Handle instance, LV2_State_Store_Function store, LV2_State_Handle handle, uint32_t flags,
                      const LV2_Feature* const* features);
LV2_State_Status restore(LV2_Handle instance, LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                         uint32_t flags, const LV2_Feature* const* features);

}  // namespace lv2_state
