// A private X server for the window tests: Xvfb on a display number it finds free,
// started once for the test program and stopped at its end.
#pragma once

// GoogleTest first: Xlib defines None as a macro.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

class XvfbSession {
public:
    // Starts the server and points DISPLAY at it. False (with a reason) when Xvfb is not
    // installed or does not come up.
    bool start(std::string& reason);
    void stop();
    ~XvfbSession() { stop(); }

    const std::string& displayName() const { return name; }

private:
    pid_t pid = -1;
    std::string name;
};

// Records X errors of the test's own connections (the framework traps its own).
int recordedXErrors();
void installRecordingXErrorHandler();

// One private server shared by a whole test suite: call start() from
// SetUpTestSuite and stop() from TearDownTestSuite; tests skip with the
// reason when it is not running.
class SuiteXvfb {
public:
    static void start();
    static void stop();
    static bool running();
    static const std::string& skipReason();
};

// Fixture of the window tests: the suite shares one private server, and each
// test skips when it is not running. Fixtures that derive from it call its
// SetUp first and return when the test was skipped.
class XvfbTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { SuiteXvfb::start(); }
    static void TearDownTestSuite() { SuiteXvfb::stop(); }
    void SetUp() override
    {
        if (!SuiteXvfb::running())
            GTEST_SKIP() << SuiteXvfb::skipReason();
    }
};

// The host's editor window: a mapped top-level window at the screen's top-left
// corner (there is no window manager).
Window createHostWindow(Display* display, int width, int height);

// Pointer and keys through the XTEST extension, as a user would press them.
void xdotool(const std::string& arguments);

struct ScreenRect {
    int x, y, w, h;
};

// Runs `driver` (a user at the pointer and keys) on a thread of its own with its
// own X connection, calling `idle` every 10 ms meanwhile, as a host's event loop
// would. False when the driver did not finish within `limit`.
bool driveWhileIdling(const std::function<void(Display*)>& driver, const std::function<void()>& idle,
                      std::chrono::milliseconds limit);

// The framework's popup menus that are on screen, bottom to top.
std::vector<ScreenRect> openMenus(Display* display);
// Waits up to 5 s until `count` menus are open on the connection.
std::vector<ScreenRect> waitForMenus(Display* display, std::size_t count);
