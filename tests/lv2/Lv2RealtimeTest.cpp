// The LV2 run (and the worker's answers, which reach the plug-in on the audio
// thread) must not allocate, lock or make system calls either: counted by the
// replacements of realtime_safety_test, which this file joins.
#include "tests/conformance/AudioCallCounter.h"
#include "tests/conformance/Signal.h"
#include "tests/lv2/Lv2TestHost.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using lv2testhost::Instance;

TEST(RealtimeSafety, Lv2RunNeitherAllocatesNorLocksNorCallsTheSystem)
{
    for (double rate : {44100.0, 96000.0}) {
        auto lv2 = Instance::create({rate, 512});
        ASSERT_TRUE(lv2);
        realtime::forbiddenCalls = 0;
        {
            realtime::AudioCall scope;
            lv2->save();  // the counters see inside the bundle's module
        }
        ASSERT_GT(realtime::forbiddenCalls.load(), 0);
        std::vector<float> in = conformance::noise(512, 1), l(512), r(512);
        for (int32_t program : {0, 1, 2, 3}) {
            char uri[128];
            std::snprintf(uri, sizeof(uri), "%s#preset-%02d", lv2testhost::kPluginUri, program);
            LilvState* preset = lv2testhost::presetState(uri);
            ASSERT_TRUE(preset);
            lv2->restoreState(preset);
            lilv_state_free(preset);
            for (int32_t mode = 0; mode < 8; ++mode) {
                lv2->setParameter(33, static_cast<float>(mode) / 10.f);  // every feedback delay mode
                lv2->setParameter(32, static_cast<float>(mode % 3) / 10.f);
                realtime::forbiddenCalls = 0;
                for (int block = 0; block < 40; ++block) {
                    const uint32_t frames = block % 3 == 0 ? 512 : block % 3 == 1 ? 17 : 1;
                    if (block % 10 == 0) {
                        lv2->tempo(0, 90.0 + block, 7.f, 8);
                        for (uint32_t i = 0; i < 64; ++i)
                            lv2->midi(i * frames / 64, static_cast<uint8_t>((i % 2 ? 0x80 : 0x90) | (i % 3)),
                                      static_cast<uint8_t>(24 + i), 100);
                    }
                    const bool inPlace = block % 2;  // one buffer for an input and an output
                    if (inPlace)
                        l = r = in;
                    {
                        realtime::AudioCall scope;
                        if (inPlace)
                            lv2->process(l.data(), r.data(), l.data(), r.data(), frames);
                        else
                            lv2->process(in.data(), in.data(), l.data(), r.data(), frames);
                    }
                    lv2->doScheduledWork();
                    {
                        realtime::AudioCall scope;
                        lv2->deliverWorkResponses();
                    }
                }
                EXPECT_EQ(realtime::forbiddenCalls.load(), 0) << realtime::lastForbidden << " during the LV2 run, program "
                                                              << program << ", mode " << mode << ", " << rate << " Hz";
            }
        }
    }
}

}  // namespace
