// The demo a render without an input file plays: a short percussive pattern
// synthesised in code and a few notes that open resonators (channel 1) and
// the feedback voice (channel 2), through factory program 1 ("Play On Ch 1"),
// whose resonators wait for their notes (in program 0 they ring whatever the
// notes do, so the chords would not be heard).
#pragma once

#include "tools/AudioFile.h"
#include "tools/MidiEvents.h"

#include <vector>

namespace tovarine::cli {

inline constexpr int kDemoProgram = 1;

struct DemoScene {
    StereoBuffer excitation;
    std::vector<TimedMidi> notes;
};

DemoScene makeDemoScene(double sampleRate = 44100.0);

}  // namespace tovarine::cli
