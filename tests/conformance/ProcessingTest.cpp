// Noise through every common sample rate and block size, in both processing modes.
#include "tests/conformance/Signal.h"
#include "tests/testhost/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>

using testhost::PluginInstance;

namespace {

void renderNoise(PluginInstance& plugin, int32_t blockSize, std::size_t totalFrames, bool accumulate,
                 conformance::OutputCheck& check, uint32_t seed)
{
    const std::vector<float> inL = conformance::noise(totalFrames, seed);
    const std::vector<float> inR = conformance::noise(totalFrames, seed + 1);
    std::vector<float> outL(static_cast<std::size_t>(blockSize)), outR(static_cast<std::size_t>(blockSize));
    for (std::size_t pos = 0; pos < totalFrames; pos += static_cast<std::size_t>(blockSize)) {
        const auto frames = static_cast<int32_t>(std::min<std::size_t>(static_cast<std::size_t>(blockSize), totalFrames - pos));
        std::fill(outL.begin(), outL.end(), 0.f);
        std::fill(outR.begin(), outR.end(), 0.f);
        plugin.processBlock(inL.data() + pos, inR.data() + pos, outL.data(), outR.data(), frames, accumulate);
        check.add(outL.data(), static_cast<std::size_t>(frames));
        check.add(outR.data(), static_cast<std::size_t>(frames));
    }
}

TEST(Processing, EveryRateBlockSizeAndModeStaysFiniteAndBounded)
{
    for (float rate : {44100.f, 48000.f, 96000.f, 192000.f}) {
        for (int32_t block : {1, 64, 128, 256, 512, 1024, 4096, 97, 333}) {
            for (bool accumulate : {false, true}) {
                auto plugin = PluginInstance::load();
                ASSERT_TRUE(plugin);
                plugin->prepare(rate, block);
                // Play the factory sound with notes on both the resonator and feedback channels.
                plugin->sendMidi({makeMidiEvent(0x90, 60, 100), makeMidiEvent(0x91, 48, 100)});
                conformance::OutputCheck check;
                const std::size_t frames = block == 1 ? 4096 : static_cast<std::size_t>(rate / 4);
                renderNoise(*plugin, block, frames, accumulate, check, static_cast<uint32_t>(block));
                EXPECT_EQ(check.nonFinite, 0u) << rate << " Hz, block " << block;
                EXPECT_EQ(check.subnormal, 0u) << rate << " Hz, block " << block;
                EXPECT_LT(check.peak, conformance::kOutputBound) << rate << " Hz, block " << block;
            }
        }
    }
}

TEST(Processing, EmptyAndOversizedBlocks)
{
    auto plugin = PluginInstance::load();
    ASSERT_TRUE(plugin);
    plugin->prepare(44100.f, 256);
    std::vector<float> in = conformance::noise(512, 9);
    std::vector<float> l(512, 7.f), r(512, 7.f);
    plugin->processBlock(in.data(), in.data(), l.data(), r.data(), 0);  // a first block of 0 frames
    EXPECT_EQ(l[0], 7.f) << "a block of 0 frames must not write";
    conformance::OutputCheck check;
    for (int i = 0; i < 50; ++i) {
        const int32_t frames = (i % 3 == 0) ? 0 : (i % 3 == 1 ? 512 : 17);  // 512 = twice the announced size
        plugin->processBlock(in.data(), in.data(), l.data(), r.data(), frames);
        check.add(l.data(), static_cast<std::size_t>(frames));
        check.add(r.data(), static_cast<std::size_t>(frames));
    }
    EXPECT_EQ(check.nonFinite, 0u);
    EXPECT_LT(check.peak, conformance::kOutputBound);
}

TEST(Processing, ProgramsSelectedInRandomOrderWhileProcessing)
{
    auto plugin = PluginInstance::load();
    ASSERT_TRUE(plugin);
    plugin->prepare(44100.f, 128);
    std::vector<int32_t> order(32);
    for (int32_t i = 0; i < 32; ++i)
        order[static_cast<std::size_t>(i)] = i;
    std::shuffle(order.begin(), order.end(), std::mt19937(5));
    order.push_back(0);
    const std::vector<float> in = conformance::noise(128, 11);
    std::vector<float> l(128), r(128);
    conformance::OutputCheck check;
    for (int32_t program : order) {
        plugin->dispatch(effSetProgram, 0, program);
        ASSERT_EQ(plugin->dispatch(effGetProgram), program);
        plugin->sendMidi({makeMidiEvent(0x90, static_cast<uint8_t>(40 + program), 90)});
        for (int b = 0; b < 20; ++b) {
            plugin->processBlock(in.data(), in.data(), l.data(), r.data(), 128);
            check.add(l.data(), 128);
            check.add(r.data(), 128);
        }
    }
    EXPECT_EQ(check.nonFinite, 0u);
    EXPECT_LT(check.peak, conformance::kOutputBound);
}

}  // namespace
