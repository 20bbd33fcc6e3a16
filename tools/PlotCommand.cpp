// tovarine plot INPUT -o PICTURE.png
#include "tools/Commands.h"

#include "tools/AudioFile.h"
#include "tools/DistinctFiles.h"
#include "tools/NumberText.h"
#include "tools/OptionParser.h"
#include "tools/PendingOutput.h"
#include "tools/RenderPlot.h"
#include "tools/ToolError.h"

#include <cstdio>

namespace tovarine::cli {

namespace {

void runPlot(const ParsedOptions& options)
{
    // The whole command line is checked before the input is read.
    if (options.positional().empty())
        throw usageError("missing INPUT audio file");
    const std::string outputPath = options.required("output");
    checkPictureName(outputPath);
    PlotSettings settings;
    if (options.has("width"))
        settings.width = static_cast<int>(parseInteger(options.value("width"), "--width"));
    if (options.has("height"))
        settings.height = static_cast<int>(parseInteger(options.value("height"), "--height"));
    checkPlotSettings(settings);
    const std::string input = options.positional()[0];
    checkDistinctFiles({{"INPUT", input}}, {{"-o", outputPath}});
    PendingOutput output(outputPath);

    settings.title = input;
    int channels = 2;
    const StereoBuffer audio = readAudioFile(input, &channels);
    settings.mono = channels == 1;
    writeRenderPlot(audio, output, settings);
    if (!options.has("quiet"))
        std::fprintf(stderr, "drew %s (%s) and wrote %s: %d x %d pixels\n", input.c_str(), settings.mono ? "mono" : "stereo",
                     output.toStandardOutput() ? "it to standard output" : outputPath.c_str(), settings.width, settings.height);
}

}  // namespace

Command plotCommand()
{
    return {.name = "plot",
            .arguments = "INPUT -o PICTURE.png [options]",
            .summary = "Draws an audio file: both channels' waveforms above a spectrogram of their mix.",
            .example = "tovarine plot out.wav -o out.png --width 1600 --height 900",
            .options = {{.name = "output", .valueName = "PICTURE.png", .help = "the PNG picture to write; - for standard output"},
                        {.name = "width", .valueName = "PIXELS", .help = "the picture's width, 200..8000 (default 1200)"},
                        {.name = "height", .valueName = "PIXELS", .help = "the picture's height, 200..8000 (default 800)"},
                        {.name = "quiet", .takesValue = false, .help = "no summary line, only errors"}},
            .maxPositional = 1,
            .run = runPlot};
}

}  // namespace tovarine::cli
