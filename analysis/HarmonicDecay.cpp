#include "analysis/HarmonicDecay.h"

#include <cmath>
#include <vector>

SpectrumPeak findSpectrumPeak(std::span<const float> spectrum, int from, int to)
{
    const int bins = static_cast<int>(spectrum.size());
    SpectrumPeak peak;
    if (from < 0)
        from = 0;
    if (to > bins)
        to = bins;
    if (from >= bins)
        return peak;

    float largest = 0.0f;
    int bin = from;
    for (int k = from; k < to; ++k) {
        if (spectrum[k] > largest) {
            largest = spectrum[k];
            bin = k;
        }
    }
    peak.bin = bin;
    if (bin > 1 && bin < bins - 1) {
        const double a = spectrum[bin - 1];
        const double b = spectrum[bin];
        const double c = spectrum[bin + 1];
        if (largest > a && largest > c) {
            const double curvature = a - 2.0 * b + c;  // < 0 at a strict maximum
            peak.offset = 0.5 * (a - c) / curvature;
            peak.value = b - 0.5 * curvature * peak.offset * peak.offset;
        } else {
            peak.value = largest;
        }
    } else {
        peak.value = spectrum[bin];
    }
    return peak;
}

double decayPerPeriod(std::span<const double> peaks, double period, int hop)
{
    const int frames = static_cast<int>(peaks.size());
    std::vector<double> logEnergy(peaks.size());
    double energy = 0.0;
    for (int f = frames - 1; f >= 0; --f) {
        energy += peaks[f];
        logEnergy[f] = std::log(energy);
    }
    // Least-squares slope of y = ln E against x = 1 .. frames.
    double sumX = 0.0, sumY = 0.0, sumXY = 0.0, sumXX = 0.0;
    for (int f = 0; f < frames; ++f) {
        const double x = f + 1.0;
        sumX += x;
        sumY += logEnergy[f];
        sumXY += x * logEnergy[f];
        sumXX += x * x;
    }
    const double meanX = sumX / frames;
    const double meanY = sumY / frames;
    const double slope = (sumXY - frames * meanX * meanY) / (sumXX - frames * meanX * meanX);
    return std::exp(slope * period / hop);
}
