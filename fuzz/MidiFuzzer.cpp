// Arbitrary MIDI event lists, delivered before blocks of audio.
#include "fuzz/PluginHarness.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static AEffect* e = fuzzharness::createPlugin();
    // Eight bytes per event: status, two data bytes, a signed 32-bit delta, a type byte.
    const size_t count = size / 8;
    std::vector<VstMidiEvent> events(count);
    std::vector<VstEvent*> pointers(count + 2);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = data + 8 * i;
        VstMidiEvent& m = events[i];
        m = VstMidiEvent{};
        m.type = (p[7] & 0x0F) == 0 ? kVstSysExType : kVstMidiType;
        m.byteSize = sizeof(VstMidiEvent);
        int32_t delta;
        std::memcpy(&delta, p + 3, 4);
        m.deltaFrames = (p[7] & 0x10) ? delta : static_cast<int32_t>(static_cast<uint32_t>(delta) % 128);
        m.midiData[0] = static_cast<char>(p[0]);
        m.midiData[1] = static_cast<char>(p[1]);
        m.midiData[2] = static_cast<char>(p[2]);
        pointers[i] = reinterpret_cast<VstEvent*>(&m);
    }
    std::vector<uint8_t> block(sizeof(VstEvents) + sizeof(VstEvent*) * (count + 2));
    auto* list = reinterpret_cast<VstEvents*>(block.data());
    list->numEvents = static_cast<int32_t>(count);
    std::memcpy(list->events, pointers.data(), sizeof(VstEvent*) * count);
    e->dispatcher(e, effProcessEvents, 0, 0, list, 0.f);
    fuzzharness::processAndCheck(e, 3);
    return 0;
}
