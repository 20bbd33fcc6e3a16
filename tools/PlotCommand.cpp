// tovarine plot INPUT -o PICTURE.png
#include "tools/Commands.h"

#include "tools/AudioFile.h"
#include "tools/FileUtil.h"
#include "tools/NumberText.h"
#include "tools/OptionParser.h"
#include "tools/RenderPlot.h"
#include "tools/ToolError.h"

namespace tovarine::cli {

namespace {

void runPlot(const ParsedOptions& options)
{
    if (options.positional().empty())
        throw usageError("missing INPUT audio file");
    const std::string output = options.required("output");
    checkWritableOutput(output);
    PlotSettings settings;
    if (options.has("width"))
        settings.width = static_cast<int>(parseInteger(options.value("width"), "--width"));
    if (options.has("height"))
        settings.height = static_cast<int>(parseInteger(options.value("height"), "--height"));
    const std::string input = options.positional()[0];
    settings.title = input;
    writeRenderPlot(readAudioFile(input), output, settings);
}

}  // namespace

Command plotCommand()
{
    return {.name = "plot",
            .arguments = "INPUT -o PICTURE.png [options]",
            .summary = "Draws an audio file: both channels' waveforms above a spectrogram of their mix.",
            .example = "tovarine plot out.wav -o out.png --width 1600 --height 900",
            .options = {{.name = "output", .valueName = "PICTURE.png", .help = "the PNG picture to write"},
                        {.name = "width", .valueName = "PIXELS", .help = "the picture's width, 200..8000 (default 1200)"},
                        {.name = "height", .valueName = "PIXELS", .help = "the picture's height, 200..8000 (default 800)"},
                        {.name = "quiet", .takesValue = false, .help = "accepted for scripts; plot prints nothing but errors"}},
            .maxPositional = 1,
            .run = runPlot};
}

}  // namespace tovarine::cli
