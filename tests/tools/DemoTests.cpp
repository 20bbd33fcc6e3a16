// The demo must let every part of it be heard: its notes on channel 1 and on
// channel 2 each change the render of its percussive pattern.
#include "tools/DemoScene.h"
#include "tools/PluginHost.h"
#include "tools/Renderer.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tovarine::cli {
namespace {

StereoBuffer renderDemo(bool channel1Notes, bool channel2Notes)
{
    DemoScene scene = makeDemoScene();
    std::vector<TimedMidi> notes;
    for (const TimedMidi& m : scene.notes) {
        const bool feedbackVoice = (m.bytes[0] & 0x0F) == 1;
        if (feedbackVoice ? channel2Notes : channel1Notes)
            notes.push_back(m);
    }
    auto plugin = PluginHost::load(TOVARINE_PLUGIN_PATH);
    plugin->open(scene.excitation.sampleRate, 512);
    plugin->dispatch(effSetProgram, 0, kDemoProgram);
    plugin->resume();
    RenderSettings settings;
    settings.tailSeconds = 1.0;
    return render(*plugin, scene.excitation, std::move(notes), settings).audio;
}

double largestDifference(const StereoBuffer& a, const StereoBuffer& b)
{
    double largest = 0.0;
    for (std::size_t i = 0; i < std::min(a.frames(), b.frames()); ++i)
        largest = std::max({largest, double(std::abs(a.left[i] - b.left[i])), double(std::abs(a.right[i] - b.right[i]))});
    return largest;
}

TEST(Demo, EveryGroupOfNotesIsHeard)
{
    const StereoBuffer all = renderDemo(true, true);
    // Well above rounding: a change a listener hears (the demo peaks near 1).
    EXPECT_GT(largestDifference(all, renderDemo(false, true)), 0.01) << "channel-1 notes";
    EXPECT_GT(largestDifference(all, renderDemo(true, false)), 0.01) << "channel-2 note";
}

}  // namespace
}  // namespace tovarine::cli
