// The LV2 bundle must sound as the VST 2 plug-in does, bit for bit: the same
// scenes, block lengths, MIDI and tempo, and each factory preset as the
// program it is.
#include "tests/lv2/Lv2SceneHost.h"
#include "tests/testhost/TestHost.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using lv2testhost::firstDifference;
using lv2testhost::Instance;
using lv2testhost::Lv2SceneHost;
using testhost::PluginInstance;

std::vector<float> vstRender(const scenes::Scene& scene, const std::vector<int32_t>& blocks, std::size_t maxFrames,
                             int32_t program = 0)
{
    auto vst = PluginInstance::load();
    if (!vst)
        return {};
    vst->prepare(scenes::kRate, *std::max_element(blocks.begin(), blocks.end()));
    vst->dispatch(effSetProgram, 0, program);
    scenes::VstSceneHost host(*vst);
    return scenes::render(scene, host, blocks, maxFrames);
}

std::vector<float> lv2Render(const scenes::Scene& scene, const std::vector<int32_t>& blocks, std::size_t maxFrames,
                             bool inPlace, const LilvState* preset = nullptr)
{
    auto lv2 = Instance::create({scenes::kRate, *std::max_element(blocks.begin(), blocks.end())});
    if (!lv2)
        return {};
    if (preset)
        lv2->restoreState(preset);
    Lv2SceneHost host(*lv2, inPlace);
    return scenes::render(scene, host, blocks, maxFrames);
}

TEST(Lv2Renders, EveryScenePlaysAsInTheVst2BuildAtEveryBlockLength)
{
    ASSERT_TRUE(Instance::create()) << "the bundle was not found or did not instantiate";
    struct Blocks {
        std::vector<int32_t> lengths;
        std::size_t maxFrames;  // single frames are slow: a short scene
    };
    for (const scenes::Scene& scene : scenes::all()) {
        std::vector<Blocks> cases = {{{1}, 12000}, {{17}, SIZE_MAX}, {{512}, SIZE_MAX}, {{8192}, SIZE_MAX}};
        if (scene.blocks)
            cases.push_back({scene.blocks(), SIZE_MAX});
        for (const Blocks& c : cases) {
            const std::vector<float> expected = vstRender(scene, c.lengths, c.maxFrames);
            ASSERT_FALSE(expected.empty());
            for (bool inPlace : {false, true})
                EXPECT_EQ(firstDifference(lv2Render(scene, c.lengths, c.maxFrames, inPlace), expected), -1)
                    << scene.name << ", blocks of " << c.lengths[0] << (c.lengths.size() > 1 ? " and others" : "")
                    << (inPlace ? ", buffers in place" : "");
        }
    }
}

// A host may set ports right after a restore, before the next block (as after
// loading a preset): the values the ports hold when the block runs are the ones that play.
TEST(Lv2Renders, PortsSetAfterARestorePlayInTheNextBlock)
{
    const scenes::Scene& onNoise = scenes::all()[0];
    auto vst = PluginInstance::load();
    ASSERT_TRUE(vst);
    vst->prepare(scenes::kRate, 512);
    auto lv2 = Instance::create();
    ASSERT_TRUE(lv2);
    lv2->restore(lv2->save());
    for (auto [index, value] : {std::pair{20, 0.9f}, {31, 0.8f}, {22, 0.3f}}) {
        vst->setParameter(index, value);
        lv2->setParameter(static_cast<uint32_t>(index), value);
    }
    scenes::VstSceneHost vstHost(*vst);
    Lv2SceneHost lv2Host(*lv2);
    EXPECT_EQ(firstDifference(scenes::render(onNoise, lv2Host, {512}, 8192), scenes::render(onNoise, vstHost, {512}, 8192)), -1);
}

TEST(Lv2Presets, EachFactoryPresetIsItsProgram)
{
    auto vst = PluginInstance::load();
    ASSERT_TRUE(vst);
    const scenes::Scene& onNoise = scenes::all()[0];
    for (int32_t n = 0; n < kNumPrograms; ++n) {
        char uri[128];
        std::snprintf(uri, sizeof(uri), "%s#preset-%02d", lv2testhost::kPluginUri, n);
        LilvState* preset = lv2testhost::presetState(uri);
        ASSERT_TRUE(preset) << uri;
        EXPECT_STREQ(lilv_state_get_label(preset), vst->programNameIndexed(n).c_str()) << uri;
        EXPECT_EQ(firstDifference(lv2Render(onNoise, {512}, 16384, false, preset), vstRender(onNoise, {512}, 16384, n)), -1)
            << uri;
        lilv_state_free(preset);
    }
}

}  // namespace
