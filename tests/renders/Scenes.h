// Demanding renders as data (the current program's resonators, parameters, a
// tempo, MIDI at its frames, a pattern of block lengths), so that the same scene
// can be played through each plug-in format's own host.
#pragma once

#include "programs/ProgramRecord.h"
#include "tests/conformance/Signal.h"
#include "tests/testhost/TestHost.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace scenes {

constexpr float kRate = 44100.f;
constexpr int32_t kBlock = 512;

struct TimedMidi {
    std::size_t frame;
    uint8_t status, data1, data2;
};

struct Scene {
    const char* name;
    std::size_t frames;
    uint32_t seed;
    void (*combs)(int, CombSettings&) = nullptr;  // rewrites each resonator of the current program
    std::vector<std::pair<int32_t, float>> parameters = {};  // set after the resonators
    double bpm = 0.0;  // in 3/4 from the first frame; 0: no tempo
    std::vector<TimedMidi> midi = {};
    std::vector<int32_t> blocks = {kBlock};  // the block lengths it was recorded with, in turn
};

// Blocks of the lengths in `blockSizes` in turn, each event given to the host
// (host.midi(frame in the block, bytes)) before the block that holds it; in
// place, the host's inputs are its output buffers. Returns both channels, block
// after block.
template <class Host>
std::vector<float> render(const Scene& scene, const std::vector<int32_t>& blockSizes, std::size_t maxFrames, Host& host,
                          bool inPlace = false)
{
    const std::size_t frames = std::min(scene.frames, maxFrames);
    const std::vector<float> in = conformance::noise(frames, scene.seed, 0.3f);
    std::vector<float> out(2 * frames);
    auto event = scene.midi.begin();
    for (std::size_t pos = 0, block = 0; pos < frames; ++block) {
        const std::size_t n = std::min(static_cast<std::size_t>(blockSizes[block % blockSizes.size()]), frames - pos);
        for (; event != scene.midi.end() && event->frame < pos + n; ++event)
            host.midi(static_cast<uint32_t>(event->frame - pos), event->status, event->data1, event->data2);
        float* outL = out.data() + 2 * pos;
        float* outR = outL + n;
        if (inPlace) {
            std::copy(in.begin() + pos, in.begin() + pos + n, outL);
            std::copy(in.begin() + pos, in.begin() + pos + n, outR);
        }
        host.run(inPlace ? outL : in.data() + pos, inPlace ? outR : in.data() + pos, outL, outR, static_cast<uint32_t>(n));
        pos += n;
    }
    return out;
}

inline TimedMidi noteOn(std::size_t frame, int channel, int key, int velocity)
{
    return {frame, static_cast<uint8_t>(0x90 | (channel - 1)), static_cast<uint8_t>(key), static_cast<uint8_t>(velocity)};
}

// Every resonator sounding, with LFO, stiffness and tension model B (parameter
// 32), played by notes, and a feedback note.
inline void allResonatorsCombs(int i, CombSettings& c)
{
    c.Out = 0.5f;
    c.LFOfreq = 0.2f + 0.005f * static_cast<float>(i);
    c.Pan = 0.3f;
    c.LFO2Dec = 0.7f;
    c.Stiff = 0.25f;
    c.Velocity = 0.6f;
}

inline std::vector<TimedMidi> allResonatorsMidi()
{
    std::vector<TimedMidi> events;
    for (int key = 21; key <= 108; key += 5)
        events.push_back(noteOn(2 * kBlock + static_cast<std::size_t>(key), 1, key, 70 + key % 50));
    events.push_back(noteOn(10 * kBlock + 17, 2, 45, 110));
    return events;
}

// Notes struck and released in quick succession on short envelopes, some
// resonators silent (Out 0) while their envelopes run, stiffness without
// tension, and a feedback voice high enough that its lines are shorter than a
// sub-block; blocks of uneven lengths.
inline void envelopesCombs(int i, CombSettings& c)
{
    c.Out = i % 7 == 3 ? 0.f : 0.4f;
    c.envAttack = 0.01f * static_cast<float>(i % 5);
    c.envDecay = 0.02f * static_cast<float>(i % 4);
    c.envSustain = 0.5f;
    c.envRelease = 0.015f * static_cast<float>(i % 6);
    c.Velocity = 0.3f + 0.007f * static_cast<float>(i);
    c.Stiff = i % 3 == 0 ? 0.2f : 0.f;
}

// A chord on or off at the start of every block, its notes spread over the first 60 frames.
inline std::vector<TimedMidi> envelopesMidi(const std::vector<int32_t>& blocks)
{
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
    static const std::vector<int32_t> kUneven = {512, 67, 1, 300, 16, 33, 511};
    static const std::vector<Scene> kScenes = {
        {"program0-noise", 88200, 1},
        {"all88-lfo-stiff-tensionB-feedback", 66150, 2, allResonatorsCombs, {{32, 0.2f}, {20, 0.4f}}, 0.0, allResonatorsMidi()},
        // The feedback voice with its delay in quarter notes (parameter 33) of the host's tempo.
        {"feedback-tempo-quarter", 88200, 3, nullptr, {{33, 0.3f}, {20, 0.8f}, {22, 0.5f}, {25, 0.2f}}, 96.0,
         {noteOn(kBlock + 100, 2, 57, 120)}},
        {"envelopes-short-feedback", 70000, 4, envelopesCombs, {{20, 0.7f}}, 0.0, envelopesMidi(kUneven), kUneven},
    };
    return kScenes;
}

// The scene through a fresh VST 2 instance of the test host, the program selected:
// the resonators through its chunk calls, the tempo read as processing resumes.
// Empty when the plug-in does not load.
inline std::vector<float> renderVst(const Scene& scene, const std::vector<int32_t>& blocks, std::size_t maxFrames = SIZE_MAX,
                                    int32_t program = 0, const testhost::LoadOptions& options = {})
{
    auto p = testhost::PluginInstance::load(options);
    if (!p)
        return {};
    p->prepare(kRate, *std::max_element(blocks.begin(), blocks.end()));
    p->dispatch(effSetProgram, 0, program);
    if (scene.combs) {
        std::vector<uint8_t> chunk = p->getChunk(true);
        for (int i = 0; i < kNumCombs; ++i)
            scene.combs(i, reinterpret_cast<ProgramRecord*>(chunk.data())->combSettings[i]);
        p->setChunk(chunk, true);
    }
    for (auto [index, value] : scene.parameters)
        p->setParameter(index, value);
    if (scene.bpm > 0.0) {
        p->timeInfo.tempo = scene.bpm;
        p->timeInfo.timeSigNumerator = 3;
        p->timeInfo.timeSigDenominator = 4;
        p->timeInfo.flags = kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;
        p->dispatch(effMainsChanged, 0, 0);
        p->dispatch(effMainsChanged, 0, 1);
    }
    struct {
        testhost::PluginInstance& p;
        void midi(uint32_t frame, uint8_t status, uint8_t data1, uint8_t data2)
        {
            p.sendMidi({makeMidiEvent(status, data1, data2, static_cast<int32_t>(frame))});
        }
        void run(const float* inL, const float* inR, float* outL, float* outR, uint32_t n)
        {
            p.processBlock(inL, inR, outL, outR, static_cast<int32_t>(n));
        }
    } host{*p};
    return render(scene, blocks, maxFrames, host);
}

}  // namespace scenes
