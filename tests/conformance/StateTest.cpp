// Saved state: what one instance saves, another restores byte for byte and
// plays identically; wrong sizes are refused; random and mutated chunks of the
// right sizes never crash, never make NaN and never leave text unterminated.
#include "tests/conformance/Signal.h"
#include "tests/testhost/DialogCancel.h"
#include "tests/testhost/TestHost.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

using testhost::PluginInstance;

namespace {

constexpr std::size_t kProgramBytes = 7796;
constexpr std::size_t kBankBytes = 32 * kProgramBytes;

std::vector<float> render(PluginInstance& plugin, std::size_t frames)
{
    plugin.sendMidi({makeMidiEvent(0x90, 57, 100), makeMidiEvent(0x91, 45, 100, 10)});
    const std::vector<float> in = conformance::noise(frames, 77);
    std::vector<float> l(frames), r(frames);
    plugin.processReplacing(l, r, 256, &in, &in);
    l.insert(l.end(), r.begin(), r.end());
    return l;
}

void expectTextsTerminated(PluginInstance& plugin)
{
    char text[256];
    for (int32_t index = 0; index < 32; ++index) {
        std::memset(text, 'x', sizeof(text));
        plugin.dispatch(effGetProgramNameIndexed, index, 0, text);
        ASSERT_NE(std::memchr(text, 0, 24), nullptr) << "program " << index;
    }
    std::memset(text, 'x', sizeof(text));
    plugin.dispatch(effGetProgramName, 0, 0, text);
    ASSERT_NE(std::memchr(text, 0, 24), nullptr);
}

TEST(State, BankAndProgramRestoreIntoANewInstanceExactly)
{
    auto original = PluginInstance::load();
    ASSERT_TRUE(original);
    original->prepare(44100.f, 256);
    // Make the state the user's own: another program, edited parameters and name.
    original->dispatch(effSetProgram, 0, 2);
    original->setParameter(20, 0.37f);
    original->setParameter(31, 0.8f);
    char name[] = "My Bells";
    original->dispatch(effSetProgramName, 0, 0, name);
    const std::vector<uint8_t> bank = original->getChunk(false);
    const std::vector<uint8_t> program = original->getChunk(true);
    ASSERT_EQ(bank.size(), kBankBytes);
    ASSERT_EQ(program.size(), kProgramBytes);

    auto restored = PluginInstance::load();
    ASSERT_TRUE(restored);
    restored->prepare(44100.f, 256);
    EXPECT_NE(restored->setChunk(bank, false), 0);
    restored->dispatch(effSetProgram, 0, 2);
    EXPECT_EQ(restored->getChunk(false), bank);
    EXPECT_EQ(restored->getChunk(true), program);
    EXPECT_EQ(restored->programName(), "My Bells");

    // The same audio from both, once each has reloaded program 2 from its store.
    original->dispatch(effSetProgram, 0, 2);
    original->dispatch(effMainsChanged, 0, 0);
    original->dispatch(effMainsChanged, 0, 1);
    restored->dispatch(effMainsChanged, 0, 0);
    restored->dispatch(effMainsChanged, 0, 1);
    EXPECT_EQ(render(*original, 44100), render(*restored, 44100));

    auto single = PluginInstance::load();
    ASSERT_TRUE(single);
    EXPECT_NE(single->setChunk(program, true), 0);
    EXPECT_EQ(single->getChunk(true), program);
}

TEST(State, ChunksOfEveryWrongSizeAreRefused)
{
    auto plugin = PluginInstance::load();
    ASSERT_TRUE(plugin);
    const std::vector<uint8_t> bankBefore = plugin->getChunk(false);
    for (bool isPreset : {true, false}) {
        for (std::size_t size : {std::size_t{1}, std::size_t{4}, kProgramBytes - 1, kProgramBytes + 1, kBankBytes - 1,
                                 kBankBytes + 1, 2 * kBankBytes, isPreset ? kBankBytes : kProgramBytes}) {
            std::vector<uint8_t> junk(size, 0x5A);
            EXPECT_EQ(plugin->setChunk(junk, isPreset), 0) << size << (isPreset ? " as program" : " as bank");
        }
    }
    EXPECT_EQ(plugin->dispatch(effSetChunk, 0, 0, nullptr), 0);
    EXPECT_EQ(plugin->getChunk(false), bankBefore);
}

TEST(State, TenThousandRandomAndMutatedChunks)
{
    // Restored programs may name tuning files that do not exist here.
    const testhost::FileDialogsCancelled noDialogs;
    auto plugin = PluginInstance::load();
    ASSERT_TRUE(plugin);
    plugin->prepare(44100.f, 64);
    const std::vector<uint8_t> goodBank = plugin->getChunk(false);
    const std::vector<uint8_t> goodProgram = plugin->getChunk(true);
    std::mt19937 rng(99);
    const std::vector<float> in = conformance::noise(64, 5);
    std::vector<float> l(64), r(64);
    conformance::OutputCheck check;
    int firstBadTrial = -1;
    std::vector<uint8_t> firstBadChunk;
    for (int trial = 0; trial < 10000; ++trial) {
        const bool isPreset = trial % 5 != 0;
        std::vector<uint8_t> chunk = isPreset ? goodProgram : goodBank;
        switch (trial % 4) {
        case 0:  // pure noise
            for (uint8_t& byte : chunk)
                byte = static_cast<uint8_t>(rng());
            break;
        case 1:  // a few flipped bytes anywhere
            for (int i = 0; i < 8; ++i)
                chunk[rng() % chunk.size()] = static_cast<uint8_t>(rng());
            break;
        case 2:  // texts without their terminators
            for (std::size_t record = 0; record < chunk.size() / kProgramBytes; ++record)
                std::memset(&chunk[record * kProgramBytes + 7564], 'A' + static_cast<int>(rng() % 26), 232);
            break;
        case 3: {  // non-finite and huge floats in the settings
            const float specials[] = {NAN, INFINITY, -INFINITY, 1e30f, -1e30f, 0.f, 1.f};
            for (int i = 0; i < 64; ++i) {
                const std::size_t word = (rng() % (7564 / 4)) * 4 + (rng() % (chunk.size() / kProgramBytes)) * kProgramBytes;
                std::memcpy(&chunk[word], &specials[rng() % 7], 4);
            }
            break;
        }
        }
        plugin->setChunk(chunk, isPreset);
        if (trial % 50 == 0)
            plugin->dispatch(effSetProgram, 0, static_cast<intptr_t>(rng() % 32));
        expectTextsTerminated(*plugin);
        if (trial % 10 == 0)
            plugin->sendMidi({makeMidiEvent(0x90, static_cast<uint8_t>(20 + rng() % 90), 100),
                              makeMidiEvent(0x91, static_cast<uint8_t>(20 + rng() % 90), 100)});
        plugin->processBlock(in.data(), in.data(), l.data(), r.data(), 64);
        const std::size_t nonFiniteBefore = check.nonFinite;
        check.add(l.data(), 64);
        check.add(r.data(), 64);
        if (check.nonFinite > nonFiniteBefore && firstBadTrial < 0) {
            firstBadTrial = trial;
            firstBadChunk = chunk;
        }
        for (int32_t index = 0; index < 43; ++index)
            ASSERT_TRUE(std::isfinite(plugin->getParameter(index))) << "trial " << trial << " parameter " << index;
    }
    EXPECT_EQ(check.nonFinite, 0u) << "first at trial " << firstBadTrial << " (mutation " << firstBadTrial % 4 << ")";
    if (firstBadTrial >= 0)
        std::ofstream("bad-chunk.bin", std::ios::binary)  // in the test's working directory
            .write(reinterpret_cast<const char*>(firstBadChunk.data()), static_cast<std::streamsize>(firstBadChunk.size()));
}

}  // namespace
