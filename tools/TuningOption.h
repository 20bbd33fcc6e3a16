// --tuning FILE.tun|FILE.scl [--tuning FILE.kbm] for render and info (Tovarine only).
#pragma once

#include "tools/OptionParser.h"

namespace tovarine::cli {

class PluginHost;

// The rule of --tuning (given once, or twice for a scale and a mapping), with the command's help text.
OptionRule tuningOption(const char* help);

// Stores the tuning's files as the current program's tuning path and hands
// the program back, so the plug-in applies it exactly as it re-applies any
// program's stored tuning: no dialog. The files are checked first with the
// plug-in's own readers; a bad file or a path too long to store is an error.
void applyTuningOption(PluginHost& plugin, const ParsedOptions& options);

// The 88 resonators' frequencies in the current program, one per line.
void printResonatorFrequencies(PluginHost& plugin);

}  // namespace tovarine::cli
