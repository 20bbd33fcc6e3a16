// --tuning FILE.tun|FILE.scl [--tuning FILE.kbm] for render and info (Tovarine only).
#pragma once

#include "tools/OptionParser.h"

#include <cstdint>

namespace tovarine::cli {

class PluginHost;

constexpr int32_t kTovarineId = ('T' << 24) | ('V' << 16) | ('R' << 8) | 'C';

// The rule of --tuning (given once, or twice for a scale and a mapping), with the command's help text.
OptionRule tuningOption(const char* help);

// Stores the tuning's files as the current program's tuning path and hands
// the program back, so the plug-in applies it exactly as it re-applies any
// program's stored tuning: no dialog. The files are checked first with the
// plug-in's own readers; a bad file or a path too long to store is an error.
void applyTuningOption(PluginHost& plugin, const ParsedOptions& options);

// A resonator's loop lasts 4 to 16,383 samples; a pitch outside that range
// plays at the nearest limit.
constexpr double kShortestLoopSamples = 4.0;
constexpr double kLongestLoopSamples = 16383.0;

struct ResonatorPitch {
    double playedHz = 0.0;
    double heldAt = 0.0;  // the loop length it is held at, in samples; 0 when it plays as tuned
};
ResonatorPitch resonatorPitch(double wantedHz, double sampleRate);

// The frequencies the 88 resonators of the current program play, one per line.
void printResonatorFrequencies(PluginHost& plugin, double sampleRate);

}  // namespace tovarine::cli
