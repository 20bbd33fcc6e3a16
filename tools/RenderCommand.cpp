// tovarine render [INPUT] -o OUTPUT [options]
#include "tools/Commands.h"

#include "tools/DemoScene.h"
#include "tools/DistinctFiles.h"
#include "tools/FileUtil.h"
#include "tools/NumberText.h"
#include "tools/OptionParser.h"
#include "tools/PendingOutput.h"
#include "tools/PluginHost.h"
#include "tools/PluginState.h"
#include "tools/ProgressBar.h"
#include "tools/RenderPlot.h"
#include "tools/Renderer.h"
#include "tools/ToolError.h"
#include "tools/TuningOption.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

namespace tovarine::cli {

namespace {

constexpr int32_t kMaxBlockSize = 16384;
// The whole render is held in memory (for the automatic tail and the picture): 600 s
// of stereo float at 192 kHz is 0.9 GB.
constexpr double kMaxTailSeconds = 600.0;
constexpr double kMaxContentSeconds = 3600.0;
// An automatic tail cut while the output is louder than this is worth a warning.
constexpr double kAudibleTailDb = -60.0;

std::vector<OptionRule> renderOptions()
{
    std::vector<OptionRule> options = {
        {.name = "output", .valueName = "OUTPUT", .help = "the audio file to write: .wav, .flac, .aif, .aiff, .ogg or .oga; - for standard output"},
        pluginOption(),
        {.name = "block", .valueName = "N", .help = "frames per processing call, 1..16384 (default 512)"},
        {.name = "tail", .valueName = "SECONDS",
         .help = "go on after the input and the last note, 0..600 (default: till silent, max 30)"},
    };
    for (OptionRule& state : stateOptions())
        options.push_back(std::move(state));
    const std::vector<OptionRule> rest = {
        {.name = "midi", .valueName = "FILE.mid", .help = "play a Standard MIDI File (format 0 or 1)"},
        {.name = "note", .repeatable = true, .valueName = "CH:NOTE:VEL:START:LENGTH",
         .help = "one note: channel 1..16, note 0..127, velocity 1..127, start, length (s)"},
        {.name = "tempo", .valueName = "BPM", .help = "the host's tempo, 1..999 (default 120)"},
        {.name = "time-sig", .valueName = "N/D", .help = "the host's time signature (default 4/4)"},
        {.name = "accumulate", .takesValue = false,
         .help = "use the accumulating process call (Tovarine: wet signal only)"},
        {.name = "format", .valueName = "wav|flac|aiff|ogg", .help = "the output format, any case (default: from OUTPUT's extension)"},
        {.name = "bits", .valueName = "16|24|32",
         .help = "32 is floating point (default 32 for WAV and AIFF, 24 for FLAC)"},
        {.name = "plot", .valueName = "PICTURE.png", .help = "also draw the render (see tovarine plot); - for standard output"},
        {.name = "quiet", .takesValue = false, .help = "no progress bar, summary or warnings"},
        tuningOption("tune the current program with a .tun map, or a .scl scale and/or a .kbm mapping"),
    };
    options.insert(options.end(), rest.begin(), rest.end());
    return options;
}

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

// Peak level of the last `frames` frames in dBFS.
double endLevelDb(const StereoBuffer& audio, std::size_t frames)
{
    float peak = 0.f;
    for (std::size_t i = audio.frames() - std::min(frames, audio.frames()); i < audio.frames(); ++i)
        peak = std::max({peak, std::fabs(audio.left[i]), std::fabs(audio.right[i])});
    return 20.0 * std::log10(std::max(peak, 1e-12f));
}

void warnAboutClipping(const StereoBuffer& audio, const std::string& path)
{
    if (const std::size_t clipped = countClippedSamples(audio))
        std::fprintf(stderr, "tovarine: warning: %zu samples clipped at full scale in %s; write floating point (--bits 32) "
                             "or lower the output level\n", clipped, path.c_str());
}

void warnAboutCutTail(const StereoBuffer& audio)
{
    const double level = endLevelDb(audio, static_cast<std::size_t>(std::llround(kQuietSeconds * audio.sampleRate)));
    if (level > kAudibleTailDb)
        std::fprintf(stderr, "tovarine: warning: the output still rings at %.0f dBFS where the automatic tail ends (%.0f s); "
                             "choose a length with --tail\n", level, kMaxAutoTailSeconds);
}

// The files the command reads, and those it writes, as the command line names them.
void checkRenderFiles(const ParsedOptions& options)
{
    std::vector<NamedFile> inputs;
    if (!options.positional().empty())
        inputs.push_back({"INPUT", options.positional()[0]});
    for (const char* name : {"midi", "preset", "bank", "plugin"})
        if (options.has(name))
            inputs.push_back({std::string("--") + name, options.value(name)});
    for (const std::string& tuning : options.values("tuning"))
        inputs.push_back({"--tuning", tuning});
    std::vector<NamedFile> outputs = {{"-o", options.required("output")}};
    if (options.has("plot"))
        outputs.push_back({"--plot", options.value("plot")});
    checkDistinctFiles(inputs, outputs);
}

void runRender(const ParsedOptions& options)
{
    const std::string outputPath = options.required("output");

    // Everything the command line says is checked before any work starts.
    AudioOutputFormat format;
    format.container = options.value("format");
    if (options.has("bits"))
        format.bits = static_cast<int>(parseInteger(options.value("bits"), "--bits"));
    const bool integerSamples = checkOutputFormat(outputPath, format);
    if (options.has("plot"))
        checkPictureName(options.value("plot"));
    checkRenderFiles(options);

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
    plot.title = outputPath == "-" ? "standard output" : outputPath;

    // The outputs exist, as their temporary files, before the first block is rendered.
    PendingOutput output(outputPath);
    std::optional<PendingOutput> picture;
    if (options.has("plot"))
        picture.emplace(options.value("plot"));

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
        plugin->dispatch(effSetProgram, 0, kDemoProgram);
    applyStateOptions(*plugin, options);
    applyTuningOption(*plugin, options);
    plugin->resume();

    const bool quiet = options.has("quiet");
    ProgressBar bar(!quiet, input.sampleRate);
    const RenderResult result = render(*plugin, input, std::move(events), settings,
                                       [&bar](std::size_t done, std::size_t planned) { bar.update(done, planned); });
    bar.finish();
    plugin->suspend();
    const StereoBuffer& audio = result.audio;

    writeAudioFile(output, audio, format);
    if (picture)
        writeRenderPlot(audio, *picture, plot);
    if (quiet)
        return;
    const std::string written = output.toStandardOutput() ? "to standard output" : outputPath;
    std::fprintf(stderr, "wrote %s: %.2f s at %.0f Hz%s\n", written.c_str(),
                 static_cast<double>(audio.frames()) / audio.sampleRate, audio.sampleRate, demo ? " (demo)" : "");
    if (integerSamples)
        warnAboutClipping(audio, plot.title);
    if (result.tailCutAtCap)
        warnAboutCutTail(audio);
}

}  // namespace

Command renderCommand()
{
    return {.name = "render",
            .arguments = "[INPUT] -o OUTPUT [options]",
            .summary = "Renders INPUT (or the built-in demo) through the plug-in and writes OUTPUT.",
            .details = "INPUT is a WAV, FLAC, AIFF or Ogg Vorbis file; mono feeds both inputs. Without INPUT the demo\n"
                       "plays: a percussive pattern with notes on MIDI channels 1 and 2, through program 1.\n"
                       "OUTPUT ends in .wav, .flac, .aif, .aiff, .ogg or .oga; -o - writes to standard output.\n"
                       "Notes on MIDI channel 2 play the feedback voice, on any other channel they open the envelopes\n"
                       "of their resonators. --tempo matters only in a tempo-synchronised feedback delay mode\n"
                       "(parameter 33 from 0.1 to 0.7) with a note on channel 2.",
            .example = "tovarine render drums.wav -o rung.flac --program 3 --note 1:48:100:0:2 --param 31=0.6",
            .options = renderOptions(),
            .maxPositional = 1,
            .run = runRender};
}

}  // namespace tovarine::cli
