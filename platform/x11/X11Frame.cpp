#include "platform/x11/X11Frame.h"

#include "gui/CDrawContext.h"
#include "gui/CFrame.h"
#include "gui/DebugCounters.h"
#include "gui/InputState.h"
#include "platform/x11/X11ErrorTrap.h"
#include "platform/x11/X11PopupMenu.h"

#include <cairo-xlib.h>
#include <cairo.h>

namespace {
constexpr long kFrameEvents = ExposureMask | ButtonPressMask | StructureNotifyMask;

// A drawing context on the frame's window, alive for one event.
class X11WindowContext : public CDrawContext {
public:
    X11WindowContext(CFrame* frame, cairo_surface_t* surface, Display* display_)
        : CDrawContext(frame, surface), display(display_)
    {
        ++guiDebugCounters().windowContexts;
    }
    ~X11WindowContext() override
    {
        if (cr) {
            cairo_destroy(cr);
            cr = nullptr;
        }
        if (surface)
            cairo_surface_flush(surface);
        XFlush(display);
        --guiDebugCounters().windowContexts;
    }

private:
    Display* display;
};
}  // namespace

std::unique_ptr<PlatformFrame> createPlatformFrame(CFrame* frame, void* parentWindow, const CRect& size)
{
    return X11Frame::create(frame, Window(reinterpret_cast<uintptr_t>(parentWindow)), size);
}

std::unique_ptr<X11Frame> X11Frame::create(CFrame* frame, Window parent, const CRect& size)
{
    if (parent == None || size.width() <= 0 || size.height() <= 0)
        return nullptr;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return nullptr;
    Window window = None;
    {
        X11ErrorTrap trap(display);
        XSetWindowAttributes attributes{};
        attributes.event_mask = kFrameEvents;
        attributes.background_pixmap = None;  // no flash of background before the first paint
        window = XCreateWindow(display, parent, 0, 0, unsigned(size.width()), unsigned(size.height()), 0,
            CopyFromParent, InputOutput, CopyFromParent, CWEventMask | CWBackPixmap, &attributes);
        if (trap.errors() > 0)
            window = None;
    }
    if (window == None) {
        XCloseDisplay(display);
        return nullptr;
    }
    std::unique_ptr<X11Frame> platform(new X11Frame(frame, display, window, size));
    XStoreName(display, window, "Window");
    platform->dropTarget.announce();
    XMapWindow(display, window);
    XFlush(display);
    return platform;
}

X11Frame::X11Frame(CFrame* frame_, Display* display_, Window window_, const CRect& size_)
    : frame(frame_), display(display_), window(window_), size(size_),
      dropTarget(display_, window_, [this](void** items, int32_t count, int32_t type, CPoint where) {
          return frame->onDrop(items, count, type, where);
      })
{
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes))
        visual = attributes.visual;
}

X11Frame::~X11Frame()
{
    if (alive) {
        // The host may already have destroyed its window, and ours with it.
        X11ErrorTrap trap(display);
        XDestroyWindow(display, window);
    }
    XCloseDisplay(display);
}

int32_t X11Frame::buttonStateFromMask(unsigned int mask)
{
    int32_t state = 0;
    if (mask & Button1Mask)
        state |= kLButton;
    if (mask & Button2Mask)
        state |= kMButton;
    if (mask & Button3Mask)
        state |= kRButton;
    if (mask & ShiftMask)
        state |= kShift;
    if (mask & ControlMask)
        state |= kControl;
    if (mask & Mod1Mask)
        state |= kAlt;
    return state;
}

bool X11Frame::isViewable()
{
    if (!alive)
        return false;
    X11ErrorTrap trap(display);
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

void X11Frame::handleEvents()
{
    while (alive && XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
        dispatch(event);
    }
}

void X11Frame::handlePaintEvents()
{
    pressButtons.reset();  // from now on the pointer is polled
    XEvent event;
    while (alive && XCheckTypedWindowEvent(display, window, DestroyNotify, &event))
        dispatch(event);
    while (alive && XCheckTypedWindowEvent(display, window, Expose, &event))
        dispatch(event);
}

void X11Frame::dispatch(XEvent& event)
{
    if (event.xany.window != window)
        return;  // left-overs of closed popup menus
    switch (event.type) {
    case Expose:
        paint(event.xexpose);
        break;
    case DestroyNotify:
        if (event.xdestroywindow.window == window)
            alive = false;
        break;
    case ButtonPress: {
        const unsigned int button = event.xbutton.button;
        if (button < Button1 || button > Button3)
            break;  // the wheel is not handled
        const unsigned int pressed = button == Button1 ? Button1Mask : (button == Button2 ? Button2Mask : Button3Mask);
        pressButtons = buttonStateFromMask(event.xbutton.state | pressed);
        pressWhere = CPoint(event.xbutton.x, event.xbutton.y);
        frame->windowMouseDown(pressWhere);
        pressButtons.reset();
        break;
    }
    case ClientMessage:
        dropTarget.handleClientMessage(event.xclient);
        break;
    case SelectionNotify:
        dropTarget.handleSelectionNotify(event.xselection);
        break;
    default:
        break;
    }
}

void X11Frame::paint(const XExposeEvent& event)
{
    std::unique_ptr<CDrawContext> context(createDrawContext());
    if (!context)
        return;
    const CRect area(event.x, event.y, event.x + event.width, event.y + event.height);
    cairo_t* cr = context->getCairo();
    if (cr) {
        cairo_rectangle(cr, area.left, area.top, area.width(), area.height());
        cairo_clip(cr);
    }
    frame->windowPainted(context.get(), area);
}

CDrawContext* X11Frame::createDrawContext()
{
    if (!alive || !visual)
        return nullptr;
    cairo_surface_t* surface = cairo_xlib_surface_create(display, window, visual, size.width(), size.height());
    auto* context = new X11WindowContext(frame, surface, display);
    cairo_surface_destroy(surface);  // the context holds its own reference
    return context;
}

int32_t X11Frame::getButtonState()
{
    if (pressButtons)
        return *pressButtons;
    if (!alive)
        return 0;
    X11ErrorTrap trap(display);
    Window root = None, child = None;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    if (!XQueryPointer(display, window, &root, &child, &rootX, &rootY, &x, &y, &mask))
        return 0;
    return buttonStateFromMask(mask);
}

CPoint X11Frame::getMousePosition()
{
    if (pressButtons)
        return pressWhere;
    if (!alive)
        return CPoint();
    X11ErrorTrap trap(display);
    Window root = None, child = None;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    XQueryPointer(display, window, &root, &child, &rootX, &rootY, &x, &y, &mask);
    return CPoint(x, y);
}

int32_t X11Frame::popupMenu(const std::vector<PopupMenuEntry>& entries, const CPoint& where, bool rightButton)
{
    if (!alive || entries.empty())
        return -1;
    int rootX = 0, rootY = 0;
    {
        X11ErrorTrap trap(display);
        Window child = None;
        XTranslateCoordinates(display, window, DefaultRootWindow(display), where.h, where.v, &rootX, &rootY, &child);
    }
    pressButtons.reset();
    X11PopupMenu* running = nullptr;
    X11PopupMenu menu(display, [this, &running](XEvent& event) {
        // The frame keeps painting while the menu is open; other input waits.
        if (event.xany.window != window)
            return;
        if (event.type == Expose)
            paint(event.xexpose);
        else if (event.type == DestroyNotify) {
            alive = false;
            if (running)
                running->cancel();
        }
    });
    running = &menu;
    return menu.run(entries, rootX, rootY, rightButton);
}
