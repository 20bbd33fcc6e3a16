// Construction and destruction as a host sees them: entry points, descriptor, refusal.
#include "tests/testhost/TestHost.h"

#include <gtest/gtest.h>

using testhost::LoadOptions;
using testhost::PluginInstance;

namespace {

TEST(Descriptor, BothEntryPointsGiveTheSameDescriptor)
{
    for (const char* entry : {"VSTPluginMain", "main"}) {
        LoadOptions options;
        options.entryPoint = entry;
        auto plugin = PluginInstance::load(options);
        ASSERT_TRUE(plugin) << entry;
        const AEffect* e = plugin->effect();
        EXPECT_EQ(e->magic, kEffectMagic);
        EXPECT_EQ(e->numPrograms, 32);
        EXPECT_EQ(e->numParams, 43);
        EXPECT_EQ(e->numInputs, 2);
        EXPECT_EQ(e->numOutputs, 2);
        EXPECT_EQ(e->flags, testhost::kPluginHasEditor ? 0x31 : 0x30);
        EXPECT_EQ(e->uniqueID, vstFourCC('T', 'V', 'R', 'C'));
        EXPECT_EQ(e->version, 1);
        EXPECT_EQ(e->initialDelay, 0);
        EXPECT_EQ(e->realQualities, 0);
        EXPECT_EQ(e->offQualities, 0);
        EXPECT_FLOAT_EQ(e->ioRatio, 1.f);
        EXPECT_NE(e->object, nullptr);
        EXPECT_NE(e->processReplacing, nullptr);
        EXPECT_EQ(e->processDoubleReplacing, nullptr);
        for (char c : e->future)
            EXPECT_EQ(c, 0);
    }
}

TEST(Descriptor, HostOlderThanVst2IsRefused)
{
    LoadOptions options;
    options.versionAnswer = 0;
    EXPECT_FALSE(PluginInstance::load(options));
}

TEST(Descriptor, ConstructionAsksForIdleOnceAndCurrentProgramIsZero)
{
    auto plugin = PluginInstance::load();
    ASSERT_TRUE(plugin);
    EXPECT_EQ(plugin->count(audioMasterNeedIdle), 1);
    EXPECT_EQ(plugin->dispatch(effGetProgram), 0);
}

TEST(Descriptor, CloseDestroysTheInstanceAndAnswersOne)
{
    auto plugin = PluginInstance::load();
    ASSERT_TRUE(plugin);
    EXPECT_EQ(plugin->close(), 1);
    EXPECT_EQ(plugin->effect(), nullptr);
    // The instance is gone; the leak checker of the sanitizer build confirms nothing is left.
}

TEST(Descriptor, ManyInstancesLiveSideBySide)
{
    std::vector<std::unique_ptr<PluginInstance>> plugins;
    for (int i = 0; i < 8; ++i) {
        plugins.push_back(PluginInstance::load());
        ASSERT_TRUE(plugins.back());
    }
    plugins[3]->dispatch(effSetProgram, 0, 4);
    EXPECT_EQ(plugins[3]->dispatch(effGetProgram), 4);
    EXPECT_EQ(plugins[2]->dispatch(effGetProgram), 0);
}

}  // namespace
