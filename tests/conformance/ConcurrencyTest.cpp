// Other threads change parameters, programs, chunks and run the commands while
// the audio thread runs. Nothing may crash or read out of bounds, and under
// ThreadSanitizer (scripts/tsan.sh) nothing may race; a program change must
// reach the audio thread whole.
#include "programs/ProgramRecord.h"
#include "tests/conformance/Signal.h"
#include "tests/testhost/TestHost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstring>
#include <thread>

using testhost::PluginInstance;

namespace {

TEST(Concurrency, ParametersAndProgramsFromAnotherThread)
{
    auto plugin = PluginInstance::load();
    ASSERT_TRUE(plugin);
    plugin->prepare(44100.f, 128);
    std::atomic<bool> done{false};
    std::thread editorThread([&] {
        std::mt19937 rng(41);
        std::uniform_real_distribution<float> unit(0.f, 1.f);
        int step = 0;
        while (!done) {
            if (step % 50 == 0)
                plugin->dispatch(effSetProgram, 0, static_cast<intptr_t>(rng() % 32));
            else if (step % 37 == 0)
                plugin->setParameter(46, static_cast<float>(rng() % 8));
            else
                plugin->setParameter(static_cast<int32_t>(rng() % 43), unit(rng));
            ++step;
            std::this_thread::yield();
        }
    });
    const std::vector<float> in = conformance::noise(128, 43);
    std::vector<float> l(128), r(128);
    conformance::OutputCheck check;
    for (int block = 0; block < 1000; ++block) {
        plugin->processBlock(in.data(), in.data(), l.data(), r.data(), 128);
        check.add(l.data(), 128);
        check.add(r.data(), 128);
    }
    done = true;
    editorThread.join();
    EXPECT_EQ(check.nonFinite, 0u);
}

// Program 0 sounds resonators 30..38, program 1 resonators 42..50; without loop
// gain each rings once, one period after the impulse at the start of every block.
// Each program also gives the other's resonators a long decay, which they would
// ring with if a block took one program's outputs with the other's loops.
// Switched back and forth from another thread, each block holds the echoes of
// one program only: those of 30..38 come after sample 280, those of 42..50 before 250.
TEST(Concurrency, ProgramSwitchesArriveWhole)
{
    auto plugin = PluginInstance::load();
    ASSERT_TRUE(plugin);
    plugin->prepare(44100.f, 512);
    for (int32_t p = 0; p < 2; ++p) {
        plugin->dispatch(effSetProgram, 0, p);
        std::vector<uint8_t> chunk = plugin->getChunk(true);
        ASSERT_EQ(chunk.size(), sizeof(ProgramRecord));
        const int first = p == 0 ? 30 : 42;
        const int other = p == 0 ? 42 : 30;
        float params[kNumParams];
        std::memcpy(params, chunk.data(), sizeof(params));
        params[20] = 0.f;  // no feedback
        params[30] = params[31] = 1.f;  // fully wet, unity output
        params[32] = 0.f;  // no tension modelling
        std::memcpy(chunk.data(), params, sizeof(params));
        char* path = reinterpret_cast<char*>(chunk.data() + offsetof(ProgramRecord, tuningMapPath));
        path[0] = '\0';  // the standard tuning
        for (int i = 0; i < kNumCombs; ++i) {
            CombSettings c;
            uint8_t* where = chunk.data() + offsetof(ProgramRecord, combSettings) + i * sizeof(CombSettings);
            std::memcpy(&c, where, sizeof(c));
            c.Out = i >= first && i <= first + 8 ? 1.f : 0.f;
            c.Decay = i >= other && i <= other + 8 ? 0.9f : 0.f;
            c.Bright = 1.f;
            c.Stiff = 0.f;
            c.Velocity = 0.f;
            c.inPan = c.PanPos = c.LFO2Dec = 0.5f;
            c.Pan = 0.f;
            std::memcpy(where, &c, sizeof(c));
        }
        ASSERT_EQ(plugin->setChunk(chunk, true), 1);
    }

    std::atomic<bool> done{false};
    std::thread switcher([&] {
        for (int k = 0; !done; ++k) {
            plugin->dispatch(effSetProgram, 0, k % 2);
            std::this_thread::yield();
        }
    });
    std::vector<float> in(512, 0.f), l(512), r(512);
    in[0] = 1.f;
    int low = 0, high = 0, mixed = 0;
    for (int block = 0; block < 2000; ++block) {
        plugin->processBlock(in.data(), in.data(), l.data(), r.data(), 512);
        double early = 0.0, late = 0.0;
        for (int n = 0; n < 512; ++n)
            (n < 265 ? early : late) += static_cast<double>(l[n]) * l[n];
        if (early > 1e-6 && late > 1e-6)
            ++mixed;
        else if (late > 1e-6)
            ++low;
        else if (early > 1e-6)
            ++high;
    }
    done = true;
    switcher.join();
    EXPECT_EQ(mixed, 0) << low << " blocks of program 0, " << high << " of program 1";
    EXPECT_GT(low, 0);
    EXPECT_GT(high, 0);
}

}  // namespace
