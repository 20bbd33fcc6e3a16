// The sustain pedal (controller 64) of each MIDI channel and the note-offs it
// holds back. A pedal holds the note-offs of its own channel only, as on a
// keyboard: the feedback voice's channel has a pedal of its own. Fixed size,
// owned by the audio thread (processEvents runs there).
#pragma once

#include <cstdint>

// A set of MIDI notes 0..127.
struct NoteSet {
    uint64_t bits[2] = {0, 0};

    bool empty() const { return (bits[0] | bits[1]) == 0; }
    bool has(int32_t note) const { return note >= 0 && note < 128 && (bits[note >> 6] >> (note & 63)) & 1; }
    void add(int32_t note) { bits[note >> 6] |= uint64_t(1) << (note & 63); }
    void remove(int32_t note) { bits[note >> 6] &= ~(uint64_t(1) << (note & 63)); }
};

class SustainPedals {
public:
    static constexpr int32_t kChannels = 16;
    static constexpr uint8_t kController = 64;

    // Controller values from 64 up press the pedal, lower ones lift it.
    static bool pressedBy(int32_t value) { return value >= 64; }

    bool isDown(int32_t channel) const { return (down >> channel) & 1; }
    void press(int32_t channel) { down = static_cast<uint16_t>(down | (1u << channel)); }
    // Lifts the pedal and answers the note-offs it held, which are then forgotten.
    NoteSet lift(int32_t channel)
    {
        down = static_cast<uint16_t>(down & ~(1u << channel));
        const NoteSet notes = held[channel];
        held[channel] = NoteSet{};
        return notes;
    }

    // A note-off (note 0..127) that waits for the pedal.
    void hold(int32_t channel, int32_t note) { held[channel].add(note); }
    // The key is struck again: the note-off it left with the pedal no longer applies.
    void strike(int32_t channel, int32_t note)
    {
        if (!held[channel].empty())
            held[channel].remove(note);
    }
    // Every held note-off is dropped; the pedals stay as they are.
    void forgetHeld()
    {
        for (NoteSet& notes : held)
            notes = NoteSet{};
    }

private:
    uint16_t down = 0;  // bit c: the pedal of channel c is down
    NoteSet held[kChannels];
};
