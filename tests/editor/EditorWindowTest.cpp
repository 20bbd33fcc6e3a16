// The built plug-in's editor in a real X server (a private Xvfb), opened by a host
// through effEditOpen inside the host's own window and driven with xdotool: drawing
// on the bars, the selector, a knob, the command menu, the envelope strip, and many
// open and close cycles.
// GoogleTest first: Xlib defines None as a macro.
#include <gtest/gtest.h>

#include "../gui/XvfbSession.h"
#include "programs/ProgramRecord.h"
#include "tests/testhost/TestHost.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <functional>
#include <string>
#include <thread>

namespace {
using namespace std::chrono_literals;

int openFileDescriptors()
{
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir))
            ++count;
        closedir(dir);
    }
    return count;
}

// The current program as the host saves it: the raw record bytes.
struct SavedProgram {
    alignas(ProgramRecord) unsigned char bytes[sizeof(ProgramRecord)] = {};
    const ProgramRecord* operator->() const { return reinterpret_cast<const ProgramRecord*>(bytes); }
};

SavedProgram currentProgram(testhost::PluginInstance& plugin)
{
    SavedProgram record;
    const std::vector<uint8_t> chunk = plugin.getChunk(true);
    EXPECT_EQ(chunk.size(), sizeof(ProgramRecord));
    if (chunk.size() == sizeof(ProgramRecord))
        std::memcpy(record.bytes, chunk.data(), sizeof(record.bytes));
    return record;
}

class EditorWindow : public XvfbTest {
protected:
    void SetUp() override
    {
        XvfbTest::SetUp();
        if (IsSkipped())
            return;
        if (std::system("command -v xdotool >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "xdotool is not installed";
        installRecordingXErrorHandler();
        errorsBefore = recordedXErrors();
        host = XOpenDisplay(nullptr);
        ASSERT_NE(host, nullptr);
        parent = createHostWindow(host, 640, 420);
        plugin = testhost::PluginInstance::load();
        ASSERT_NE(plugin, nullptr);
        plugin->prepare(44100.f, 256);
        ERect* rect = nullptr;
        ASSERT_EQ(plugin->dispatch(effEditGetRect, 0, 0, &rect), 1);
        ASSERT_NE(rect, nullptr);
        EXPECT_EQ(rect->right - rect->left, 640);
        EXPECT_EQ(rect->bottom - rect->top, 420);
        openEditor();
    }

    void TearDown() override
    {
        if (!SuiteXvfb::running() || !host)
            return;
        if (plugin)
            plugin->dispatch(effEditClose);
        plugin.reset();
        XDestroyWindow(host, parent);
        XSync(host, False);
        XCloseDisplay(host);
        EXPECT_EQ(recordedXErrors(), errorsBefore);
    }

    void openEditor()
    {
        EXPECT_EQ(plugin->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1);
        pumpFor(200ms);
    }

    // The host's editor idle every 10 ms.
    void pumpFor(std::chrono::milliseconds time)
    {
        const auto end = std::chrono::steady_clock::now() + time;
        while (std::chrono::steady_clock::now() < end) {
            plugin->dispatch(effEditIdle);
            std::this_thread::sleep_for(10ms);
        }
    }

    // Runs the pointer script on its own thread (and X connection) while the host idles.
    void drive(const std::function<void(Display*)>& driver)
    {
        EXPECT_TRUE(driveWhileIdling(driver, [this] { plugin->dispatch(effEditIdle); }, 20s));
        pumpFor(100ms);
    }

    // A pixel of the editor as the X server shows it.
    uint32_t screenPixel(int x, int y)
    {
        XImage* image = XGetImage(host, parent, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image)
            return 0xFFFFFFFF;
        const uint32_t pixel = uint32_t(XGetPixel(image, 0, 0)) & 0xFFFFFF;
        XDestroyImage(image);
        return pixel;
    }

    int callbackCount(int32_t opcode, int32_t index) const
    {
        int count = 0;
        for (const auto& c : plugin->callbacks)
            count += c.opcode == opcode && c.index == index;
        return count;
    }

    std::unique_ptr<testhost::PluginInstance> plugin;
    Display* host = nullptr;
    Window parent = 0;
    int errorsBefore = 0;
};

TEST_F(EditorWindow, SelectorClickAndDrawingReachTheProgram)
{
    // The selector's second segment ("Decay").
    drive([](Display*) { xdotool("mousemove 70 100 click 1"); });
    EXPECT_FLOAT_EQ(plugin->getParameter(1), 1.f / 14.f);

    // Press on column 10 at 3/4 height, jump to column 40 at 1/4, release.
    drive([](Display*) {
        xdotool("mousemove 84 175 mousedown 1");
        std::this_thread::sleep_for(200ms);
        xdotool("mousemove 294 275");
        std::this_thread::sleep_for(200ms);
        xdotool("mouseup 1");
        std::this_thread::sleep_for(100ms);
    });
    const SavedProgram record = currentProgram(*plugin);
    EXPECT_NEAR(record->combSettings[10].Decay, 0.75f, 0.01f);
    EXPECT_NEAR(record->combSettings[40].Decay, 0.25f, 0.01f);
    EXPECT_EQ(callbackCount(audioMasterBeginEdit, 44), 1);
    EXPECT_EQ(callbackCount(audioMasterEndEdit, 44), 1);
}

TEST_F(EditorWindow, TurningAKnobAutomatesTheHostInsideAnEditGesture)
{
    plugin->callbacks.clear();
    drive([](Display*) {
        xdotool("mousemove 121 392 mousedown 1");
        std::this_thread::sleep_for(200ms);
        xdotool("mousemove 133 366");
        std::this_thread::sleep_for(200ms);
        xdotool("mouseup 1");
        std::this_thread::sleep_for(100ms);
    });
    EXPECT_EQ(callbackCount(audioMasterBeginEdit, 20), 1);
    EXPECT_GE(callbackCount(audioMasterAutomate, 20), 1);
    EXPECT_EQ(callbackCount(audioMasterEndEdit, 20), 1);
    EXPECT_NEAR(plugin->getParameter(20), 0.5f, 0.1f);  // the top of the knob's sweep
}

TEST_F(EditorWindow, CommandMenuSubmenuSetsTensionModeling)
{
    // Menu rows are 20 pixels and separators 7, inside a 1 pixel border.
    drive([](Display* display) {
        xdotool("mousemove 300 200 click 3");
        if (waitForMenus(display, 1).empty())
            return;
        xdotool("mousemove 340 " + std::to_string(200 + 1 + 20 + 20 + 7 + 20 + 10));  // "Tension modeling"
        const std::vector<ScreenRect> menus = waitForMenus(display, 2);
        if (menus.size() < 2)
            return;
        const ScreenRect submenu = menus[0].x > menus[1].x ? menus[0] : menus[1];
        xdotool("mousemove " + std::to_string(submenu.x + 30) + " " + std::to_string(submenu.y + 1 + 40 + 10) + " click 1");
        waitForMenus(display, 0);
    });
    EXPECT_EQ(plugin->getParameter(32), 0.2f);  // "Model B", read back as stored
    EXPECT_FLOAT_EQ(currentProgram(*plugin)->fParams[32], 0.2f);
}

TEST_F(EditorWindow, NotesLightUpTheEnvelopeStrip)
{
    constexpr uint32_t kDarkBrown = 0x794309;
    const int x = 11 + 48 * 7 + 3;  // note 60 rings resonator 48
    EXPECT_EQ(screenPixel(x, 333), kDarkBrown);
    plugin->sendMidi({makeMidiEvent(0x90, 60, 127)});
    std::vector<float> left(4096, 0.f), right(4096, 0.f);
    plugin->processReplacing(left, right, 256);
    pumpFor(200ms);
    EXPECT_NE(screenPixel(x, 333), kDarkBrown);
    EXPECT_EQ(screenPixel(11 + 47 * 7 + 3, 333), kDarkBrown);
}

TEST_F(EditorWindow, OpenAndCloseFiftyTimesLeavesNoWindowOrConnection)
{
    plugin->dispatch(effEditClose);
    pumpFor(50ms);
    const int descriptors = openFileDescriptors();
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(plugin->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1);
        for (int k = 0; k < 3; ++k)
            plugin->dispatch(effEditIdle);
        plugin->setParameter(30, float(i % 10) / 10.f);
        plugin->dispatch(effEditClose);
    }
    EXPECT_EQ(openFileDescriptors(), descriptors);
    XSync(host, False);
    Window root, up, *children = nullptr;
    unsigned int count = 0;
    XQueryTree(host, parent, &root, &up, &children, &count);
    if (children)
        XFree(children);
    EXPECT_EQ(count, 0u);
    openEditor();  // TearDown closes it again
}

}  // namespace
