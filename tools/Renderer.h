// Offline rendering: plays a stereo input and MIDI into an opened and resumed
// plug-in in host-sized blocks, then lets it ring out.
#pragma once

#include "tools/AudioFile.h"
#include "tools/MidiEvents.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace tovarine::cli {

class PluginHost;

struct RenderSettings {
    int32_t blockSize = 512;
    // Seconds of output after the input and the last MIDI event; negative:
    // until the output stays below kTailThresholdDb for kQuietSeconds, at
    // most kMaxAutoTailSeconds.
    double tailSeconds = -1.0;
    bool accumulate = false;  // process() into zeroed outputs instead of processReplacing()
};

constexpr double kTailThresholdDb = -90.0;
constexpr double kQuietSeconds = 0.25;
constexpr double kMaxAutoTailSeconds = 30.0;

// framesDone, framesPlanned (0 while the length is open: an automatic tail).
using RenderProgress = std::function<void(std::size_t, std::size_t)>;

struct RenderResult {
    StereoBuffer audio;
    // The automatic tail ran for kMaxAutoTailSeconds without falling silent.
    bool tailCutAtCap = false;
};

// The plug-in must already be opened at input.sampleRate with a maximum block
// of settings.blockSize and resumed. Events need not be sorted.
RenderResult render(PluginHost& plugin, const StereoBuffer& input, std::vector<TimedMidi> events,
                    const RenderSettings& settings, const RenderProgress& progress = {});

}  // namespace tovarine::cli
