// A picture of a render: the waveform of both channels above a spectrogram
// of their mix (log frequency, dB colour scale), written as PNG with Cairo.
#pragma once

#include "tools/AudioFile.h"

#include <string>

namespace tovarine::cli {

class PendingOutput;

struct PlotSettings {
    int width = 1200;
    int height = 800;
    std::string title;
    bool mono = false;  // one waveform: the file had one channel
};

// A usage error for a size outside 200..8000 pixels, checked before any work.
void checkPlotSettings(const PlotSettings& settings);
// A usage error unless the picture's name ends in .png (or is "-", standard output).
void checkPictureName(const std::string& path);

// Writes all-or-nothing; throws ToolError, with the reason, when the picture cannot be written.
void writeRenderPlot(const StereoBuffer& audio, PendingOutput& png, const PlotSettings& settings);

// The step between time labels, in seconds: the smallest of 1, 2, 5 x 10^n
// that keeps labels `labelPixels` wide apart on a time axis `axisPixels` long.
double timeLabelStep(double seconds, double axisPixels, double labelPixels);

}  // namespace tovarine::cli
