// The reference scenes through an LV2 instance: parameters are its control
// ports, MIDI and tempo atoms go to its event port, resonators are edited in
// the bank its state holds.
#pragma once

#include "tests/lv2/Lv2TestHost.h"
#include "tests/renders/Scenes.h"

#include <cstring>

namespace lv2testhost {

constexpr std::size_t kBankBytes = sizeof(ProgramRecord) * kNumPrograms;

inline Property& bankOf(Properties& state) { return *find(state, LV2_ATOM__Chunk, kBankBytes); }
inline Property& programOf(Properties& state) { return *find(state, LV2_ATOM__Int, sizeof(int32_t)); }
inline ProgramRecord& recordOf(Properties& state, int32_t program)
{
    return reinterpret_cast<ProgramRecord*>(bankOf(state).value.data())[program];
}

inline bool sameBits(const std::vector<float>& a, const std::vector<float>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), sizeof(float) * a.size()) == 0;
}

class Lv2SceneHost : public scenes::SceneHost {
public:
    explicit Lv2SceneHost(Instance& instance, bool inPlace = false) : lv2(instance), inPlace(inPlace) {}

    void setParameter(int32_t index, float value) override { lv2.parameters[static_cast<std::size_t>(index)] = value; }
    void midi(uint8_t status, uint8_t data1, uint8_t data2, int32_t delta) override
    {
        sendTempo();
        lv2.midi(static_cast<uint32_t>(delta), status, data1, data2);
    }
    void editCombs(const std::function<void(int, CombSettings&)>& edit) override
    {
        Properties state = lv2.save();
        int32_t current;
        std::memcpy(&current, programOf(state).value.data(), sizeof(current));
        for (int i = 0; i < kNumCombs; ++i)
            edit(i, recordOf(state, current).combSettings[i]);
        lv2.restore(state);
    }
    // Sent once: the plug-in keeps the last tempo it was given.
    void setTempo(double bpm, int32_t numerator, int32_t denominator) override
    {
        lv2.restart();
        tempo = {bpm, static_cast<float>(numerator), denominator};
    }
    void process(const float* inL, const float* inR, float* outL, float* outR, int32_t frames) override
    {
        sendTempo();
        if (inPlace) {
            std::memcpy(outL, inL, sizeof(float) * static_cast<std::size_t>(frames));
            std::memcpy(outR, inR, sizeof(float) * static_cast<std::size_t>(frames));
            inL = outL, inR = outR;
        }
        lv2.run(inL, inR, outL, outR, static_cast<uint32_t>(frames));
    }

private:
    void sendTempo()
    {
        if (tempo.bpm > 0.0)
            lv2.tempo(tempo.bpm, tempo.beatsPerBar, tempo.beatUnit);
        tempo.bpm = 0.0;
    }
    Instance& lv2;
    bool inPlace;
    struct {
        double bpm;
        float beatsPerBar;
        int32_t beatUnit;
    } tempo{};
};

}  // namespace lv2testhost
