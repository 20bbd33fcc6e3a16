// Demanding renders, written against what every plug-in format offers a host
// (parameters, MIDI at a frame, the current program's resonators, a tempo and
// audio blocks), so the same scene can be played through each format's own host.
#pragma once

#include "programs/ProgramRecord.h"
#include "tests/conformance/Signal.h"
#include "tests/testhost/TestHost.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

namespace scenes {

constexpr float kRate = 44100.f;
constexpr int32_t kBlock = 512;

// What a scene asks of the host it plays through.
class SceneHost {
public:
    virtual ~SceneHost() = default;
    virtual void setParameter(int32_t index, float value) = 0;
    // Delivered with the next block, `delta` frames into it.
    virtual void midi(uint8_t status, uint8_t data1, uint8_t data2, int32_t delta) = 0;
    // Rewrites every resonator of the current program.
    virtual void editCombs(const std::function<void(int, CombSettings&)>& edit) = 0;
    // The song position from now on; processing restarts so the plug-in starts from it.
    virtual void setTempo(double bpm, int32_t numerator, int32_t denominator) = 0;
    virtual void process(const float* inL, const float* inR, float* outL, float* outR, int32_t frames) = 0;
};

struct TimedMidi {
    std::size_t frame;
    uint8_t status, data1, data2;
};

struct Scene {
    const char* name;
    std::size_t frames;
    uint32_t seed;
    void (*setUp)(SceneHost&);
    std::vector<TimedMidi> (*midi)();
    std::vector<int32_t> (*blocks)();  // the recorded block pattern; null: kBlock frames each
};

// Blocks of the lengths in `blockSizes` in turn; each event is delivered in the
// block holding its frame. Returns both channels, block after block.
inline std::vector<float> render(const Scene& scene, SceneHost& host, const std::vector<int32_t>& blockSizes,
                                 std::size_t maxFrames = SIZE_MAX)
{
    scene.setUp(host);
    const std::size_t frames = std::min(scene.frames, maxFrames);
    const std::vector<float> in = conformance::noise(frames, scene.seed, 0.3f);
    const std::vector<TimedMidi> events = scene.midi ? scene.midi() : std::vector<TimedMidi>{};
    std::vector<float> out(2 * frames);
    auto event = events.begin();
    for (std::size_t pos = 0, block = 0; pos < frames; ++block) {
        const auto n = static_cast<int32_t>(
            std::min<std::size_t>(static_cast<std::size_t>(blockSizes[block % blockSizes.size()]), frames - pos));
        for (; event != events.end() && event->frame < pos + static_cast<std::size_t>(n); ++event)
            host.midi(event->status, event->data1, event->data2, static_cast<int32_t>(event->frame - pos));
        host.process(in.data() + pos, in.data() + pos, out.data() + 2 * pos, out.data() + 2 * pos + n, n);
        pos += static_cast<std::size_t>(n);
    }
    return out;
}

inline std::vector<int32_t> recordedBlocks(const Scene& scene)
{
    return scene.blocks ? scene.blocks() : std::vector<int32_t>{kBlock};
}

inline TimedMidi noteOn(std::size_t frame, int channel, int key, int velocity)
{
    return {frame, static_cast<uint8_t>(0x90 | (channel - 1)), static_cast<uint8_t>(key), static_cast<uint8_t>(velocity)};
}

// Every resonator sounding, with LFO, stiffness and tension model B, played by
// notes, and a feedback note.
inline void allResonatorsSetUp(SceneHost& host)
{
    host.editCombs([](int i, CombSettings& c) {
        c.Out = 0.5f;
        c.LFOfreq = 0.2f + 0.005f * static_cast<float>(i);
        c.Pan = 0.3f;
        c.LFO2Dec = 0.7f;
        c.Stiff = 0.25f;
        c.Velocity = 0.6f;
    });
    host.setParameter(32, 0.2f);  // tension model B
    host.setParameter(20, 0.4f);  // feedback level
}

inline std::vector<TimedMidi> allResonatorsMidi()
{
    std::vector<TimedMidi> events;
    for (int key = 21; key <= 108; key += 5)
        events.push_back(noteOn(2 * kBlock + static_cast<std::size_t>(key), 1, key, 70 + key % 50));
    events.push_back(noteOn(10 * kBlock + 17, 2, 45, 110));
    return events;
}

// The feedback voice with its delay in quarter notes of the host's tempo.
inline void feedbackInTempoSetUp(SceneHost& host)
{
    host.setParameter(33, 0.3f);  // 1/4
    host.setParameter(20, 0.8f);
    host.setParameter(22, 0.5f);
    host.setParameter(25, 0.2f);
    host.setTempo(96.0, 3, 4);
}

inline std::vector<TimedMidi> feedbackInTempoMidi() { return {noteOn(kBlock + 100, 2, 57, 120)}; }

// Notes struck and released in quick succession on short envelopes, some
// resonators silent (Out 0) while their envelopes run, stiffness without
// tension, and a feedback voice high enough that its lines are shorter than a
// sub-block; blocks of uneven lengths.
inline void envelopesSetUp(SceneHost& host)
{
    host.editCombs([](int i, CombSettings& c) {
        c.Out = i % 7 == 3 ? 0.f : 0.4f;
        c.envAttack = 0.01f * static_cast<float>(i % 5);
        c.envDecay = 0.02f * static_cast<float>(i % 4);
        c.envSustain = 0.5f;
        c.envRelease = 0.015f * static_cast<float>(i % 6);
        c.Velocity = 0.3f + 0.007f * static_cast<float>(i);
        c.Stiff = i % 3 == 0 ? 0.2f : 0.f;
    });
    host.setParameter(20, 0.7f);
}

inline std::vector<int32_t> envelopesBlocks() { return {512, 67, 1, 300, 16, 33, 511}; }

// A chord on or off at the start of every block of the recorded pattern, its
// notes spread over the first 60 frames.
inline std::vector<TimedMidi> envelopesMidi()
{
    const std::vector<int32_t> blocks = envelopesBlocks();
    std::vector<TimedMidi> events;
    for (std::size_t block = 0, start = 0; start < 70000; start += static_cast<std::size_t>(blocks[block % blocks.size()]), ++block) {
        const std::size_t delta = (block * 13) % 60;
        for (int key = 21 + static_cast<int>(block % 9); key <= 108; key += 9)
            events.push_back({start + delta, static_cast<uint8_t>(block % 2 ? 0x80 : 0x90), static_cast<uint8_t>(key), 90});
        if (block == 3)
            events.push_back(noteOn(start + 5, 2, 100, 100));
    }
    std::stable_sort(events.begin(), events.end(), [](const TimedMidi& a, const TimedMidi& b) { return a.frame < b.frame; });
    return events;
}

inline const std::vector<Scene>& all()
{
    static const std::vector<Scene> kScenes = {
        {"program0-noise", 88200, 1, [](SceneHost&) {}, nullptr, nullptr},
        {"all88-lfo-stiff-tensionB-feedback", 66150, 2, allResonatorsSetUp, allResonatorsMidi, nullptr},
        {"feedback-tempo-quarter", 88200, 3, feedbackInTempoSetUp, feedbackInTempoMidi, nullptr},
        {"envelopes-short-feedback", 70000, 4, envelopesSetUp, envelopesMidi, envelopesBlocks},
    };
    return kScenes;
}

// The scenes through a VST 2 instance of the test host.
class VstSceneHost : public SceneHost {
public:
    explicit VstSceneHost(testhost::PluginInstance& plugin) : p(plugin) {}

    void setParameter(int32_t index, float value) override { p.setParameter(index, value); }
    void midi(uint8_t status, uint8_t data1, uint8_t data2, int32_t delta) override
    {
        p.sendMidi({makeMidiEvent(status, data1, data2, delta)});
    }
    // Through the host's chunk calls.
    void editCombs(const std::function<void(int, CombSettings&)>& edit) override
    {
        std::vector<uint8_t> chunk = p.getChunk(true);
        auto* record = reinterpret_cast<ProgramRecord*>(chunk.data());
        for (int i = 0; i < kNumCombs; ++i)
            edit(i, record->combSettings[i]);
        p.setChunk(chunk, true);
    }
    void setTempo(double bpm, int32_t numerator, int32_t denominator) override
    {
        p.timeInfo.tempo = bpm;
        p.timeInfo.timeSigNumerator = numerator;
        p.timeInfo.timeSigDenominator = denominator;
        p.timeInfo.flags = kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;
        p.dispatch(effMainsChanged, 0, 0);
        p.dispatch(effMainsChanged, 0, 1);
    }
    void process(const float* inL, const float* inR, float* outL, float* outR, int32_t frames) override
    {
        p.processBlock(inL, inR, outL, outR, frames);
    }

private:
    testhost::PluginInstance& p;
};

}  // namespace scenes
