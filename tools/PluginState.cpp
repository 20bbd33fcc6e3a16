#include "tools/PluginState.h"

#include "tools/FileUtil.h"
#include "tools/NumberText.h"
#include "tools/OptionParser.h"
#include "tools/PluginHost.h"
#include "tools/ToolError.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <vector>

namespace tovarine::cli {

namespace {

std::string kindName(PresetKind kind) { return kind == PresetKind::Bank ? "bank (.fxb)" : "program (.fxp)"; }

}  // namespace

OptionRule pluginOption()
{
    return {.name = "plugin", .valueName = "PATH",
            .help = "the plug-in (default: Tovarine.so beside tovarine, else in ../lib/vst, ~/.vst)"};
}

std::vector<OptionRule> stateOptions()
{
    return {
        {.name = "bank", .valueName = "FILE.fxb", .help = "load all programs first"},
        {.name = "program", .valueName = "N", .help = "then select program N (0..31 for Tovarine)"},
        {.name = "preset", .valueName = "FILE.fxp", .help = "then load one program into the current program"},
        {.name = "param", .repeatable = true, .valueName = "INDEX=VALUE",
         .help = "then set a parameter (0..42; see docs/parameters.md) to 0..1"},
    };
}

std::vector<std::string> defaultPluginPlaces()
{
    std::vector<std::string> places;
    char buffer[PATH_MAX + 1] = {};
    const ssize_t length = readlink("/proc/self/exe", buffer, PATH_MAX);
    if (length > 0) {
        const std::string self(buffer, static_cast<std::size_t>(length));
        const std::string directory = self.substr(0, self.find_last_of('/') + 1);
        // Beside the program in a build folder; where `cmake --install` puts it otherwise.
        places = {directory + "Tovarine.so", directory + "../lib/vst/Tovarine.so"};
    } else {
        places = {"Tovarine.so"};
    }
    if (const char* home = std::getenv("HOME"))
        places.push_back(std::string(home) + "/.vst/Tovarine.so");
    return places;
}

std::string defaultPluginPath()
{
    const std::vector<std::string> places = defaultPluginPlaces();
    for (const std::string& place : places)
        if (access(place.c_str(), R_OK) == 0)
            return place;
    std::string searched;
    for (std::size_t i = 0; i < places.size(); ++i)
        searched += (i == 0 ? "" : i + 1 == places.size() ? " and " : ", ") + places[i];
    throw ToolError("no plug-in found: looked for " + searched + "; name one with --plugin PATH");
}

std::unique_ptr<PluginHost> loadPluginFrom(const ParsedOptions& options)
{
    return PluginHost::load(options.has("plugin") ? options.value("plugin") : defaultPluginPath());
}

void checkChunkSize(PluginHost& plugin, std::size_t size, PresetKind kind, const std::string& path)
{
    if (!(plugin.effect().flags & effFlagsProgramChunks))
        throw ToolError(path + ": holds a chunk, but the plug-in does not save its state in chunks");
    // The plug-in's own chunks tell the size it expects (when it has a fixed one).
    const std::size_t ownSize = plugin.getChunk(kind == PresetKind::Program).size();
    if (ownSize != 0 && ownSize != size)
        throw ToolError(path + ": wrong size: a " + std::to_string(size) + "-byte chunk, the plug-in's "
                        + (kind == PresetKind::Bank ? "banks" : "programs") + " are " + std::to_string(ownSize) + " bytes");
}

PresetFile readPresetFor(PluginHost& plugin, const std::string& path, std::optional<PresetKind> expected)
{
    PresetFile file = parsePresetFile(readFileBytes(path), path);
    if (expected && file.kind != *expected)
        throw ToolError(path + ": a " + kindName(file.kind) + " where a " + kindName(*expected) + " is expected");
    const AEffect& effect = plugin.effect();
    if (file.pluginId != effect.uniqueID)
        throw ToolError(path + ": made for another plug-in (unique ID '" + fourCCText(file.pluginId) + "', this plug-in is '"
                        + fourCCText(effect.uniqueID) + "')");
    if (!file.isChunk) {
        if (file.count > effect.numParams)
            throw ToolError(path + ": " + std::to_string(file.count) + " parameters, the plug-in has " + std::to_string(effect.numParams));
        return file;
    }
    checkChunkSize(plugin, file.chunk.size(), file.kind, path);
    return file;
}

void loadPreset(PluginHost& plugin, const PresetFile& file, const std::string& path)
{
    if (!file.isChunk) {
        for (std::size_t i = 0; i < file.params.size(); ++i)
            plugin.setParameter(static_cast<int32_t>(i), file.params[i]);
        return;
    }
    const bool program = file.kind == PresetKind::Program;
    if (!plugin.setChunk(file.chunk, program))
        throw ToolError(path + ": the plug-in refused the " + (program ? "program" : "bank"));
    if (!program && file.currentProgram > 0 && file.currentProgram < plugin.effect().numPrograms)
        plugin.dispatch(effSetProgram, 0, file.currentProgram);
}

PresetFile currentProgramFile(PluginHost& plugin)
{
    const AEffect& effect = plugin.effect();
    PresetFile file;
    file.kind = PresetKind::Program;
    file.pluginId = effect.uniqueID;
    file.pluginVersion = effect.version;
    file.count = effect.numParams;
    file.name = plugin.text(effGetProgramName);
    if (effect.flags & effFlagsProgramChunks) {
        file.chunk = plugin.getChunk(true);
        if (file.chunk.empty())
            throw ToolError("the plug-in gave no program chunk");
    } else {
        file.isChunk = false;
        for (int32_t i = 0; i < effect.numParams; ++i)
            file.params.push_back(plugin.getParameter(i));
    }
    return file;
}

PresetFile bankFile(PluginHost& plugin)
{
    const AEffect& effect = plugin.effect();
    if (!(effect.flags & effFlagsProgramChunks))
        throw ToolError("banks can be written for plug-ins that save their state in chunks only");
    PresetFile file;
    file.kind = PresetKind::Bank;
    file.pluginId = effect.uniqueID;
    file.pluginVersion = effect.version;
    file.count = effect.numPrograms;
    file.currentProgram = static_cast<int32_t>(plugin.dispatch(effGetProgram));
    file.chunk = plugin.getChunk(false);
    if (file.chunk.empty())
        throw ToolError("the plug-in gave no bank chunk");
    return file;
}

int32_t programNumber(PluginHost& plugin, const std::string& text)
{
    const long number = parseInteger(text, "--program");
    if (number < 0 || number >= plugin.effect().numPrograms)
        throw usageError("--program must be 0.." + std::to_string(plugin.effect().numPrograms - 1) + ", not " + text);
    return static_cast<int32_t>(number);
}

void applyStateOptions(PluginHost& plugin, const ParsedOptions& options)
{
    // Everything is checked before the plug-in is touched.
    const int32_t program = options.has("program") ? programNumber(plugin, options.value("program")) : -1;
    std::vector<std::pair<int32_t, float>> params;
    for (const std::string& assignment : options.values("param")) {
        const auto equals = assignment.find('=');
        if (equals == std::string::npos)
            throw usageError("--param " + assignment + ": expected INDEX=VALUE");
        const long index = parseInteger(assignment.substr(0, equals), "--param index");
        const double value = parseNumber(assignment.substr(equals + 1), "--param " + assignment.substr(0, equals));
        if (index < 0 || index >= plugin.effect().numParams)
            throw usageError("--param index must be 0.." + std::to_string(plugin.effect().numParams - 1) + ", not " + std::to_string(index));
        if (value < 0.0 || value > 1.0)
            throw usageError("--param " + assignment + ": values are 0..1");
        params.emplace_back(static_cast<int32_t>(index), static_cast<float>(value));
    }
    PresetFile bank, preset;
    if (options.has("bank"))
        bank = readPresetFor(plugin, options.value("bank"), PresetKind::Bank);
    if (options.has("preset"))
        preset = readPresetFor(plugin, options.value("preset"), PresetKind::Program);

    if (options.has("bank"))
        loadPreset(plugin, bank, options.value("bank"));
    if (program >= 0)
        plugin.dispatch(effSetProgram, 0, program);
    if (options.has("preset"))
        loadPreset(plugin, preset, options.value("preset"));
    for (const auto& [index, value] : params)
        plugin.setParameter(index, value);
}

}  // namespace tovarine::cli
