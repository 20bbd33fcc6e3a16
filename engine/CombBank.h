// The live state of the 88 comb resonators as parallel arrays (structure of
// arrays), so the per-sample loop walks contiguous floats. The delay lines
// live here too: 88 x 16384 floats inside the plug-in object, no heap.
#pragma once

#include "engine/CombLfo.h"

#include <cstdint>

constexpr int kCombCount = 88;
constexpr int kCombBufferSize = 16384;  // power of two: indices are masked, not wrapped
constexpr int32_t kCombBufferMask = kCombBufferSize - 1;
constexpr float kShortestCombLoop = 4.f;  // samples of pure delay in the shortest loop
// Rows of exactly 64 KiB would put every comb's write position (they advance in
// lockstep) into the same cache set; one spare cache line per row spreads them.
constexpr int kCombRowStride = kCombBufferSize + 16;

struct CombBank {
    alignas(64) float delayBuffer[kCombCount][kCombRowStride];  // first 16384 of each row used
    alignas(64) float spareRow[kCombRowStride];  // written by the padding lanes of the audio loop
    int32_t writeIndex[kCombCount];
    int32_t readIndex[kCombCount];     // oldest of the four interpolation taps
    float delayLength[kCombCount];     // ceil(L + 1), a whole number, at most 16383
    float delayFraction[kCombCount];   // ceil(L) - L
    float interpCoef[kCombCount][4];   // Lagrange h0..h3, h0 weights the newest tap
    float loopFilterDelay[kCombCount]; // phase delay of the loop filters at the comb's pitch, samples

    // Loop filter coefficients, derived from the settings: value^0.34.
    float brightCoef[kCombCount];  // one-pole lowpass, 1 = no damping
    float decayCoef[kCombCount];   // loop gain
    float stiffCoef[kCombCount];   // first-order allpass coefficient

    float lowpassState[kCombCount];
    float allpassState[kCombCount];
    float lastOutput[kCombCount];  // interpolated delay output of the previous sample

    CombLfo lfo[kCombCount];
    float lfoValue[kCombCount];            // latest LFO output, -1..1
    float amplitudeFollower[kCombCount];   // smoothed |output|, tension modelling only

    // What the current delay compensation was computed for. The audio loop
    // recompensates a comb when the filters that actually run differ.
    float compensatedBright[kCombCount];
    float compensatedStiff[kCombCount];  // -1: computed without the allpass
    float compensatedScale[kCombCount];  // tension shortening applied, 1 = none
    float compensatedPeriod[kCombCount]; // period asked for, before the shortening

    // Tension modelling moves loud combs every 16 samples. For those moves the
    // loop filters' phase phi(w) = w * loopFilterDelay(w) is taken from a
    // second-order expansion around the comb's own period, kept here (worked
    // out in double, the central differences cancel; the moves take it in float).
    float phaseAt[kCombCount];         // w0 = 2 pi / period
    float phase[kCombCount][3];        // phi(w0), phi'(w0), phi''(w0)
    float phasePeriod[kCombCount];     // period, brightCoef and allpass coefficient
    float phaseBright[kCombCount];     // (-1 without the allpass) the expansion
    float phaseStiff[kCombCount];      // belongs to; period 0 = none yet
};
