#include "tools/DemoScene.h"

#include <cmath>
#include <cstdint>
#include <numbers>

namespace tovarine::cli {

namespace {

// Two bars of 4/4 at 120 BPM: 4 s, eighth notes every 0.25 s.
constexpr double kEighthSeconds = 0.25;
constexpr int kSteps = 16;

// Deterministic noise (a 32-bit linear congruential generator), so every
// demo render is the same file.
class Noise {
public:
    float next()
    {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<float>(state_ >> 8) / static_cast<float>(1u << 23) - 1.f;
    }

private:
    uint32_t state_ = 0x2545F491u;
};

// A low thump: a sine falling from 150 Hz to 50 Hz with a 60 ms decay.
void addThump(StereoBuffer& out, std::size_t start, double gain)
{
    const double rate = out.sampleRate;
    double phase = 0.0;
    for (std::size_t i = 0; i < static_cast<std::size_t>(0.4 * rate) && start + i < out.frames(); ++i) {
        const double t = static_cast<double>(i) / rate;
        const double frequency = 50.0 + 100.0 * std::exp(-t / 0.03);
        phase += 2.0 * std::numbers::pi * frequency / rate;
        const auto v = static_cast<float>(gain * std::sin(phase) * std::exp(-t / 0.06));
        out.left[start + i] += v;
        out.right[start + i] += v;
    }
}

// A bright tick: noise with a 15 ms decay, placed between the channels by `pan` (0 left .. 1 right).
void addTick(StereoBuffer& out, Noise& noise, std::size_t start, double gain, double pan)
{
    const double rate = out.sampleRate;
    float previous = 0.f;
    for (std::size_t i = 0; i < static_cast<std::size_t>(0.1 * rate) && start + i < out.frames(); ++i) {
        const double t = static_cast<double>(i) / rate;
        const float white = noise.next();
        const float bright = white - previous;  // first difference: tilts the noise towards the highs
        previous = white;
        const double v = gain * bright * std::exp(-t / 0.015);
        out.left[start + i] += static_cast<float>(v * (1.0 - pan));
        out.right[start + i] += static_cast<float>(v * pan);
    }
}

}  // namespace

DemoScene makeDemoScene(double sampleRate)
{
    DemoScene scene;
    StereoBuffer& out = scene.excitation;
    out.sampleRate = sampleRate;
    const auto frames = static_cast<std::size_t>(kSteps * kEighthSeconds * sampleRate);
    out.left.assign(frames, 0.f);
    out.right.assign(frames, 0.f);

    Noise noise;
    // Thumps on 1, the "and" of 2 and 3; ticks on every off-beat, swinging left and right.
    const int thumpSteps[] = {0, 3, 4, 8, 11, 12};
    for (int step : thumpSteps)
        addThump(out, static_cast<std::size_t>(step * kEighthSeconds * sampleRate), 0.5);
    for (int step = 1; step < kSteps; step += 2)
        addTick(out, noise, static_cast<std::size_t>(step * kEighthSeconds * sampleRate), 0.35, step % 4 == 1 ? 0.3 : 0.7);

    auto note = [&scene](int channel, int key, int velocity, double start, double length) {
        const auto ch = static_cast<uint8_t>(channel - 1);
        scene.notes.push_back({start, {static_cast<uint8_t>(0x90 | ch), static_cast<uint8_t>(key), static_cast<uint8_t>(velocity)}});
        scene.notes.push_back({start + length, {static_cast<uint8_t>(0x80 | ch), static_cast<uint8_t>(key), 0}});
    };
    // Channel 1: a C minor chord, then a B flat chord over it; channel 2: the feedback voice on a low C.
    note(1, 48, 100, 0.0, 2.0);
    note(1, 55, 90, 0.0, 2.0);
    note(1, 63, 80, 0.0, 2.0);
    note(1, 58, 100, 2.0, 1.75);
    note(1, 62, 90, 2.0, 1.75);
    note(1, 65, 80, 2.0, 1.75);
    note(2, 36, 100, 0.5, 3.0);
    return scene;
}

}  // namespace tovarine::cli
