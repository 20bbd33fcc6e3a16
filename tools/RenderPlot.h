// A picture of a render: the waveform of both channels above a spectrogram
// of their mix (log frequency, dB colour scale), written as PNG with Cairo.
#pragma once

#include "tools/AudioFile.h"

#include <string>

namespace tovarine::cli {

struct PlotSettings {
    int width = 1200;
    int height = 800;
    std::string title;
};

// Writes all-or-nothing; throws ToolError when the picture cannot be written.
void writeRenderPlot(const StereoBuffer& audio, const std::string& pngPath, const PlotSettings& settings);

}  // namespace tovarine::cli
