// tovarine info: what a host sees of the plug-in.
#include "tools/Commands.h"

#include "tools/OptionParser.h"
#include "tools/PluginHost.h"
#include "tools/PluginState.h"
#include "tools/TuningOption.h"
#include "TovarineVersion.h"

#include <cstdio>
#include <string>

namespace tovarine::cli {

namespace {

std::string flagNames(int32_t flags)
{
    static const std::pair<int32_t, const char*> names[] = {
        {effFlagsHasEditor, "editor"}, {effFlagsHasClip, "clip"}, {effFlagsHasVu, "vu"}, {effFlagsCanMono, "mono"},
        {effFlagsCanReplacing, "replacing"}, {effFlagsProgramChunks, "chunks"}, {effFlagsIsSynth, "synth"},
        {effFlagsNoSoundInStop, "no-sound-in-stop"}, {effFlagsCanDoubleReplacing, "double-replacing"},
    };
    std::string text;
    for (const auto& [bit, name] : names)
        if (flags & bit)
            text += (text.empty() ? "" : ", ") + std::string(name);
    return text.empty() ? "none" : text;
}

// What Tovarine's number means; another plug-in's is its own affair.
std::string vendorVersionNote(const AEffect& effect)
{
    if (effect.uniqueID != kTovarineId)
        return "";
    return "; Tovarine answers the major number of its version";
}

void runInfo(const ParsedOptions& options)
{
    constexpr double kSampleRate = 44100.0;
    auto plugin = loadPluginFrom(options);
    plugin->open(kSampleRate, 512);
    applyTuningOption(*plugin, options);
    AEffect& e = plugin->effect();

    std::printf("tovarine:        %s (this tool)\n", TOVARINE_VERSION);
    std::printf("plug-in:         %s\n", plugin->path().c_str());
    std::printf("effect name:     %s\n", plugin->text(effGetEffectName).c_str());
    std::printf("product:         %s\n", plugin->text(effGetProductString).c_str());
    std::printf("vendor:          %s\n", plugin->text(effGetVendorString).c_str());
    std::printf("vendor version:  %ld (what effGetVendorVersion answers%s)\n", static_cast<long>(plugin->dispatch(effGetVendorVersion)),
                vendorVersionNote(e).c_str());
    std::printf("plug-in version: %d (AEffect.version)\n", e.version);
    std::printf("VST version:     %ld (effGetVstVersion: the plug-in interface it follows)\n",
                static_cast<long>(plugin->dispatch(effGetVstVersion)));
    std::printf("unique ID:       '%s' (0x%08X)\n", fourCCText(e.uniqueID).c_str(), static_cast<unsigned>(e.uniqueID));
    std::printf("inputs:          %d\n", e.numInputs);
    std::printf("outputs:         %d\n", e.numOutputs);
    std::printf("flags:           0x%X (%s)\n", static_cast<unsigned>(e.flags), flagNames(e.flags).c_str());
    std::printf("initial delay:   %d\n", e.initialDelay);
    std::printf("category:        %ld\n", static_cast<long>(plugin->dispatch(effGetPlugCategory)));
    std::printf("receives MIDI:   %s\n", plugin->dispatch(effCanDo, 0, 0, const_cast<char*>("receiveVstMidiEvent")) > 0 ? "yes" : "no");

    std::printf("\nprograms (%d), current %ld:\n", e.numPrograms, static_cast<long>(plugin->dispatch(effGetProgram)));
    for (int32_t i = 0; i < e.numPrograms; ++i)
        std::printf("  %3d  %s\n", i, plugin->programName(i).c_str());

    std::printf("\nparameters (%d):\n", e.numParams);
    std::printf("  %3s  %-24s %-12s %-8s %s\n", "#", "name", "display", "label", "value");
    for (int32_t i = 0; i < e.numParams; ++i) {
        std::printf("  %3d  %-24s %-12s %-8s %.6g\n", i, plugin->text(effGetParamName, i).c_str(), plugin->text(effGetParamDisplay, i).c_str(),
                    plugin->text(effGetParamLabel, i).c_str(), static_cast<double>(plugin->getParameter(i)));
    }
    if (options.has("tuning"))
        printResonatorFrequencies(*plugin, kSampleRate);
}

}  // namespace

Command infoCommand()
{
    return {.name = "info",
            .arguments = "[options]",
            .summary = "Shows what a host sees: names, versions, flags, programs and parameters.",
            .details = "Most of Tovarine's parameters show the name \"paramname\"; docs/parameters.md says what each does.",
            .example = "tovarine info --plugin ~/.vst/Tovarine.so",
            .options = {pluginOption(), tuningOption("also print the 88 resonators' frequencies in this tuning")},
            .run = runInfo};
}

}  // namespace tovarine::cli
