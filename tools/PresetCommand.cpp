// tovarine preset save|to-raw|from-raw|list|extract: standard preset files
// and the plug-in's raw chunks.
#include "tools/Commands.h"

#include "tools/DistinctFiles.h"
#include "tools/FileUtil.h"
#include "tools/OptionParser.h"
#include "tools/PendingOutput.h"
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

// The output, checked against the command's inputs and made (as its temporary file) before any work.
PendingOutput pendingOutput(const ParsedOptions& options, const std::string& output, const std::string& role)
{
    std::vector<NamedFile> inputs;
    if (role == "-o" && !options.positional().empty())
        inputs.push_back({"INPUT", options.positional()[0]});
    for (const char* name : {"preset", "bank", "plugin"})
        if (options.has(name))
            inputs.push_back({std::string("--") + name, options.value(name)});
    checkDistinctFiles(inputs, {{role, output}});
    return PendingOutput(output);
}

std::string onePositional(const ParsedOptions& options, const char* what)
{
    if (options.positional().size() != 1)
        throw usageError(std::string("missing ") + what);
    return options.positional()[0];
}

// save OUT.fxp|OUT.fxb: the plug-in's state after --bank/--program/--preset/--param.
void save(const ParsedOptions& options)
{
    const std::string output = onePositional(options, "OUTPUT.fxp or OUTPUT.fxb");
    const PresetKind kind = kindFromExtension(output);
    PendingOutput pending = pendingOutput(options, output, "OUTPUT");
    auto plugin = openPlugin(options);
    applyStateOptions(*plugin, options);
    writeFileBytes(pending, serialisePresetFile(kind == PresetKind::Bank ? bankFile(*plugin) : currentProgramFile(*plugin)));
}

// to-raw IN.fxp|IN.fxb -o OUT: the chunk without the file header.
void toRaw(const ParsedOptions& options)
{
    const std::string input = onePositional(options, "INPUT.fxp or INPUT.fxb");
    const std::string output = options.required("output");
    PendingOutput pending = pendingOutput(options, output, "-o");
    auto plugin = openPlugin(options);
    const PresetFile file = readPresetFor(*plugin, input, std::nullopt);
    if (!file.isChunk)
        throw ToolError(input + ": holds parameter values, not a chunk");
    writeFileBytes(pending, file.chunk);
}

// from-raw CHUNK -o OUT.fxp|OUT.fxb: wraps a raw chunk after the plug-in accepted it.
void fromRaw(const ParsedOptions& options)
{
    const std::string input = onePositional(options, "the raw chunk file");
    const std::string output = options.required("output");
    const PresetKind kind = kindFromExtension(output);
    if (kind == PresetKind::Bank && options.has("name"))
        throw usageError("--name applies to programs (.fxp) only");
    PendingOutput pending = pendingOutput(options, output, "-o");
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
    writeFileBytes(pending, serialisePresetFile(wrapped));
}

// list IN.fxb: the names of the bank's programs.
void list(const ParsedOptions& options)
{
    const std::string input = onePositional(options, "INPUT.fxb");
    auto plugin = openPlugin(options);
    const PresetFile file = readPresetFor(*plugin, input, PresetKind::Bank);
    loadPreset(*plugin, file, input);
    for (int32_t i = 0; i < plugin->effect().numPrograms; ++i)
        std::printf("%3d  %s\n", i, plugin->programName(i).c_str());
}

// extract IN.fxb --program N -o OUT.fxp: one program of a bank.
void extract(const ParsedOptions& options)
{
    const std::string input = onePositional(options, "INPUT.fxb");
    const std::string output = options.required("output");
    if (kindFromExtension(output) != PresetKind::Program)
        throw usageError(output + ": one program is written as .fxp");
    PendingOutput pending = pendingOutput(options, output, "-o");
    auto plugin = openPlugin(options);
    const int32_t program = programNumber(*plugin, options.required("program"));
    const PresetFile file = readPresetFor(*plugin, input, PresetKind::Bank);
    loadPreset(*plugin, file, input);
    plugin->dispatch(effSetProgram, 0, program);
    writeFileBytes(pending, serialisePresetFile(currentProgramFile(*plugin)));
}

OptionRule outputOption(const char* valueName, const char* help) { return {.name = "output", .valueName = valueName, .help = help}; }

}  // namespace

std::vector<Command> presetCommands()
{
    std::vector<OptionRule> saveOptions = {pluginOption()};
    for (OptionRule& state : stateOptions())
        saveOptions.push_back(std::move(state));
    return {
        {.name = "preset save",
         .arguments = "OUT.fxp|OUT.fxb [options]",
         .summary = "Saves the plug-in's current program (.fxp) or all its programs (.fxb), after the given changes.",
         .example = "tovarine preset save darker.fxp --program 2 --param 31=0.4",
         .options = saveOptions,
         .maxPositional = 1,
         .run = save},
        {.name = "preset to-raw",
         .arguments = "IN.fxp|IN.fxb -o CHUNK [options]",
         .summary = "Writes the raw state chunk inside a preset file.",
         .example = "tovarine preset to-raw bells.fxp -o bells.chunk",
         .options = {pluginOption(), outputOption("CHUNK", "the raw chunk to write")},
         .maxPositional = 1,
         .run = toRaw},
        {.name = "preset from-raw",
         .arguments = "CHUNK -o OUT.fxp|OUT.fxb [options]",
         .summary = "Wraps a raw chunk the plug-in accepts in a preset file.",
         .example = "tovarine preset from-raw bells.chunk -o bells.fxp --name Bells",
         .options = {pluginOption(), outputOption("OUT.fxp|OUT.fxb", "the preset file to write"),
                     {.name = "name", .valueName = "NAME", .help = "the program's name (default: the name in the chunk)"}},
         .maxPositional = 1,
         .run = fromRaw},
        {.name = "preset list",
         .arguments = "IN.fxb [options]",
         .summary = "Lists the numbers and names of a bank's programs.",
         .example = "tovarine preset list factory.fxb",
         .options = {pluginOption()},
         .maxPositional = 1,
         .run = list},
        {.name = "preset extract",
         .arguments = "IN.fxb --program N -o OUT.fxp [options]",
         .summary = "Writes one program of a bank as its own .fxp file.",
         .example = "tovarine preset extract factory.fxb --program 2 -o bells.fxp",
         .options = {pluginOption(), {.name = "program", .valueName = "N", .help = "the program to take"},
                     outputOption("OUT.fxp", "the program file to write")},
         .maxPositional = 1,
         .run = extract},
    };
}

}  // namespace tovarine::cli
