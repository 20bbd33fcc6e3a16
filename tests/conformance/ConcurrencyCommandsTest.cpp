// Every command from another thread while audio and automation run. The file
// dialogs are answered by a stand-in dialog program on PATH (a desktop dialog
// of the X11 build), so this suite is part of the Linux tests only.
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

}  // namespace
