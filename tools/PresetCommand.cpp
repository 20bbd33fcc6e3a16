// tovarine preset save|to-raw|from-raw|list|extract: standard preset files
// and the plug-in's raw chunks.
#include "tools/Commands.h"

#include "tools/FileUtil.h"
#include "tools/OptionParser.h"
#include "tools/PluginHost.h"
#include "tools/PluginState.h"
#include "tools/PresetFile.h"
#include "tools/ToolError.h"

#include <cstdio>

namespace tovarine::cli {

namespace {

PresetKind kindFromExtension(const std::string& path)
{
    const std::string ext = lowerCaseExtension(path);
    if (ext == "fxp")
        return PresetKind::Program;
    if (ext == "fxb")
        return PresetKind::Bank;
    throw usageError(path + ": the file name must end in .fxp (one program) or .fxb (bank)");
}

// Hosts open a plug-in before anything else; some plug-ins set up their programs then.
std::unique_ptr<PluginHost> openPlugin(const ParsedOptions& options)
{
    auto plugin = loadPluginFrom(options);
    plugin->open(44100.0, 512);
    return plugin;
}

std::string onePositional(const ParsedOptions& options, const char* what)
{
    if (options.positional().size() != 1)
        throw usageError(std::string("missing ") + what);
    return options.positional()[0];
}

// save OUT.fxp|OUT.fxb: the plug-in's state after --bank/--program/--preset/--param.
void save(const Arguments& arguments)
{
    const ParsedOptions options(arguments, {{"plugin"}, {"program"}, {"preset"}, {"bank"}, {"param", true, true}}, 1);
    const std::string output = onePositional(options, "OUTPUT.fxp or OUTPUT.fxb");
    const PresetKind kind = kindFromExtension(output);
    auto plugin = openPlugin(options);
    applyStateOptions(*plugin, options);
    writeFileBytes(output, serialisePresetFile(kind == PresetKind::Bank ? bankFile(*plugin) : currentProgramFile(*plugin)));
}

// to-raw IN.fxp|IN.fxb -o OUT: the chunk without the file header.
void toRaw(const Arguments& arguments)
{
    const ParsedOptions options(arguments, {{"plugin"}, {"output"}}, 1);
    const std::string input = onePositional(options, "INPUT.fxp or INPUT.fxb");
    const std::string output = options.required("output");
    auto plugin = openPlugin(options);
    const PresetFile file = readPresetFor(*plugin, input, std::nullopt);
    if (!file.isChunk)
        throw ToolError(input + ": holds parameter values, not a chunk");
    writeFileBytes(output, file.chunk);
}

// from-raw CHUNK -o OUT.fxp|OUT.fxb: wraps a raw chunk after the plug-in accepted it.
void fromRaw(const Arguments& arguments)
{
    const ParsedOptions options(arguments, {{"plugin"}, {"output"}, {"name"}}, 1);
    const std::string input = onePositional(options, "the raw chunk file");
    const std::string output = options.required("output");
    const PresetKind kind = kindFromExtension(output);
    if (kind == PresetKind::Bank && options.has("name"))
        throw usageError("--name applies to programs (.fxp) only");
    const std::vector<uint8_t> chunk = readFileBytes(input);
    auto plugin = openPlugin(options);
    checkChunkSize(*plugin, chunk.size(), kind, input);
    PresetFile file;
    file.kind = kind;
    file.chunk = chunk;
    loadPreset(*plugin, file, input);
    // The plug-in's own answers fill the header; the chunk goes in as read.
    PresetFile wrapped = kind == PresetKind::Bank ? bankFile(*plugin) : currentProgramFile(*plugin);
    wrapped.chunk = chunk;
    if (options.has("name"))
        wrapped.name = options.value("name");
    writeFileBytes(output, serialisePresetFile(wrapped));
}

// list IN.fxb: the names of the bank's programs.
void list(const Arguments& arguments)
{
    const ParsedOptions options(arguments, {{"plugin"}}, 1);
    const std::string input = onePositional(options, "INPUT.fxb");
    auto plugin = openPlugin(options);
    const PresetFile file = readPresetFor(*plugin, input, PresetKind::Bank);
    loadPreset(*plugin, file, input);
    for (int32_t i = 0; i < plugin->effect().numPrograms; ++i)
        std::printf("%3d  %s\n", i, plugin->programName(i).c_str());
}

// extract IN.fxb --program N -o OUT.fxp: one program of a bank.
void extract(const Arguments& arguments)
{
    const ParsedOptions options(arguments, {{"plugin"}, {"program"}, {"output"}}, 1);
    const std::string input = onePositional(options, "INPUT.fxb");
    const std::string output = options.required("output");
    if (kindFromExtension(output) != PresetKind::Program)
        throw usageError(output + ": one program is written as .fxp");
    auto plugin = openPlugin(options);
    const int32_t program = programNumber(*plugin, options.required("program"));
    const PresetFile file = readPresetFor(*plugin, input, PresetKind::Bank);
    loadPreset(*plugin, file, input);
    plugin->dispatch(effSetProgram, 0, program);
    writeFileBytes(output, serialisePresetFile(currentProgramFile(*plugin)));
}

}  // namespace

void runPreset(const Arguments& arguments)
{
    if (arguments.empty())
        throw usageError("preset needs an action: save, to-raw, from-raw, list or extract");
    const std::string action = arguments[0];
    const Arguments rest(arguments.begin() + 1, arguments.end());
    if (action == "save")
        save(rest);
    else if (action == "to-raw")
        toRaw(rest);
    else if (action == "from-raw")
        fromRaw(rest);
    else if (action == "list")
        list(rest);
    else if (action == "extract")
        extract(rest);
    else
        throw usageError("unknown preset action '" + action + "' (save, to-raw, from-raw, list or extract)");
}

}  // namespace tovarine::cli
