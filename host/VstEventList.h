// MIDI events as a host hands them to effProcessEvents, for the programs that
// drive the plug-in (the command-line host, tests, benchmarks); the plug-in
// itself only reads such lists.
#pragma once

#include "host/Vst2.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

inline VstMidiEvent makeMidiEvent(uint8_t status, uint8_t data1, uint8_t data2, int32_t deltaFrames = 0)
{
    VstMidiEvent e{};
    e.type = kVstMidiType;
    e.byteSize = sizeof(VstMidiEvent);
    e.deltaFrames = deltaFrames;
    e.midiData[0] = static_cast<char>(status);
    e.midiData[1] = static_cast<char>(data1);
    e.midiData[2] = static_cast<char>(data2);
    return e;
}

// A VstEvents block with its own copies of the events. VstEvents declares two
// pointers but holds numEvents of them: the block has room for `capacity`
// (and the two declared), taken at construction, so adding never moves anything.
class VstEventList {
public:
    explicit VstEventList(std::size_t capacity)
        : midi(capacity), block(sizeof(VstEvents) + sizeof(VstEvent*) * capacity)
    {
    }
    VstEventList(std::initializer_list<VstMidiEvent> events) : VstEventList(std::vector<VstMidiEvent>(events)) {}
    explicit VstEventList(const std::vector<VstMidiEvent>& events) : VstEventList(events.size())
    {
        for (const VstMidiEvent& e : events)
            add(e);
    }
    VstEventList(const VstEventList&) = delete;
    VstEventList& operator=(const VstEventList&) = delete;

    // False when the list is full.
    bool add(const VstMidiEvent& event)
    {
        VstEvents* list = get();
        const auto n = static_cast<std::size_t>(list->numEvents);
        if (n >= midi.size())
            return false;
        midi[n] = event;
        list->events[n] = reinterpret_cast<VstEvent*>(&midi[n]);
        list->numEvents = static_cast<int32_t>(n + 1);
        return true;
    }
    void clear() { get()->numEvents = 0; }
    int32_t size() const { return reinterpret_cast<const VstEvents*>(block.data())->numEvents; }
    VstEvents* get() { return reinterpret_cast<VstEvents*>(block.data()); }

private:
    std::vector<VstMidiEvent> midi;
    std::vector<unsigned char> block;  // zeroed: numEvents and reserved start at 0
};
