#include "analysis/ImpulseAnalyser.h"

#include "analysis/HarmonicDecay.h"
#include "analysis/LoopFilterFit.h"
#include "engine/FractionalDelay.h"

#include <algorithm>
#include <cmath>

namespace {

// Float files may hold anything. A NaN or infinity would spread through every
// spectrum and every result, and values far beyond full scale overflow the
// single-precision transforms (8192 of them summed); such samples count as
// silence, or as 1024 times full scale at most.
float usableSample(float x)
{
    constexpr float kLimit = 1024.0f;
    if (!std::isfinite(x))
        return 0.0f;
    return std::clamp(x, -kLimit, kLimit);
}

} // namespace

void ImpulseAnalyser::computeSpectra(bool fromResidual)
{
    if (!spectra)
        spectra = std::make_unique<FrameMagnitudes>(windowLength, hop());
    spectraOfResidual = fromResidual;
    const std::size_t covered = static_cast<std::size_t>(windowLength) + static_cast<std::size_t>(hop()) * frameCount;
    if (fromResidual)
        spectra->compute(frameCount, std::span<const float>(samples));
    else if (recording.size() >= covered)
        spectra->compute(frameCount, std::span<const float>(recording));
    else
        spectra->compute(frameCount,
                         [this](long long n) { return usableSample(readSample(static_cast<int>(n), true)); });
}

int ImpulseAnalyser::analyse(int newWindowLength, int newOverlap, int count, CombEstimate* estimates)
{
    windowLength = newWindowLength;
    overlap = newOverlap;
    spectra.reset();
    spectraOfResidual = false;
    if (windowLength < 4 || windowLength % 2 || hop() <= 0)
        return -1;
    // A decay is the slope of the frames' log energy: it takes two frames at
    // least (one frame gives 0 / 0 and would switch every resonator off).
    const long long frames = (framesInFile() - windowLength) / hop();
    if (frames < 2)
        return -1;
    frameCount = static_cast<int>(std::min<long long>(frames, kMaxFrames));

    const int sampleCount = windowLength + hop() * frameCount;
    samples.resize(static_cast<std::size_t>(sampleCount));
    for (int n = 0; n < sampleCount; ++n)
        samples[static_cast<std::size_t>(n)] = usableSample(readSample(n, true));
    // The file's own spectra at the end come from this copy: reading the same
    // samples afresh, one positioned read each, took half the analysis' time.
    recording = samples;

    for (int k = 0; k < count; ++k)
        if (estimates[k].level > 0.0f)
            analyseComb(estimates[k]);

    // Out follows how much of the recording lies around each resonator's
    // pitch: the frames' spectral energy within 5 bins of the fundamental.
    computeSpectra(false);
    const int bins = windowLength / 2;
    std::vector<double> energy(static_cast<std::size_t>(count), 0.0);
    double largestEnergy = 1e-11;
    for (int k = 0; k < count; ++k) {
        const double centre = bins * static_cast<double>(estimates[k].normFreq);
        if (centre >= 0.0 && centre < bins) {
            const int b = static_cast<int>(centre);
            const int from = std::max(b - 5, 0);
            const int to = std::min(b + 5, bins - 1);
            double sum = 0.0;
            for (int f = 0; f < frameCount; ++f)
                for (int bin = from; bin < to; ++bin)
                    sum += spectra->frame(f)[bin];
            energy[static_cast<std::size_t>(k)] = sum / frameCount;
        }
        largestEnergy = std::max(largestEnergy, energy[static_cast<std::size_t>(k)]);
    }
    for (int k = 0; k < count; ++k) {
        CombEstimate& e = estimates[k];
        if (e.level > 0.0f) {
            // The DC bin carries its sign, so the lowest resonators' energy
            // can come out negative; that is no energy, not a NaN root.
            const double share = std::max(energy[static_cast<std::size_t>(k)] / largestEnergy, 0.0);
            e.level = static_cast<float>(std::pow(share * e.level, 0.25));
        }
        e.decay = e.level * e.decay;
    }

    spectra.reset();
    samples.clear();
    samples.shrink_to_fit();
    recording.clear();
    recording.shrink_to_fit();
    return 0;
}

void ImpulseAnalyser::analyseComb(CombEstimate& estimate)
{
    // Most resonators explain nothing of the recording and leave the residual
    // as it was: its spectra from the resonator before still hold.
    if (!spectraOfResidual)
        computeSpectra(true);
    std::vector<double> decays;
    measureHarmonics(estimate, decays);

    // The fundamental's decay per period becomes Decay; the harmonics are
    // judged relative to it. When the fundamental gives no usable value the
    // second or third harmonic stands in.
    double reference = 1.0;
    const auto measured = [&](std::size_t h) { return h < decays.size() ? decays[h] : 0.0; };
    if (measured(0) > 0.0 && measured(0) < 100.0)
        reference = measured(0);
    else if (measured(1) != 0.0)
        reference = measured(1);
    else if (measured(2) != 0.0)
        reference = measured(2);
    for (double& d : decays) {
        d /= reference;
        if (!(d > 0.0 && d <= 1.0))
            d = 0.0;
    }

    const double g = fitLoopFilter(estimate.normFreq, decays);
    if (reference >= 0.0 && reference <= 1.0 && g >= -1.0 && g <= 0.0) {
        estimate.decay = static_cast<float>(reference);
        estimate.bright = static_cast<float>(g + 1.0);
        subtractCombModel(estimate);
    } else {
        estimate.level = 0.0f;
    }
}

// Peak of each harmonic in every frame, and from the peaks its decay per
// period. The fundamental's mean peak position refines normFreq and period.
void ImpulseAnalyser::measureHarmonics(CombEstimate& estimate, std::vector<double>& decays)
{
    const int bins = windowLength / 2;
    const double fundamentalBin = bins * static_cast<double>(estimate.normFreq);
    if (!(fundamentalBin >= 0.0 && fundamentalBin < bins))
        return;

    std::vector<double> peaks(static_cast<std::size_t>(frameCount));
    for (int h = 0; h < kMaxHarmonics; ++h) {
        const int nominal = static_cast<int>((h + 1) * fundamentalBin);
        // Bins searched either side of the nominal position: 3 for the two
        // lowest harmonics, then 2, 2, and 1 from the fifth on.
        const int halfWidth = static_cast<int>(std::ceil(3.0 / (h / 2 + 1)));
        const int from = std::max(nominal - halfWidth, 0);
        const int to = std::min(nominal + halfWidth, bins);

        double positionSum = 0.0;
        for (int f = 0; f < frameCount; ++f) {
            const SpectrumPeak peak =
                findSpectrumPeak(std::span<const float>(spectra->frame(f), static_cast<std::size_t>(bins)), from, to);
            peaks[static_cast<std::size_t>(f)] = peak.value;
            positionSum += peak.bin + peak.offset;
        }
        if (h == 0) {
            const double position = positionSum / frameCount;
            estimate.normFreq = static_cast<float>(position / bins);
            estimate.period = 2.0f / estimate.normFreq;
        }
        decays.push_back(decayPerPeriod(peaks, estimate.period, hop()));

        if (!((h + 2) * fundamentalBin < bins))
            break;
    }
}

// A comb with the estimated period, loop lowpass and decay, driven by the
// residual; what it explains (scaled by 0.05) is subtracted. The level
// becomes the ratio of the energy before to the energy after.
void ImpulseAnalyser::subtractCombModel(CombEstimate& estimate)
{
    FractionalDelay delay(kModelDelaySize);
    if (!delay.isAllocated())
        return;
    delay.setDelay(estimate.period);
    std::vector<float> residual(samples.size());
    delayedSamples(delay, residual);
    float lowpass = 0.0f;
    double inputEnergy = 0.0;
    double residualEnergy = 0.0;
    for (std::size_t n = 0; n < samples.size(); ++n) {
        const float x = samples[n];
        const float y = residual[n];
        lowpass = estimate.bright * y + (1.0f - estimate.bright) * lowpass;
        residual[n] = x - estimate.decay * lowpass * 0.05f;
        inputEnergy += static_cast<double>(x) * x;
        residualEnergy += static_cast<double>(residual[n]) * residual[n];
    }
    if (residualEnergy < inputEnergy) {
        samples.swap(residual);
        spectraOfResidual = false;
    }
    // A silent residual explains nothing more; 0 / 0 must not become Out.
    estimate.level = residualEnergy > 0.0 ? static_cast<float>(inputEnergy / residualEnergy) : 0.0f;
}

// The samples as they leave the (freshly cleared) delay line. Its four taps
// lie wholly in the past once the whole delay is 3 or more, so they can be
// read straight from the samples, with the line's own weights and order of
// operations; shorter delays take the line itself.
void ImpulseAnalyser::delayedSamples(FractionalDelay& delay, std::vector<float>& out) const
{
    const long long whole = delay.getWholeDelay();
    if (whole < 3) {
        for (std::size_t n = 0; n < samples.size(); ++n)
            out[n] = delay.tick(samples[n]);
        return;
    }
    const float* h = delay.getWeights();
    const long long count = static_cast<long long>(samples.size());
    const auto tap = [&](long long i) { return i >= 0 ? samples[static_cast<std::size_t>(i)] : 0.0f; };
    // Up to `whole` samples in, taps still reach before the start, which the line holds as 0.
    const long long edge = std::min(whole, count);
    for (long long n = 0; n < edge; ++n)
        out[static_cast<std::size_t>(n)] =
            tap(n - whole) * h[3] + tap(n - whole + 1) * h[2] + tap(n - whole + 2) * h[1] + tap(n - whole + 3) * h[0];
    for (long long n = edge; n < count; ++n) {
        const float* s = samples.data() + (n - whole);
        out[static_cast<std::size_t>(n)] = s[0] * h[3] + s[1] * h[2] + s[2] * h[1] + s[3] * h[0];
    }
}
