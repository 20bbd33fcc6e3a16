// Instances are created and destroyed the ways real hosts do it.
#include "tests/conformance/Signal.h"
#include "tests/testhost/TestHost.h"

#include <gtest/gtest.h>

using testhost::PluginInstance;

namespace {

TEST(Lifecycle, HundredInstancesWithAndWithoutResume)
{
    for (int i = 0; i < 100; ++i) {
        auto plugin = PluginInstance::load();
        ASSERT_TRUE(plugin) << i;
        switch (i % 4) {
        case 0:  // a scanner: open and close, never resumed
            plugin->dispatch(effOpen);
            break;
        case 1:  // suspend before resume, as Ardour's scanner does
            plugin->dispatch(effMainsChanged, 0, 0);
            break;
        case 2:
            plugin->prepare(48000.f, 256);
            plugin->dispatch(effMainsChanged, 0, 0);
            break;
        case 3: {
            plugin->prepare(44100.f, 64);
            std::vector<float> l(64), r(64);
            plugin->processBlock(l.data(), r.data(), l.data(), r.data(), 64);
            break;
        }
        }
    }
}

TEST(Lifecycle, ResumeSuspendCyclesAndRateChanges)
{
    auto plugin = PluginInstance::load();
    ASSERT_TRUE(plugin);
    const std::vector<float> input = conformance::noise(512, 3);
    std::vector<float> l(512), r(512);
    conformance::OutputCheck check;
    for (float rate : {44100.f, 96000.f, 22050.f, 192000.f, 48000.f}) {
        plugin->dispatch(effMainsChanged, 0, 0);
        plugin->dispatch(effSetSampleRate, 0, 0, nullptr, rate);
        plugin->dispatch(effMainsChanged, 0, 1);
        plugin->processBlock(input.data(), input.data(), l.data(), r.data(), 512);
        check.add(l.data(), 512);
        check.add(r.data(), 512);
    }
    EXPECT_EQ(check.nonFinite, 0u);
}

}  // namespace
