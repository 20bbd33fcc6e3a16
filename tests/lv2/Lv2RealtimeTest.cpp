// The LV2 run must not allocate, lock or make system calls either: counted by
// the replacements of realtime_safety_test, which this file joins. (The
// worker's work and answers run outside the counted calls, as a host's worker.)
#include "tests/conformance/AudioCallCounter.h"
#include "tests/conformance/Signal.h"
#include "tests/lv2/Lv2TestHost.h"

#include <gtest/gtest.h>

TEST(RealtimeSafety, Lv2RunNeitherAllocatesNorLocksNorCallsTheSystem)
{
    using lv2testhost::Instance;
    for (double rate : {44100.0, 96000.0}) {
        auto lv2 = Instance::create(512, rate);
        ASSERT_TRUE(lv2);
        std::vector<float> in = conformance::noise(512, 1), l(512), r(512);
        realtime::forbiddenCalls = 0;
        {
            realtime::AudioCall scope;
            lv2->save();  // the counters see into the bundle's module
        }
        ASSERT_GT(realtime::forbiddenCalls.load(), 0);
        for (int32_t program : {0, 1, 2, 3}) {
            LilvState* preset = lv2testhost::presetState(program);
            lv2->restoreState(preset);
            lilv_state_free(preset);
            for (int32_t mode = 0; mode < 8; ++mode) {
                lv2->parameters[33] = static_cast<float>(mode) / 10.f;  // every feedback delay mode
                lv2->parameters[32] = static_cast<float>(mode % 3) / 10.f;
                realtime::forbiddenCalls = 0;
                for (int block = 0; block < 40; ++block) {
                    const uint32_t frames = block % 3 == 0 ? 512 : block % 3 == 1 ? 17 : 1;
                    if (block % 10 == 0) {
                        lv2->tempo(90.0 + block, 7.f, 8);
                        for (uint32_t i = 0; i < 64; ++i)
                            lv2->midi(i * frames / 64, static_cast<uint8_t>((i % 2 ? 0x80 : 0x90) | (i % 3)),
                                      static_cast<uint8_t>(24 + i), 100);
                    }
                    const bool inPlace = block % 2;  // one buffer for an input and an output
                    if (inPlace)
                        l = r = in;
                    {
                        realtime::AudioCall scope;
                        lv2->process(inPlace ? l.data() : in.data(), inPlace ? r.data() : in.data(), l.data(), r.data(), frames);
                    }
                    lv2->work();
                }
                EXPECT_EQ(realtime::forbiddenCalls.load(), 0) << realtime::lastForbidden << " during the LV2 run, program "
                                                              << program << ", mode " << mode << ", " << rate << " Hz";
            }
        }
    }
}
