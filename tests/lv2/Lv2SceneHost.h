// The reference scenes through an LV2 instance: parameters are its control
// ports, MIDI and the tempo atoms in its event port, the resonators are edited
// in the bank its state holds.
#pragma once

#include "tests/lv2/Lv2TestHost.h"
#include "tests/renders/Scenes.h"

#include <lv2/atom/atom.h>

#include <cstring>
#include <stdexcept>

namespace lv2testhost {

constexpr std::size_t kBankBytes = sizeof(ProgramRecord) * kNumPrograms;

// The bank and the current program of a saved state; throws when either is missing.
struct BankState {
    explicit BankState(Properties& state)
        : bank(find(state, LV2_ATOM__Chunk, kBankBytes)), program(find(state, LV2_ATOM__Int, sizeof(int32_t)))
    {
        if (!bank || !program)
            throw std::runtime_error("the saved state holds no bank or no current program");
    }
    int32_t current() const
    {
        int32_t n;
        std::memcpy(&n, program->value.data(), sizeof(n));
        return n;
    }
    ProgramRecord* record(int32_t n) { return reinterpret_cast<ProgramRecord*>(bank->value.data()) + n; }
    Property* bank;
    Property* program;
};

class Lv2SceneHost : public scenes::SceneHost {
public:
    Lv2SceneHost(Instance& instance, bool inPlace = false) : lv2(instance), inPlace(inPlace) {}

    void setParameter(int32_t index, float value) override { lv2.setParameter(static_cast<uint32_t>(index), value); }
    void midi(uint8_t status, uint8_t data1, uint8_t data2, int32_t delta) override
    {
        sendTempo();
        lv2.midi(static_cast<uint32_t>(delta), status, data1, data2);
    }
    void editCombs(const std::function<void(int, CombSettings&)>& edit) override
    {
        Properties state = lv2.save();
        BankState bank(state);
        for (int i = 0; i < kNumCombs; ++i)
            edit(i, bank.record(bank.current())->combSettings[i]);
        lv2.restore(state);
    }
    // Sent once: the plug-in holds the last tempo it was given.
    void setTempo(double bpm, int32_t numerator, int32_t denominator) override
    {
        lv2.restart();
        tempo = {bpm, numerator, denominator};
        tempoPending = true;
    }
    void process(const float* inL, const float* inR, float* outL, float* outR, int32_t frames) override
    {
        sendTempo();
        if (inPlace) {
            std::memcpy(outL, inL, sizeof(float) * static_cast<std::size_t>(frames));
            std::memcpy(outR, inR, sizeof(float) * static_cast<std::size_t>(frames));
            inL = outL;
            inR = outR;
        }
        lv2.run(inL, inR, outL, outR, static_cast<uint32_t>(frames));
    }

private:
    void sendTempo()
    {
        if (tempoPending)
            lv2.tempo(0, tempo.bpm, static_cast<float>(tempo.numerator), tempo.denominator);
        tempoPending = false;
    }
    struct Tempo {
        double bpm;
        int32_t numerator, denominator;
    };
    Instance& lv2;
    bool inPlace;
    Tempo tempo{};
    bool tempoPending = false;
};

// The first sample where two renders differ, or -1.
inline long firstDifference(const std::vector<float>& a, const std::vector<float>& b)
{
    if (a.size() != b.size())
        return 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0)
            return static_cast<long>(i);
    return -1;
}

}  // namespace lv2testhost
