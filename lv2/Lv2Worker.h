// work:interface: the worker applies a restored state the host asked it to
// finish, and loads the files of the file parameters run was given, reading
// files outside the audio thread.
#pragma once

#include <lv2/worker/worker.h>

namespace lv2_worker {

LV2_Worker_Status work(LV2_Handle instance, LV2_Worker_Respond_Function respond, LV2_Worker_Respond_Handle handle,
                       uint32_t size, const void* data);
LV2_Worker_Status workResponse(LV2_Handle instance, uint32_t size, const void* body);

}  // namespace lv2_worker
