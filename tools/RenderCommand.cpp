// tovarine render [INPUT] -o OUTPUT [options]
#include "tools/Commands.h"

#include "tools/DemoScene.h"
#include "tools/NumberText.h"
#include "tools/OptionParser.h"
#include "tools/PluginHost.h"
#include "tools/PluginState.h"
#include "tools/ProgressBar.h"
#include "tools/RenderPlot.h"
#include "tools/Renderer.h"
#include "tools/ToolError.h"
#include "tools/TuningOption.h"

#include <algorithm>
#include <cstdio>

namespace tovarine::cli {

namespace {

constexpr int32_t kMaxBlockSize = 16384;
// The whole render is held in memory (for the automatic tail and the picture): 600 s
// of stereo float at 192 kHz is 0.9 GB.
constexpr double kMaxTailSeconds = 600.0;
constexpr double kMaxContentSeconds = 3600.0;

const std::vector<OptionRule> kRenderOptions = {
    {"output"}, {"plugin"}, {"block"}, {"tail"}, {"program"}, {"preset"}, {"bank"}, {"param", true, true},
    {"midi"}, {"note", true, true}, {"tempo"}, {"time-sig"}, {"accumulate", false}, {"format"}, {"bits"},
    {"plot"}, {"quiet", false}, {"tuning", true, true},
};

struct TimeSignature {
    int32_t numerator = 4;
    int32_t denominator = 4;
};

TimeSignature parseTimeSignature(const std::string& text)
{
    const auto slash = text.find('/');
    if (slash == std::string::npos)
        throw usageError("--time-sig " + text + ": expected N/D, e.g. 3/4");
    const long numerator = parseInteger(text.substr(0, slash), "--time-sig numerator");
    const long denominator = parseInteger(text.substr(slash + 1), "--time-sig denominator");
    const bool powerOfTwo = denominator > 0 && (denominator & (denominator - 1)) == 0;
    if (numerator < 1 || numerator > 64 || !powerOfTwo || denominator > 64)
        throw usageError("--time-sig " + text + ": numerator 1..64 over a denominator of 1, 2, 4 .. 64");
    return {static_cast<int32_t>(numerator), static_cast<int32_t>(denominator)};
}

}  // namespace

void runRender(const Arguments& arguments)
{
    const ParsedOptions options(arguments, kRenderOptions, 1);
    const std::string outputPath = options.required("output");

    // Everything the command line says is checked before any work starts.
    AudioOutputFormat format;
    format.container = options.value("format");
    if (options.has("bits"))
        format.bits = static_cast<int>(parseInteger(options.value("bits"), "--bits"));
    checkOutputFormat(outputPath, format);

    RenderSettings settings;
    if (options.has("block")) {
        const long block = parseInteger(options.value("block"), "--block");
        if (block < 1 || block > kMaxBlockSize)
            throw usageError("--block must be 1.." + std::to_string(kMaxBlockSize) + " frames, not " + options.value("block"));
        settings.blockSize = static_cast<int32_t>(block);
    }
    if (options.has("tail")) {
        settings.tailSeconds = parseNumber(options.value("tail"), "--tail");
        if (settings.tailSeconds < 0 || settings.tailSeconds > kMaxTailSeconds)
            throw usageError("--tail must be 0..600 seconds");
    }
    settings.accumulate = options.has("accumulate");
    double tempo = 120.0;
    if (options.has("tempo")) {
        tempo = parseNumber(options.value("tempo"), "--tempo");
        if (tempo < 1.0 || tempo > 999.0)
            throw usageError("--tempo must be 1..999 BPM");
    }
    const TimeSignature signature = options.has("time-sig") ? parseTimeSignature(options.value("time-sig")) : TimeSignature{};
    PlotSettings plot;
    plot.title = outputPath;

    std::vector<TimedMidi> events;
    for (const std::string& note : options.values("note"))
        for (const TimedMidi& m : parseNoteOption(note))
            events.push_back(m);

    StereoBuffer input;
    const bool demo = options.positional().empty();
    if (demo) {
        DemoScene scene = makeDemoScene();
        input = std::move(scene.excitation);
        events.insert(events.end(), scene.notes.begin(), scene.notes.end());
    } else {
        input = readAudioFile(options.positional()[0]);
    }
    if (options.has("midi")) {
        const std::vector<TimedMidi> file = readMidiFile(options.value("midi"));
        events.insert(events.end(), file.begin(), file.end());
    }

    double lastEventSeconds = 0.0;
    for (const TimedMidi& m : events)
        lastEventSeconds = std::max(lastEventSeconds, m.seconds);
    if (lastEventSeconds > kMaxContentSeconds)
        throw ToolError("the MIDI lasts " + std::to_string(static_cast<long>(lastEventSeconds)) + " s; renders hold at most "
                        + std::to_string(static_cast<long>(kMaxContentSeconds)) + " s");

    auto plugin = loadPluginFrom(options);
    AEffect& effect = plugin->effect();
    if (effect.numOutputs < 1)
        throw ToolError("the plug-in has no audio outputs");
    if (!settings.accumulate && !(effect.flags & effFlagsCanReplacing))
        throw ToolError("the plug-in cannot processReplacing; use --accumulate");
    if (settings.accumulate && !effect.process)
        throw ToolError("the plug-in has no accumulating process function");
    if (!settings.accumulate && !effect.processReplacing)
        throw ToolError("the plug-in has no processReplacing function");
    // The render reads and writes two channels; a plug-in with other counts
    // would read or write past our buffers.
    if (effect.numInputs > 2 || effect.numOutputs > 2)
        throw ToolError("only plug-ins with up to two inputs and outputs can be rendered (this one has "
                        + std::to_string(effect.numInputs) + " in, " + std::to_string(effect.numOutputs) + " out)");

    plugin->open(input.sampleRate, settings.blockSize);
    plugin->timeInfo.tempo = tempo;
    plugin->timeInfo.timeSigNumerator = signature.numerator;
    plugin->timeInfo.timeSigDenominator = signature.denominator;
    if (demo && !options.has("program") && !options.has("preset") && !options.has("bank"))
        plugin->dispatch(effSetProgram, 0, 0);
    applyStateOptions(*plugin, options);
    applyTuningOption(*plugin, options);
    plugin->resume();

    ProgressBar bar(!options.has("quiet"), input.sampleRate);
    const StereoBuffer output = render(*plugin, input, std::move(events), settings,
                                       [&bar](std::size_t done, std::size_t planned) { bar.update(done, planned); });
    bar.finish();
    plugin->suspend();

    writeAudioFile(outputPath, output, format);
    if (options.has("plot"))
        writeRenderPlot(output, options.value("plot"), plot);
    if (!options.has("quiet"))
        std::fprintf(stderr, "wrote %s: %.2f s at %.0f Hz%s\n", outputPath.c_str(),
                     static_cast<double>(output.frames()) / output.sampleRate, output.sampleRate, demo ? " (demo)" : "");
}

}  // namespace tovarine::cli
