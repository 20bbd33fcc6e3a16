// The demo lets every part of it be heard: its channel-1 chords and its
// channel-2 note each change the render of its percussive pattern.
#include "tools/DemoScene.h"
#include "tools/PluginHost.h"
#include "tools/Renderer.h"

#include <gtest/gtest.h>

namespace tovarine::cli {

TEST(Demo, EveryGroupOfNotesIsHeard)
{
    auto renderWithout = [](int leftOutChannel) {
        DemoScene scene = makeDemoScene();
        std::erase_if(scene.notes, [&](const TimedMidi& m) { return (m.bytes[0] & 0x0F) == leftOutChannel; });
        auto plugin = PluginHost::load(TOVARINE_PLUGIN_PATH);
        plugin->open(scene.excitation.sampleRate, 512);
        plugin->dispatch(effSetProgram, 0, kDemoProgram);
        plugin->resume();
        return render(*plugin, scene.excitation, scene.notes, {.tailSeconds = 1.0}).audio.left;
    };
    const std::vector<float> all = renderWithout(-1);
    for (int channel : {0, 1}) {
        const std::vector<float> without = renderWithout(channel);
        float largest = 0.f;  // well above rounding: a change a listener hears (the demo peaks near 1)
        for (std::size_t i = 0; i < std::min(all.size(), without.size()); ++i)
            largest = std::max(largest, std::abs(all[i] - without[i]));
        EXPECT_GT(largest, 0.01f) << "MIDI channel " << channel + 1;
    }
}

}  // namespace tovarine::cli
