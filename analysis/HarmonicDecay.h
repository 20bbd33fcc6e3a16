// Measuring how one harmonic of a resonator decays over the frames of a
// recording's short-time spectra.
#pragma once

#include <span>

struct SpectrumPeak {
    int bin = 0;         // strongest bin of the searched range (the first of equals)
    double offset = 0.0; // parabolic offset of the true peak from `bin`, -0.5 .. 0.5 bins
    double value = 0.0;  // interpolated peak magnitude
};

// Strongest bin of spectrum[from .. to-1] (only values above 0 count; with
// none, `from` with its own value), refined by a parabola through it and its
// neighbours when it is a strict local maximum away from both ends:
// offset = 0.5 (a - c) / (a - 2b + c), value = b - 0.5 (a - 2b + c) offset^2.
SpectrumPeak findSpectrumPeak(std::span<const float> spectrum, int from, int to);

// Amplitude factor by which a partial decays in one period of `period`
// samples, from its peak magnitudes in frames `hop` samples apart: the
// backward-integrated energy E[f] = sum of peaks[f..] decays like the
// envelope, so the least-squares slope of ln E[f] against f is the decay
// rate per hop. NaN for fewer than two frames; -inf/NaN for a partial with
// no energy (callers treat any value outside (0, 1] as unusable).
double decayPerPeriod(std::span<const double> peaks, double period, int hop);
