// Helpers for tests that drive the engine object directly.
#pragma once

#include "engine/ResonatorEngine.h"
#include "host/VstEventList.h"

#include <cmath>
#include <initializer_list>
#include <memory>
#include <vector>

namespace enginetest {

// Delivers events as a host does.
inline int32_t send(ResonatorEngine& engine, std::initializer_list<VstMidiEvent> events)
{
    VstEventList list(events);
    return engine.processEvents(list.get());
}

// The resonator kernel widths this CPU runs, narrowest first.
inline std::vector<KernelWidth> kernelWidths()
{
    std::vector<KernelWidth> widths;
    for (KernelWidth w : {kFourLanes, kEightLanes, kSixteenLanes})
        if (w <= widestKernelWidth())
            widths.push_back(w);
    return widths;
}

// An engine without a host, every comb silent, feedback level 0, fully wet.
inline std::unique_ptr<ResonatorEngine> makeQuietEngine(float rate = 44100.f)
{
    auto engine = std::make_unique<ResonatorEngine>(nullptr);
    engine->setSampleRate(rate);
    engine->resume();
    // Factory program 0 has stiff resonators; the allpass term would enter every delay compensation.
    for (int i = 0; i < kNumCombs; ++i) {
        engine->currentCombs[i].Out = 0.f;
        engine->currentCombs[i].Stiff = 0.f;
        engine->settings.stiffCoef[i] = 0.f;
    }
    engine->stiffnessActive = false;
    engine->liveParams[20] = 0.f;
    engine->liveParams[30] = 1.f;
    engine->liveParams[31] = 1.f;
    engine->liveParams[32] = 0.f;
    engine->publishSettings();
    return engine;
}

// The heaviest settings: every comb sounding, LFO-modulated and stiff (Stiff
// rising with the key), the feedback level up, tension model B or none.
inline void modulateEveryComb(ResonatorEngine& engine, bool tension)
{
    for (int i = 0; i < kNumCombs; ++i) {
        CombSettings& c = engine.currentCombs[i];
        c.Out = 0.5f;
        c.Stiff = 0.3f + 0.005f * static_cast<float>(i);
        c.LFO2Dec = 0.3f;
        c.Pan = 0.4f;
        c.LFOfreq = 0.3f;
        c.Velocity = 0.5f;
        engine.deriveCombValues(i);
        engine.updateCombDelay(i, c.Delay);
    }
    engine.liveParams[20] = 0.6f;                  // feedback level
    engine.liveParams[32] = tension ? 0.2f : 0.f;  // tension model B
    engine.applyPendingChanges();
}

// The feedback voice (note 45 on channel 2) and every comb's key, held.
inline void holdEveryNote(ResonatorEngine& engine)
{
    send(engine, {makeMidiEvent(0x91, 45, 100)});
    for (int key = 12; key < 100; ++key)
        send(engine, {makeMidiEvent(0x90, static_cast<uint8_t>(key), 100)});
}

// Moves a comb at once, as the audio thread does at the start of the next block.
inline void moveNow(ResonatorEngine& engine, int comb, float period)
{
    engine.updateCombDelay(comb, period);
    engine.applyPendingChanges();
}

struct CombSetup {
    double frequency = 440.0;
    float bright = 0.85f;
    float stiff = 0.f;
    float decay = 0.99f;
};

// Makes comb `comb` sound at `frequency`, unmodulated, envelope ignored, centred.
inline void tuneComb(ResonatorEngine& engine, int comb, const CombSetup& s)
{
    CombSettings& c = engine.currentCombs[comb];
    c.Out = 1.f;
    c.Velocity = 0.f;
    c.inPan = 0.5f;
    c.PanPos = 0.5f;
    c.Pan = 0.f;
    c.LFO2Dec = 0.5f;
    c.Decay = s.decay;
    c.Bright = s.bright;
    c.Stiff = s.stiff;
    engine.deriveCombValues(comb);
    c.Delay = static_cast<float>(engine.getSampleRate() / s.frequency);
    engine.updateCombDelay(comb, c.Delay);
}

// Renders `frames` samples of stereo output for a stereo input (both channels
// the same signal), in blocks of `blockSize`.
inline void render(ResonatorEngine& engine, const std::vector<float>& input, std::vector<float>& left,
                   std::vector<float>& right, int blockSize)
{
    const std::size_t frames = input.size();
    left.assign(frames, 0.f);
    right.assign(frames, 0.f);
    std::vector<float> in = input;
    for (std::size_t pos = 0; pos < frames; pos += static_cast<std::size_t>(blockSize)) {
        const int n = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(blockSize), frames - pos));
        float* ins[2] = {in.data() + pos, in.data() + pos};
        float* outs[2] = {left.data() + pos, right.data() + pos};
        engine.processReplacing(ins, outs, n);
    }
}

// Magnitude of the Hann-windowed spectrum of x at `hz`.
inline double spectrumAt(const std::vector<float>& x, double hz, double rate)
{
    const std::size_t n = x.size();
    // Phasor and window advanced by rotation: no trigonometry per sample.
    const double w = 2.0 * M_PI * hz / rate;
    const double cw = std::cos(w), sw = std::sin(w);
    const double cv = std::cos(2.0 * M_PI / static_cast<double>(n)), sv = std::sin(2.0 * M_PI / static_cast<double>(n));
    double pr = 1.0, pi = 0.0;  // e^{-jwk}
    double vr = 1.0, vi = 0.0;  // e^{j2pi k/n}, for the Hann window 0.5 - 0.5 cos
    double re = 0.0, im = 0.0;
    for (std::size_t k = 0; k < n; ++k) {
        const double value = (0.5 - 0.5 * vr) * x[k];
        re += value * pr;
        im += value * pi;
        const double npr = pr * cw + pi * sw;
        pi = pi * cw - pr * sw;
        pr = npr;
        const double nvr = vr * cv - vi * sv;
        vi = vi * cv + vr * sv;
        vr = nvr;
    }
    return std::hypot(re, im);
}

// The spectral peak within +-60 cents of `expected`, in cents relative to it.
inline double peakCents(const std::vector<float>& x, double expected, double rate)
{
    auto at = [&](double cents) { return spectrumAt(x, expected * std::exp2(cents / 1200.0), rate); };
    double best = 0.0, bestValue = -1.0;
    for (double c = -60.0; c <= 60.0; c += 2.0) {
        const double v = at(c);
        if (v > bestValue) {
            bestValue = v;
            best = c;
        }
    }
    // Golden-section refinement around the coarse maximum.
    double lo = best - 2.0, hi = best + 2.0;
    const double g = 0.6180339887498949;
    double a = hi - g * (hi - lo), b = lo + g * (hi - lo);
    double fa = at(a), fb = at(b);
    for (int it = 0; it < 40; ++it) {
        if (fa > fb) {
            hi = b; b = a; fb = fa; a = hi - g * (hi - lo); fa = at(a);
        } else {
            lo = a; a = b; fa = fb; b = lo + g * (hi - lo); fb = at(b);
        }
    }
    return 0.5 * (lo + hi);
}

}  // namespace enginetest
