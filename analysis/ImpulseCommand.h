// The "Analyse Impulse" command: the user picks a recorded impulse response,
// and every switched-on resonator gets the Decay, Bright and Out that the
// analysis derives from it. Pitches are left as they are.
#pragma once

class ResonatorEngine;

// Analyses the WAV file at `path` for the engine's current resonators and
// writes the results through setCombParameter. Answers false, with no
// resonator and no stored program touched, when the file cannot be read or
// is shorter than one analysis window plus one hop.
bool applyImpulseAnalysis(ResonatorEngine& engine, const char* path);
