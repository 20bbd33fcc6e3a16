// Getting a plug-in into the state the command line asks for, and its state
// out again as standard preset files.
#pragma once

#include "tools/OptionParser.h"
#include "tools/PresetFile.h"

#include <memory>
#include <optional>
#include <string>

namespace tovarine::cli {

class PluginHost;

// The option rules of loadPluginFrom (--plugin) and applyStateOptions
// (--bank, --program, --preset, --param), for the command tables.
OptionRule pluginOption();
std::vector<OptionRule> stateOptions();

// The plug-in beside this executable (a build folder), else where `cmake --install`
// puts it: <prefix>/lib/vst beside <prefix>/bin, or ~/.vst for a user install.
// Throws ToolError naming every place searched when none holds one.
std::vector<std::string> defaultPluginPlaces();
std::string defaultPluginPath();
std::unique_ptr<PluginHost> loadPluginFrom(const ParsedOptions& options);  // --plugin or the default

// Reads an .fxp or .fxb and checks that it fits this plug-in: the kind the
// caller expects (if any), the plug-in's unique ID, and a chunk of the size
// the plug-in's own chunks have. Throws ToolError naming the file otherwise.
PresetFile readPresetFor(PluginHost& plugin, const std::string& path, std::optional<PresetKind> expected);

// Checks a raw chunk's size as above.
void checkChunkSize(PluginHost& plugin, std::size_t size, PresetKind kind, const std::string& path);

// Hands a checked file to the plug-in; a refused chunk is an error. A bank of
// format version 2 also selects its current program.
void loadPreset(PluginHost& plugin, const PresetFile& file, const std::string& path);

// The current program or the whole bank as a file.
PresetFile currentProgramFile(PluginHost& plugin);
PresetFile bankFile(PluginHost& plugin);

// --bank, then --program, --preset and --param, in that order, so a program
// chosen from a loaded bank can be replaced and then adjusted.
void applyStateOptions(PluginHost& plugin, const ParsedOptions& options);

// "0..numPrograms-1" checked; throws a usage error.
int32_t programNumber(PluginHost& plugin, const std::string& text);

}  // namespace tovarine::cli
