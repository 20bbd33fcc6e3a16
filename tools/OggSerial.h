// libsndfile starts every Ogg stream with a serial number drawn from the clock
// and offers no way to choose it. Rewriting it afterwards in every page (and
// each page's checksum) makes the same render give the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tovarine::cli {

constexpr uint32_t kOggSerialNumber = 0x54565243;

// Gives every page of a single-stream Ogg file the serial number; throws ToolError
// for a file that is not a sequence of whole Ogg pages.
void fixOggSerialNumber(const std::string& path, uint32_t serial = kOggSerialNumber);
void setOggSerialNumber(std::vector<uint8_t>& pages, uint32_t serial);  // throws std::runtime_error

}  // namespace tovarine::cli
