// The patch:Set a UI sends the DSP through the host (atom:eventTransfer to the
// event input): one file parameter set to a path.
#pragma once

#include <lv2/urid/urid.h>

#include <cstdint>
#include <string>
#include <vector>

// The atom, header and body, for write_function; empty when it cannot be made.
std::vector<uint8_t> patchSetMessage(const LV2_URID_Map& map, LV2_URID property, const std::string& path);
