// Nothing of the window system may be needed before the host opens the editor: the
// plug-in loads and processes on a machine without an X server, and a frame whose
// window cannot be made still works offscreen.
#include "gui/CFrame.h"
#include "gui/FrameSnapshot.h"
#include "tests/testhost/TestHost.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {
// Points DISPLAY at a server that does not exist for the scope.
struct NoXServer {
    std::string saved;
    bool had = false;
    NoXServer()
    {
        if (const char* display = std::getenv("DISPLAY")) {
            saved = display;
            had = true;
        }
        setenv("DISPLAY", ":4711", 1);
    }
    ~NoXServer()
    {
        if (had)
            setenv("DISPLAY", saved.c_str(), 1);
        else
            unsetenv("DISPLAY");
    }
};
}  // namespace

TEST(WithoutXServer, PluginLoadsAndProcesses)
{
    NoXServer noServer;
    auto plugin = testhost::PluginInstance::load();
    ASSERT_NE(plugin, nullptr);
    plugin->prepare(48000.f, 256);
    std::vector<float> left(1024, 0.1f), right(1024, -0.1f);
    plugin->processReplacing(left, right, 256);
    ERect* rect = nullptr;
    EXPECT_EQ(plugin->dispatch(effEditGetRect, 0, 0, &rect), 1);
    plugin->close();
}

TEST(WithoutXServer, FrameWithoutAWindowStillDrawsOffscreen)
{
    NoXServer noServer;
    CFrame frame(CRect(0, 0, 64, 32), reinterpret_cast<void*>(uintptr_t(0x1234)), nullptr);
    EXPECT_FALSE(frame.isWindowOpened());
    EXPECT_EQ(frame.createDrawContext(), nullptr);
    frame.idle();
    const std::string path = ::testing::TempDir() + "tovarine_nox.png";
    EXPECT_TRUE(saveFrameAsPng(&frame, path.c_str()));
    std::remove(path.c_str());
}
