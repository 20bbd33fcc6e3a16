// Whole-file reads and all-or-nothing writes: output goes to a temporary file
// beside the target and is renamed over it only when complete, so a failed or
// interrupted run never leaves a half-written file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tovarine::cli {

class PendingOutput;

std::vector<uint8_t> readFileBytes(const std::string& path);
void writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
void writeFileBytes(PendingOutput& output, const std::vector<uint8_t>& bytes);

// Checks, before any work starts, that `path` can be written: its folder exists
// and is writable, and the path is not a folder. Throws ToolError.
void checkWritableOutput(const std::string& path);

std::string lowerCaseExtension(const std::string& path);  // ".wav" -> "wav"

}  // namespace tovarine::cli
