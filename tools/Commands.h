// The sub-commands of the tovarine tool. Each takes the arguments after its
// name, writes its results, and throws ToolError on failure.
#pragma once

#include <string>
#include <vector>

namespace tovarine::cli {

using Arguments = std::vector<std::string>;

void runRender(const Arguments& arguments);
void runInfo(const Arguments& arguments);
void runPreset(const Arguments& arguments);
void runPlot(const Arguments& arguments);

extern const char* const kUsageText;

}  // namespace tovarine::cli
