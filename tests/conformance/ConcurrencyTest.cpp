// Other threads change parameters, programs, chunks and run the commands while
// the audio thread runs. Nothing may crash or read out of bounds, and under
// ThreadSanitizer (scripts/tsan.sh) nothing may race; a program change must
// reach the audio thread whole.
#include "programs/ProgramRecord.h"
#include "tests/conformance/Signal.h"
#include "tests/testhost/ScratchDirectory.h"
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

// Two automation threads sweep all 43 parameters while a third selects programs,
// restores bank and program chunks and runs every command of 45 (the tuning file
// and the impulse through a stand-in dialog, reload, derive, nudges, reset) and 46;
// the audio thread plays notes on both channels. effClose comes after all of it.
TEST(Concurrency, EverythingFromOtherThreadsWhileProcessing)
{
    testhost::ScratchDirectory tools{"concurrency", testhost::ScratchDirectory::kFirstOnPath};
    tools.writeScript("zenity", "printf x >> '" + tools.path() + "/runs'\n" + "case \"$*\" in\n" +
                                    "*TUN*) printf '%s\\n' '" TOVARINE_TESTDATA_DIR "/tun/parnassus_19EDO_v2.tun' ;;\n" +
                                    "*WAV*) printf '%s\\n' '" TOVARINE_TESTDATA_DIR "/wav/rakarrack_2_superchamp.wav' ;;\n" +
                                    "*) exit 1 ;;\nesac\n");
    auto plugin = PluginInstance::load();
    ASSERT_TRUE(plugin);
    plugin->prepare(44100.f, 128);
    const std::vector<uint8_t> bank = plugin->getChunk(false);
    const std::vector<uint8_t> program = plugin->getChunk(true);

    std::atomic<bool> done{false};
    auto automation = [&](uint32_t seed) {
        std::mt19937 rng(seed);
        std::uniform_real_distribution<float> unit(0.f, 1.f);
        for (int sweep = 0; !done; ++sweep)
            for (int32_t index = 0; index < kNumParams; ++index)
                plugin->setParameter(index, index == 32 || index == 33 || index == 34 ? 0.1f * (sweep % 3) : unit(rng));
    };
    std::thread automationA(automation, 1u);
    std::thread automationB(automation, 2u);
    std::thread control([&] {
        const float commands45[] = {0.f, 1.f, -1.f, -2.f, 8.f, 9.f, 10.f, 11.f, 12.f, 13.f, 14.f};
        for (int round = 0; round < 3; ++round) {
            for (float command : commands45) {
                plugin->setParameter(1, 0.07f * static_cast<float>(round * 5 + 1));  // the type nudged or reset
                plugin->setParameter(45, command);
            }
            for (int division = 0; division < 6; ++division)
                plugin->setParameter(46, static_cast<float>(division));
            for (int32_t p = 0; p < 4; ++p)
                plugin->dispatch(effSetProgram, 0, p + 4 * round);
            EXPECT_EQ(plugin->setChunk(bank, false), 1);
            EXPECT_EQ(plugin->setChunk(program, true), 1);
            plugin->programName();
            plugin->parameterDisplay(30);
            plugin->getChunk(false);
        }
        done = true;
    });

    const std::vector<float> in = conformance::noise(128, 44);
    std::vector<float> l(128), r(128);
    conformance::OutputCheck check;
    for (int block = 0; !done || block < 200; ++block) {
        if (block % 20 == 0)
            plugin->sendMidi({makeMidiEvent(0x90, static_cast<uint8_t>(30 + block % 60), 100),
                              makeMidiEvent(0x91, static_cast<uint8_t>(40 + block % 30), 90, 7)});
        plugin->processBlock(in.data(), in.data(), l.data(), r.data(), 128);
        check.add(l.data(), 128);
        check.add(r.data(), 128);
    }
    automationA.join();
    automationB.join();
    control.join();
    plugin->close();
    EXPECT_EQ(check.nonFinite, 0u);
    EXPECT_EQ(testhost::readWholeFile(tools.path() + "/runs"), "xxxxxx");  // both dialogs, every round
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
