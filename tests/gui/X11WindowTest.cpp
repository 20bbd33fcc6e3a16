// The frame in a real X server (a private Xvfb): popup menus driven by pointer and
// keyboard, a knob dragged with the mouse, and files and text dropped by an XDND source.
// GoogleTest first: Xlib defines None as a macro.
#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "XvfbSession.h"

#include "gui/CBitmap.h"
#include "gui/CKnob.h"
#include "gui/COptionMenu.h"
#include "gui/InputState.h"
#include "platform/x11/X11ErrorTrap.h"
#include "platform/x11/X11PopupMenu.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace {
using namespace std::chrono_literals;

// The centre of entry `index` of a menu without separators, in screen coordinates.
std::pair<int, int> entryCentre(const ScreenRect& menu, int index)
{
    return {menu.x + 40, menu.y + X11PopupMenu::kBorder + index * X11PopupMenu::kItemHeight + X11PopupMenu::kItemHeight / 2};
}

class DropRecorder : public CView {
public:
    explicit DropRecorder(const CRect& size) : CView(size) {}
    bool onDrop(void** items, int32_t count, int32_t type, CPoint& where) override
    {
        dropType = type;
        dropCount = count;
        dropWhere = where;
        firstItem = count > 0 ? static_cast<const char*>(items[0]) : "";
        ++drops;
        return true;
    }
    int drops = 0;
    int32_t dropType = -1;
    int32_t dropCount = 0;
    CPoint dropWhere;
    std::string firstItem;
};

class X11Window : public XvfbTest {
public:
    // Runs `driver` on a thread of its own (with its own X connection) while idling.
    void drive(const std::function<void(Display*)>& driver)
    {
        EXPECT_TRUE(driveWhileIdling(driver, [this] { editor->idle(); }, 10s)) << "timed out";
        editor->idle();
    }

protected:
    void SetUp() override
    {
        XvfbTest::SetUp();
        if (IsSkipped())
            return;
        host = XOpenDisplay(nullptr);
        ASSERT_NE(host, nullptr);
        installRecordingXErrorHandler();
        errorsBefore = recordedXErrors();
        trappedBefore = X11ErrorTrap::totalErrors();
        parent = createHostWindow(host, 400, 300);
        hostCalls().clear();
        editor = new TestEditor(&effect);  // owned by the effect from here on
        editor->open(reinterpret_cast<void*>(parent));
        frame = new CFrame(CRect(0, 0, 300, 200), reinterpret_cast<void*>(parent), editor);
        editor->setFrame(frame);
        ASSERT_TRUE(frame->isWindowOpened());
        pumpFor(150ms);
    }

    void TearDown() override
    {
        if (!SuiteXvfb::running() || !host)
            return;
        editor->setKnobMode(kCircularMode);
        editor->close();
        XDestroyWindow(host, parent);
        XSync(host, False);
        XCloseDisplay(host);
        EXPECT_EQ(recordedXErrors(), errorsBefore);
        EXPECT_EQ(X11ErrorTrap::totalErrors(), trappedBefore);
    }

    // Runs the editor's idle as a host would, every 10 ms, for `time`.
    void pumpFor(std::chrono::milliseconds time)
    {
        const auto end = std::chrono::steady_clock::now() + time;
        while (std::chrono::steady_clock::now() < end) {
            editor->idle();
            std::this_thread::sleep_for(10ms);
        }
    }
    RecordingEffect effect;
    TestEditor* editor = nullptr;  // owned by the effect
    CFrame* frame = nullptr;
    Display* host = nullptr;
    Window parent = None;
    int errorsBefore = 0;
    int trappedBefore = 0;
};
}  // namespace

namespace {
// Fills its rectangle red at value 0 and blue otherwise.
class ColourView : public CControl {
public:
    explicit ColourView(const CRect& size) : CControl(size) {}
    void draw(CDrawContext* context) override
    {
        context->setFillColor(value == 0.f ? kRedCColor : CColor{0, 0, 255, 0});
        context->fillRect(size);
        setDirty(false);
    }
};

uint32_t windowPixel(Display* display, Window window, int x, int y)
{
    XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image)
        return 0xdeadbeef;
    const uint32_t pixel = uint32_t(XGetPixel(image, 0, 0)) & 0xffffff;
    XDestroyImage(image);
    return pixel;
}
}  // namespace

TEST_F(X11Window, PaintingShowsBackgroundAndViewsAndIdleRedrawsChangedControls)
{
    CBitmap* background = new CBitmap(300, 200);  // blank bitmaps are white
    frame->setBackground(background);
    background->forget();
    auto* view = new ColourView(CRect(20, 20, 60, 60));
    frame->addView(view);
    // Expose the whole window again so that the new views are painted.
    const Window window = Window(reinterpret_cast<uintptr_t>(frame->getSystemWindow()));
    XClearArea(host, window, 0, 0, 0, 0, True);
    XFlush(host);
    pumpFor(150ms);
    EXPECT_EQ(windowPixel(host, window, 5, 5), 0xffffffu);
    EXPECT_EQ(windowPixel(host, window, 20, 20), 0xffffffu);  // fills start one pixel in
    EXPECT_EQ(windowPixel(host, window, 21, 21), 0xff0000u);
    EXPECT_EQ(windowPixel(host, window, 59, 59), 0xff0000u);
    EXPECT_EQ(windowPixel(host, window, 60, 60), 0xffffffu);

    view->setValue(1.f);
    pumpFor(100ms);
    EXPECT_EQ(windowPixel(host, window, 40, 40), 0x0000ffu);
}

TEST_F(X11Window, RightClickOpensThePopupAndAChoiceInASubmenuReportsItsLocalIndex)
{
    RecordingListener outer, inner;
    auto* menu = new COptionMenu(CRect(10, 10, 110, 30), &outer, 45, nullptr, nullptr, kPopupStyle);
    auto* submenu = new COptionMenu(CRect(), &inner, 33, nullptr, nullptr, kPopupStyle | kCheckStyle);
    for (const char* text : {"Tune to MIDI", "Sync (bar)", "Sync (1/2)", "Sync (1/4)"})
        submenu->addEntry(text);
    menu->addEntry("Load Tuning Map");
    menu->addEntry(submenu, "Feedback delay");
    submenu->forget();
    frame->addView(menu);

    drive([](Display* display) {
        xdotool("mousemove 40 20 click 3");
        const std::vector<ScreenRect> menus = waitForMenus(display, 1);
        if (menus.empty())
            return;
        EXPECT_EQ(menus[0].x, 40);  // opened at the click point
        EXPECT_EQ(menus[0].y, 20);
        auto [x, y] = entryCentre(menus[0], 1);
        xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y));  // hover opens the submenu
        const std::vector<ScreenRect> both = waitForMenus(display, 2);
        if (both.size() < 2)
            return;
        auto [sx, sy] = entryCentre(both[1], 2);
        xdotool("mousemove " + std::to_string(sx) + " " + std::to_string(sy) + " click 1");
        waitForMenus(display, 0);
    });
    ASSERT_EQ(inner.calls.size(), 1u);
    EXPECT_EQ(inner.calls[0].tag, 33);
    EXPECT_EQ(inner.calls[0].value, 2.f);
    EXPECT_TRUE(outer.calls.empty());
}

TEST_F(X11Window, EscapeAndClicksOutsideDismissWithoutAChoiceAndKeysNavigate)
{
    RecordingListener listener;
    auto* menu = new COptionMenu(CRect(10, 10, 110, 30), &listener, 45, nullptr, nullptr, kPopupStyle);
    for (const char* text : {"-TTitle", "One", "-", "-GGrey", "Two"})
        menu->addEntry(text);
    frame->addView(menu);

    drive([](Display* display) {
        xdotool("mousemove 40 20 click 1");  // the left button opens nothing
        std::this_thread::sleep_for(100ms);
        EXPECT_TRUE(openMenus(display).empty());
        xdotool("click 3");
        if (waitForMenus(display, 1).empty())
            return;
        xdotool("key Escape");
        waitForMenus(display, 0);
        xdotool("click 3");
        if (waitForMenus(display, 1).empty())
            return;
        xdotool("mousemove 350 250 click 1");  // outside the menu
        waitForMenus(display, 0);
        xdotool("mousemove 40 20 click 3");
        if (waitForMenus(display, 1).empty())
            return;
        xdotool("key Down Down Return");  // the title, separator and greyed entry are skipped
        waitForMenus(display, 0);
    });
    ASSERT_EQ(listener.calls.size(), 1u);
    EXPECT_EQ(listener.calls[0].value, 4.f);  // "Two"
}

// Drags a knob at 150, 50 .. 190, 90 with `button` (as X numbers it physically):
// 40 px right and `up` px up in linear mode. Answers the knob's final value.
float dragKnob(X11Window* test, CFrame* frame, TestEditor* editor, int button, int up);

TEST_F(X11Window, DraggingAKnobChangesItsValueInsideOneEditGesture)
{
    EXPECT_NEAR(dragKnob(this, frame, editor, 1, 20), 0.8f, 1e-5);  // 60 px at 200 px per range
    EXPECT_EQ(std::count(hostCalls().begin(), hostCalls().end(), audioMasterBeginEdit), 1);
    EXPECT_EQ(std::count(hostCalls().begin(), hostCalls().end(), audioMasterEndEdit), 1);
}

TEST_F(X11Window, WithSwappedButtonsThePhysicalRightButtonDragsAKnob)
{
    // A left-handed mapping: the physical buttons 1 and 3 swap their logical meaning.
    unsigned char normal[256];
    const int buttons = XGetPointerMapping(host, normal, 256);
    ASSERT_GE(buttons, 3);
    unsigned char swapped[256];
    std::copy(normal, normal + buttons, swapped);
    std::swap(swapped[0], swapped[2]);
    ASSERT_EQ(XSetPointerMapping(host, swapped, buttons), MappingSuccess);
    XSync(host, False);
    const float value = dragKnob(this, frame, editor, 3, 0);
    XSetPointerMapping(host, normal, buttons);
    XSync(host, False);
    EXPECT_NEAR(value, 0.7f, 1e-5);
    EXPECT_EQ(std::count(hostCalls().begin(), hostCalls().end(), audioMasterBeginEdit), 1);
}

float dragKnob(X11Window* test, CFrame* frame, TestEditor* editor, int button, int up)
{
    auto* knob = new CKnob(CRect(150, 50, 190, 90), nullptr, 9, nullptr, nullptr);
    knob->setValue(0.5f);
    frame->addView(knob);
    editor->setKnobMode(kLinearMode);
    const std::string b = std::to_string(button);
    test->drive([&](Display*) {
        xdotool("mousemove 170 70 mousedown " + b);
        std::this_thread::sleep_for(150ms);
        xdotool("mousemove 190 70");
        std::this_thread::sleep_for(150ms);
        xdotool("mousemove 210 " + std::to_string(70 - up));
        std::this_thread::sleep_for(150ms);
        xdotool("mouseup " + b);
        std::this_thread::sleep_for(100ms);
    });
    return knob->getValue();
}

namespace {
// A minimal XDND source: offers `data` as `type` and drops it at rootX, rootY on target.
struct XdndDrop {
    bool accepted = false;
    bool finished = false;
};

XdndDrop dropOnto(Display* display, Window target, int rootX, int rootY, const char* type, const std::string& data)
{
    XdndDrop result;
    auto atom = [&](const char* name) { return XInternAtom(display, name, False); };
    const Window source = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(display, atom("XdndSelection"), source, CurrentTime);

    Atom awareType = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* version = nullptr;
    XGetWindowProperty(display, target, atom("XdndAware"), 0, 1, False, XA_ATOM, &awareType, &format, &count, &remaining, &version);
    EXPECT_EQ(count, 1u) << "the frame's window announces itself as a drop target";
    if (version)
        XFree(version);

    auto send = [&](const char* message, long l1, long l2, long l3, long l4) {
        XClientMessageEvent event{};
        event.type = ClientMessage;
        event.display = display;
        event.window = target;
        event.message_type = atom(message);
        event.format = 32;
        event.data.l[0] = long(source);
        event.data.l[1] = l1;
        event.data.l[2] = l2;
        event.data.l[3] = l3;
        event.data.l[4] = l4;
        XSendEvent(display, target, False, NoEventMask, reinterpret_cast<XEvent*>(&event));
        XFlush(display);
    };
    send("XdndEnter", 5L << 24, long(atom(type)), None, None);
    send("XdndPosition", 0, (long(rootX) << 16) | rootY, CurrentTime, long(atom("XdndActionCopy")));

    const auto end = std::chrono::steady_clock::now() + 5s;
    bool dropped = false;
    while (!result.finished && std::chrono::steady_clock::now() < end) {
        if (!XPending(display)) {
            std::this_thread::sleep_for(5ms);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == ClientMessage && event.xclient.message_type == atom("XdndStatus") && !dropped) {
            result.accepted = event.xclient.data.l[1] & 1;
            dropped = true;
            send("XdndDrop", 0, CurrentTime, None, None);
        } else if (event.type == SelectionRequest) {
            const XSelectionRequestEvent& request = event.xselectionrequest;
            XChangeProperty(display, request.requestor, request.property, request.target, 8, PropModeReplace,
                reinterpret_cast<const unsigned char*>(data.data()), int(data.size()));
            XSelectionEvent reply{};
            reply.type = SelectionNotify;
            reply.display = display;
            reply.requestor = request.requestor;
            reply.selection = request.selection;
            reply.target = request.target;
            reply.property = request.property;
            reply.time = request.time;
            XSendEvent(display, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
            XFlush(display);
        } else if (event.type == ClientMessage && event.xclient.message_type == atom("XdndFinished")) {
            result.finished = event.xclient.data.l[1] & 1;
            break;
        }
    }
    XDestroyWindow(display, source);
    XSync(display, False);
    return result;
}
}  // namespace

TEST_F(X11Window, DroppedTextArrivesAsOneItemCountingItsBlock)
{
    auto* recorder = new DropRecorder(CRect(50, 50, 150, 150));
    frame->addView(recorder);
    const Window target = Window(reinterpret_cast<uintptr_t>(frame->getSystemWindow()));
    XdndDrop outside, text;
    drive([&](Display* display) {
        outside = dropOnto(display, target, 250, 190, "text/plain", "nobody");  // no view there
        text = dropOnto(display, target, 100, 100, "text/plain", "hello");
    });
    EXPECT_TRUE(outside.accepted);  // the data is acceptable even where no view takes it
    EXPECT_TRUE(text.finished);
    ASSERT_EQ(recorder->drops, 1);
    EXPECT_EQ(recorder->dropType, kDropText);
    EXPECT_EQ(recorder->firstItem, "hello");
    EXPECT_EQ(recorder->dropCount, 6);  // the text's block with its terminating NUL
    EXPECT_EQ(recorder->dropWhere, CPoint(100, 100));
}

TEST_F(X11Window, SymbolicLinksDroppedAsFilesArriveAsTheirTargets)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(::testing::TempDir()) / "tovarine xdnd link";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path real = dir / "impulse 1.wav";
    std::FILE* file = std::fopen(real.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    fs::create_symlink(real, dir / "shortcut.wav");

    auto* recorder = new DropRecorder(CRect(50, 50, 150, 150));
    frame->addView(recorder);
    const Window target = Window(reinterpret_cast<uintptr_t>(frame->getSystemWindow()));
    XdndDrop files;
    drive([&](Display* display) {
        // With a space percent-encoded in the directory name, as file managers send it.
        std::string uri = "file://" + (dir / "shortcut.wav").string() + "\r\n";
        for (size_t space = uri.find(' '); space != std::string::npos; space = uri.find(' '))
            uri.replace(space, 1, "%20");
        files = dropOnto(display, target, 60, 70, "text/uri-list", uri);
    });
    EXPECT_TRUE(files.finished);
    ASSERT_EQ(recorder->drops, 1);
    EXPECT_EQ(recorder->dropType, kDropFiles);
    EXPECT_EQ(recorder->dropCount, 1);
    EXPECT_EQ(recorder->firstItem, fs::canonical(real).string());
    EXPECT_EQ(recorder->dropWhere, CPoint(60, 70));
    fs::remove_all(dir);
}
