// tovarine plot INPUT -o PICTURE.png
#include "tools/Commands.h"

#include "tools/AudioFile.h"
#include "tools/NumberText.h"
#include "tools/OptionParser.h"
#include "tools/RenderPlot.h"
#include "tools/ToolError.h"

namespace tovarine::cli {

void runPlot(const Arguments& arguments)
{
    const ParsedOptions options(arguments, {{"output"}, {"width"}, {"height"}, {"quiet", false}}, 1);
    if (options.positional().empty())
        throw usageError("missing INPUT audio file");
    const std::string output = options.required("output");
    PlotSettings settings;
    if (options.has("width"))
        settings.width = static_cast<int>(parseInteger(options.value("width"), "--width"));
    if (options.has("height"))
        settings.height = static_cast<int>(parseInteger(options.value("height"), "--height"));
    const std::string input = options.positional()[0];
    settings.title = input;
    writeRenderPlot(readAudioFile(input), output, settings);
}

}  // namespace tovarine::cli
