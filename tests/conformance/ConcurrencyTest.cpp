// A second thread changes parameters and programs while the audio thread runs.
// The engine shares its fields without locks by design; nothing may crash or
// read out of bounds.
#include "tests/conformance/Signal.h"
#include "tests/testhost/TestHost.h"

#include <gtest/gtest.h>

#include <atomic>
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

}  // namespace
