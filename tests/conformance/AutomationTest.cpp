// Host automation at audio rate, including values no host should send.
#include "tests/conformance/Signal.h"
#include "tests/testhost/TestHost.h"

#include <gtest/gtest.h>

#include <limits>

using testhost::PluginInstance;

namespace {

TEST(Automation, RandomParametersEvery32FramesKeepTheOutputFinite)
{
    auto plugin = PluginInstance::load();
    ASSERT_TRUE(plugin);
    plugin->prepare(44100.f, 32);
    std::mt19937 rng(17);
    std::uniform_real_distribution<float> unit(0.f, 1.f);
    const float wild[] = {-1.f, 2.f, 1e9f, -1e9f, std::numeric_limits<float>::quiet_NaN(),
                          std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                          std::numeric_limits<float>::denorm_min()};
    const std::vector<float> in = conformance::noise(32, 23);
    std::vector<float> l(32), r(32);
    conformance::OutputCheck check;
    for (int block = 0; block < 4000; ++block) {
        const auto index = static_cast<int32_t>(rng() % 43);
        const float value = (rng() % 10 == 0) ? wild[rng() % std::size(wild)] : unit(rng);
        plugin->setParameter(index, value);
        const float readBack = plugin->getParameter(index);
        EXPECT_TRUE(std::isfinite(readBack)) << "parameter " << index;
        if (block % 200 == 0)
            plugin->sendMidi({makeMidiEvent(0x90, static_cast<uint8_t>(30 + rng() % 60), 100),
                              makeMidiEvent(0x91, static_cast<uint8_t>(30 + rng() % 60), 100)});
        plugin->processBlock(in.data(), in.data(), l.data(), r.data(), 32);
        check.add(l.data(), 32);
        check.add(r.data(), 32);
    }
    EXPECT_EQ(check.nonFinite, 0u);
    EXPECT_LT(check.peak, conformance::kOutputBound);
    // Every display stays a terminated, printable text.
    for (int32_t index = 0; index < 43; ++index) {
        const std::string display = plugin->parameterDisplay(index);
        EXPECT_LT(display.size(), 64u) << index;
    }
}

}  // namespace
