// Hosts restore state and presets and change ports while audio runs (a preset
// loads without stopping it): under ThreadSanitizer this must show no race, and
// the output must stay finite throughout.
#include "tests/lv2/Lv2TestHost.h"
#include "tests/conformance/Signal.h"

#include <gtest/gtest.h>

#include <lv2/atom/atom.h>

#include <cstring>
#include <thread>

namespace {

using lv2testhost::Instance;

TEST(Lv2Concurrency, RestoreAndPortChangesRaceRun)
{
    auto lv2 = Instance::create({44100.0, 64});
    ASSERT_TRUE(lv2);
    lv2testhost::Properties other = lv2->save();
    lv2testhost::Property* program = lv2testhost::find(other, LV2_ATOM__Int, sizeof(int32_t));
    ASSERT_TRUE(program);
    const int32_t three = 3;
    std::memcpy(program->value.data(), &three, sizeof(three));
    const lv2testhost::Properties first = lv2->save();
    char uri[128];
    std::snprintf(uri, sizeof(uri), "%s#preset-%02d", lv2testhost::kPluginUri, 7);
    LilvState* preset = lv2testhost::presetState(uri);
    ASSERT_TRUE(preset);

    std::atomic<bool> running{true};
    conformance::OutputCheck check;
    std::thread audio([&] {
        const std::vector<float> in = conformance::noise(64, 3);
        std::vector<float> l(64), r(64);
        for (int block = 0; running; ++block) {
            if (block % 8 == 0)
                lv2->midi(static_cast<uint32_t>(block % 64), static_cast<uint8_t>(block % 16 ? 0x90 : 0x91), 40 + block % 40, 100);
            lv2->run(in.data(), in.data(), l.data(), r.data(), 64);
            check.add(l.data(), l.size());
        }
    });
    for (int round = 0; round < 30; ++round) {
        lv2->restore(round % 2 ? other : first);
        if (round % 5 == 0)
            lv2->restoreState(preset);
        for (uint32_t i = 0; i < lv2testhost::kParameterCount; ++i)
            lv2->setParameter(i, static_cast<float>((round * 7 + i) % 11) / 10.f);
    }
    running = false;
    audio.join();
    lilv_state_free(preset);
    EXPECT_EQ(check.nonFinite, 0u);
}

}  // namespace
