// Random MIDI of every kind, with deltas inside and beyond the block.
#include "tests/conformance/Signal.h"
#include "tests/testhost/TestHost.h"

#include <gtest/gtest.h>

using testhost::PluginInstance;

namespace {

TEST(MidiStress, RandomStreamsOnAllChannels)
{
    auto plugin = PluginInstance::load();
    ASSERT_TRUE(plugin);
    plugin->prepare(48000.f, 256);
    std::mt19937 rng(31);
    const std::vector<float> in = conformance::noise(256, 37, 0.2f);
    std::vector<float> l(256), r(256);
    conformance::OutputCheck check;
    for (int block = 0; block < 1500; ++block) {
        std::vector<VstMidiEvent> events;
        const std::size_t count = (block == 100) ? 4096 : rng() % 12;  // one very dense list
        for (std::size_t i = 0; i < count; ++i) {
            static const uint8_t kinds[] = {0x80, 0x90, 0xA0, 0xB0, 0xC0, 0xD0, 0xE0, 0xF0, 0xF8, 0xFE};
            const uint8_t kind = kinds[rng() % std::size(kinds)];
            const uint8_t status = static_cast<uint8_t>(kind < 0xF0 ? kind | (rng() % 16) : kind);
            const int32_t delta = (rng() % 8 == 0) ? static_cast<int32_t>(256 + rng() % 1000)  // beyond the block
                                                   : static_cast<int32_t>(rng() % 256);
            events.push_back(makeMidiEvent(status, static_cast<uint8_t>(rng() % 256), static_cast<uint8_t>(rng() % 256), delta));
        }
        if (block == 200)
            events.clear();  // an empty list
        plugin->sendMidi(events);
        plugin->processBlock(in.data(), in.data(), l.data(), r.data(), 256);
        check.add(l.data(), 256);
        check.add(r.data(), 256);
    }
    EXPECT_EQ(check.nonFinite, 0u);
    EXPECT_LT(check.peak, conformance::kOutputBound);
}

TEST(MidiStress, NonMidiEventsAreSkipped)
{
    auto plugin = PluginInstance::load();
    ASSERT_TRUE(plugin);
    plugin->prepare(44100.f, 64);
    VstMidiEvent sysex = makeMidiEvent(0xF0, 1, 2);
    sysex.type = kVstSysExType;
    plugin->sendMidi({sysex});
    std::vector<float> l(64), r(64);
    plugin->processBlock(l.data(), r.data(), l.data(), r.data(), 64);
}

}  // namespace
