// Derives per-resonator Decay, Bright and Out settings from a recorded
// impulse response. Resonator after resonator (in the order given), the
// analyser measures how the resonator's fundamental and harmonics decay in
// the short-time spectra of what is left of the recording, fits the loop
// lowpass to the harmonics' relative decay, and subtracts a model of the
// resonator's response, so the next resonator is measured on the residual.
// Only the first channel of the file is analysed.
#pragma once

#include "analysis/FrameMagnitudes.h"
#include "analysis/WavReader.h"

#include <memory>
#include <vector>

class FractionalDelay;

// One resonator's working record.
struct CombEstimate {
    float normFreq;  // in: 2 f / sampleRate; out: refined by the measurement
    float period;    // in: loop period in samples; out: sampleRate / measured f
    float level;     // in: Out (0 or below: left alone); out: the new Out
    float decay;     // out: the new Decay (0 when the resonator is off)
    float bright;    // out: the new Bright
};

class ImpulseAnalyser : public WavReader {
public:
    static constexpr int kWindowLength = 8192;  // samples, also the FFT length
    static constexpr int kOverlap = 6144;       // so frames are 2048 samples apart
    static constexpr int kMaxFrames = 100;
    static constexpr int kMaxHarmonics = 20;
    static constexpr int kModelDelaySize = 44100;

    // Runs the analysis on an opened file for `count` estimates. Returns 0,
    // or -1 without touching the estimates when the file holds less than one
    // window plus two hops, too few frames for a decay (an unreadable file
    // holds none).
    int analyse(int windowLength, int overlap, int count, CombEstimate* estimates);

    // Spectra of all frames, of the residual (fromResidual) or of the file's
    // first channel (as read by analyse, or read afresh outside it).
    void computeSpectra(bool fromResidual);

    int fftSize = kWindowLength;
    int frameCount = 0;
    int windowLength = kWindowLength;
    int overlap = kOverlap;
    std::vector<float> samples;    // the first channel, later the residual
    std::vector<float> recording;  // the first channel as read
    std::unique_ptr<FrameMagnitudes> spectra;
    bool spectraOfResidual = false;  // spectra hold the frames of `samples` as they are now

private:
    void analyseComb(CombEstimate& estimate);
    void measureHarmonics(CombEstimate& estimate, std::vector<double>& decays);
    void subtractCombModel(CombEstimate& estimate);
    void delayedSamples(FractionalDelay& delay, std::vector<float>& out) const;
    int hop() const { return windowLength - overlap; }
};
