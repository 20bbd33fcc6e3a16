// The editor in a real X server while audio runs on another thread: many
// open/close cycles, automation every 10 ms with the window open, and a
// process locale that opening the editor leaves alone.
// GoogleTest first: Xlib defines None as a macro.
#include <gtest/gtest.h>

#include "../gui/XvfbSession.h"
#include "tests/conformance/Signal.h"
#include "tests/testhost/TestHost.h"

#include <X11/Xlib.h>

#include <atomic>
#include <chrono>
#include <clocale>
#include <string>
#include <thread>

namespace {
using namespace std::chrono_literals;
using testhost::PluginInstance;

class EditorStress : public XvfbTest {
protected:
    void SetUp() override
    {
        XvfbTest::SetUp();
        if (IsSkipped())
            return;
        installRecordingXErrorHandler();
        errorsBefore = recordedXErrors();
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
        parent = createHostWindow(display, 640, 420);
        plugin = PluginInstance::load();
        ASSERT_TRUE(plugin);
        plugin->prepare(44100.f, 256);
        audio = std::thread([this] {
            const std::vector<float> in = conformance::noise(256, 3);
            std::vector<float> l(256), r(256);
            int block = 0;
            while (!stopAudio) {
                if (block++ % 50 == 0)
                    plugin->sendMidi({makeMidiEvent(0x90, static_cast<uint8_t>(30 + block % 60), 100)});
                plugin->processBlock(in.data(), in.data(), l.data(), r.data(), 256);
                check.add(l.data(), 256);
                std::this_thread::sleep_for(2ms);
            }
        });
    }

    void TearDown() override
    {
        if (!SuiteXvfb::running())
            return;
        stopAudio = true;
        if (audio.joinable())
            audio.join();
        EXPECT_EQ(check.nonFinite, 0u);
        plugin.reset();
        XDestroyWindow(display, parent);
        XSync(display, False);
        XCloseDisplay(display);
        EXPECT_EQ(recordedXErrors(), errorsBefore);
    }

    void idleFor(std::chrono::milliseconds time)
    {
        const auto end = std::chrono::steady_clock::now() + time;
        while (std::chrono::steady_clock::now() < end) {
            plugin->dispatch(effEditIdle);
            std::this_thread::sleep_for(10ms);
        }
    }

    Display* display = nullptr;
    Window parent = 0;
    std::unique_ptr<PluginInstance> plugin;
    std::thread audio;
    std::atomic<bool> stopAudio{false};
    conformance::OutputCheck check;  // written by the audio thread only
    int errorsBefore = 0;
};


TEST_F(EditorStress, TwoHundredOpenCloseCyclesWhileAudioRuns)
{
    for (int cycle = 0; cycle < 200; ++cycle) {
        ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1) << cycle;
        plugin->dispatch(effEditIdle);
        if (cycle % 20 == 0)
            idleFor(50ms);
        plugin->dispatch(effEditClose);
    }
}

TEST_F(EditorStress, AutomationEvery10msWithTheEditorOpen)
{
    ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1);
    std::atomic<bool> done{false};
    std::thread automation([&] {
        std::mt19937 rng(8);
        std::uniform_real_distribution<float> unit(0.f, 1.f);
        for (int step = 0; step < 200; ++step) {
            plugin->setParameter(static_cast<int32_t>(rng() % 43), unit(rng));
            if (step % 40 == 0)
                plugin->dispatch(effSetProgram, 0, static_cast<intptr_t>(rng() % 5));
            std::this_thread::sleep_for(10ms);
        }
        done = true;
    });
    while (!done)
        idleFor(20ms);
    automation.join();
    idleFor(50ms);
    plugin->dispatch(effEditClose);
}

// The user draws bars and turns a knob while two threads automate every
// parameter and the host thread selects programs, runs commands 45 and 46 and
// restores a chunk; the editor idles and redraws all along, then closes.
TEST_F(EditorStress, DrawingWhileAutomationProgramsAndCommandsRun)
{
    ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1);
    const std::vector<uint8_t> bank = plugin->getChunk(false);
    std::atomic<bool> done{false};
    auto automation = [&](uint32_t seed) {
        std::mt19937 rng(seed);
        std::uniform_real_distribution<float> unit(0.f, 1.f);
        while (!done) {
            for (int32_t index = 0; index < 43; ++index)
                if (index != 1)  // the bars keep their type for the drawing
                    plugin->setParameter(index, index >= 32 && index <= 34 ? 0.f : unit(rng));
            std::this_thread::sleep_for(2ms);
        }
    };
    std::thread automationA(automation, 5u);
    std::thread automationB(automation, 6u);
    int step = 0;
    const bool driven = driveWhileIdling(
        [](Display*) {
            for (int stroke = 0; stroke < 3; ++stroke) {
                xdotool("mousemove 84 175 mousedown 1");
                std::this_thread::sleep_for(50ms);
                xdotool("mousemove 294 275");
                std::this_thread::sleep_for(50ms);
                xdotool("mouseup 1");
                xdotool("mousemove 121 392 mousedown 1 mousemove 133 366 mouseup 1");
            }
        },
        [&] {
            plugin->dispatch(effEditIdle);
            switch (step++ % 8) {
            case 0: plugin->dispatch(effSetProgram, 0, step % 5); break;
            case 1: plugin->setParameter(45, 8.f + static_cast<float>(step % 7)); break;
            case 2: plugin->setParameter(46, static_cast<float>(step % 6)); break;
            case 3: plugin->setParameter(45, -2.f); break;
            case 4: plugin->setChunk(bank, false); break;
            default: break;
            }
        },
        20s);
    EXPECT_TRUE(driven);
    done = true;
    automationA.join();
    automationB.join();
    idleFor(50ms);
    plugin->dispatch(effEditClose);
}

TEST_F(EditorStress, OpeningTheEditorLeavesTheProcessLocaleAlone)
{
    const char* chosen = std::setlocale(LC_ALL, "de_DE.UTF-8");
    const std::string before = std::setlocale(LC_ALL, nullptr);
    ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1);
    idleFor(100ms);
    EXPECT_EQ(std::string(std::setlocale(LC_ALL, nullptr)), before);
    // Parameter texts still use a decimal point for the host.
    EXPECT_EQ(plugin->parameterDisplay(30).find(','), std::string::npos);
    plugin->dispatch(effEditClose);
    EXPECT_EQ(std::string(std::setlocale(LC_ALL, nullptr)), before);
    if (chosen)
        std::setlocale(LC_ALL, "C");
}

}  // namespace
