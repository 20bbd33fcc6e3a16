// The demo a render without an input file plays: a short percussive pattern
// synthesised in code and a few notes that open resonators (channel 1) and
// the feedback voice (channel 2).
#pragma once

#include "tools/AudioFile.h"
#include "tools/MidiEvents.h"

#include <vector>

namespace tovarine::cli {

struct DemoScene {
    StereoBuffer excitation;
    std::vector<TimedMidi> notes;
};

DemoScene makeDemoScene(double sampleRate = 44100.0);

}  // namespace tovarine::cli
