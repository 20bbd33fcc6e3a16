// GoogleTest first: Xlib defines None as a macro.
#include <gtest/gtest.h>

#include "XvfbSession.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {
int xErrors = 0;

int recordError(Display* display, XErrorEvent* event)
{
    char text[256];
    XGetErrorText(display, event->error_code, text, sizeof(text));
    std::fprintf(stderr, "X error: %s (request %d)\n", text, event->request_code);
    ++xErrors;
    return 0;
}

std::string findXvfb()
{
    for (const char* candidate : {"/usr/bin/Xvfb", "/usr/local/bin/Xvfb"})
        if (access(candidate, X_OK) == 0)
            return candidate;
    return {};
}
}  // namespace

int recordedXErrors()
{
    return xErrors;
}

void installRecordingXErrorHandler()
{
    XSetErrorHandler(recordError);
}

bool XvfbSession::start(std::string& reason)
{
    const std::string xvfb = findXvfb();
    if (xvfb.empty()) {
        reason = "Xvfb is not installed";
        return false;
    }
    // The server picks a free display number itself and writes it to the pipe
    // (-displayfd), so parallel test programs never race for a number. -noreset keeps it
    // from restarting whenever its last client disconnects.
    int channel[2];
    if (pipe(channel) != 0) {
        reason = "no pipe";
        return false;
    }
    pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);  // never outlive the test program
        dup2(channel[1], 3);
        const int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, 1);
        dup2(devNull, 2);
        execl(xvfb.c_str(), xvfb.c_str(), "-displayfd", "3", "-nolisten", "tcp", "-noreset", "-screen", "0",
            "1024x768x24", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(channel[1]);
    if (pid < 0) {
        close(channel[0]);
        reason = "Xvfb could not be started";
        return false;
    }
    std::string number;
    pollfd descriptor{channel[0], POLLIN, 0};
    while (number.find('\n') == std::string::npos && poll(&descriptor, 1, 10000) > 0) {
        char buffer[32];
        const ssize_t got = read(channel[0], buffer, sizeof(buffer));
        if (got <= 0)
            break;
        number.append(buffer, size_t(got));
    }
    close(channel[0]);
    while (!number.empty() && (number.back() == '\n' || number.back() == ' '))
        number.pop_back();
    if (number.empty()) {
        stop();
        reason = "Xvfb did not start";
        return false;
    }
    name = ":" + number;
    setenv("DISPLAY", name.c_str(), 1);
    return true;
}

void XvfbSession::stop()
{
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }
}

namespace {
XvfbSession* suiteSession = nullptr;
std::string suiteSkipReason;
}  // namespace

void SuiteXvfb::start()
{
    XInitThreads();
    suiteSession = new XvfbSession;
    if (!suiteSession->start(suiteSkipReason)) {
        delete suiteSession;
        suiteSession = nullptr;
    }
}

void SuiteXvfb::stop()
{
    delete suiteSession;
    suiteSession = nullptr;
}

bool SuiteXvfb::running() { return suiteSession != nullptr; }
const std::string& SuiteXvfb::skipReason() { return suiteSkipReason; }

Window createHostWindow(Display* display, int width, int height)
{
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0,
                                              static_cast<unsigned>(width), static_cast<unsigned>(height), 0, 0, 0);
    XMapWindow(display, window);
    XSync(display, False);
    return window;
}

void xdotool(const std::string& arguments)
{
    const std::string command = "xdotool " + arguments + " >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

std::vector<ScreenRect> openMenus(Display* display)
{
    std::vector<ScreenRect> menus;
    Window root = None, parent = None, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return menus;
    for (unsigned int i = 0; i < count; ++i) {
        char* name = nullptr;
        XWindowAttributes attributes;
        if (XFetchName(display, children[i], &name) && name) {
            const bool isMenu = std::string(name) == "Tovarine menu";
            XFree(name);
            if (isMenu && XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable)
                menus.push_back({attributes.x, attributes.y, attributes.width, attributes.height});
        }
    }
    if (children)
        XFree(children);
    return menus;
}

std::vector<ScreenRect> waitForMenus(Display* display, std::size_t count)
{
    for (int i = 0; i < 500; ++i) {
        std::vector<ScreenRect> menus = openMenus(display);
        if (menus.size() == count)
            return menus;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ADD_FAILURE() << "expected " << count << " open menus";
    return {};
}

bool driveWhileIdling(const std::function<void(Display*)>& driver, const std::function<void()>& idle,
                      std::chrono::milliseconds limit)
{
    std::atomic<bool> done{false};
    std::thread thread([&] {
        Display* display = XOpenDisplay(nullptr);
        driver(display);
        XCloseDisplay(display);
        done = true;
    });
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done && std::chrono::steady_clock::now() < end) {
        idle();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    thread.join();
    return done;
}
