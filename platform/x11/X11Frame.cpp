#include "platform/x11/X11Frame.h"

#include "gui/CDrawContext.h"
#include "gui/CFrame.h"
#include "gui/DebugCounters.h"
#include "gui/InputState.h"
#include "platform/cairo/CairoGraphics.h"
#include "platform/x11/X11ErrorTrap.h"
#include "platform/x11/X11ImageTransfer.h"
#include "platform/x11/X11PopupMenu.h"

#include <cairo.h>
#include <cstring>

namespace {
constexpr long kFrameEvents = ExposureMask | ButtonPressMask | StructureNotifyMask;
}  // namespace

// A drawing context on the frame's window, alive for one event. It draws into the
// frame's back buffer; what changed reaches the window when the context ends.
class X11WindowContext : public CDrawContext {
public:
    X11WindowContext(CFrame* frame, cairo_surface_t* backBuffer, X11Frame* owner_)
        : CDrawContext(frame, CairoGraphics::create(backBuffer)), owner(owner_)
    {
        ++guiDebugCounters().windowContexts;
    }
    ~X11WindowContext() override
    {
        graphics.reset();  // finishes the drawing before it is shown
        owner->presentChanges();
        --guiDebugCounters().windowContexts;
    }

private:
    X11Frame* owner;
};

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
    if (XGetWindowAttributes(display, window, &attributes)) {
        visual = attributes.visual;
        depth = attributes.depth;
    }
}

X11Frame::~X11Frame()
{
    if (alive) {
        // The host may already have destroyed its window, and ours with it.
        X11ErrorTrap trap(display);
        XDestroyWindow(display, window);
    }
    if (backBuffer)
        cairo_surface_destroy(backBuffer);
    if (shadow)
        cairo_surface_destroy(shadow);
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
    presentChanges();
}

void X11Frame::handlePaintEvents()
{
    pressButtons.reset();  // from now on the pointer is polled
    XEvent event;
    while (alive && XCheckTypedWindowEvent(display, window, DestroyNotify, &event))
        dispatch(event);
    while (alive && XCheckTypedWindowEvent(display, window, Expose, &event))
        dispatch(event);
    // Views that a tracking control redrew in its own long-lived context show up now.
    presentChanges();
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
    const CRect area = CRect(event.x, event.y, event.x + event.width, event.y + event.height).intersection(CRect(0, 0, size.width(), size.height()));
    {
        std::unique_ptr<CDrawContext> context(createDrawContext());
        if (!context)
            return;
        if (auto* device = static_cast<CairoGraphics*>(context->getGraphics()))
            device->clipTo(area);
        frame->windowPainted(context.get(), area);
    }
    // The window lost this area: show it whether or not the drawing changed it.
    copyToWindow(area);
}

CDrawContext* X11Frame::createDrawContext()
{
    if (!alive || !visual)
        return nullptr;
    if (!backBuffer) {
        backBuffer = cairo_image_surface_create(CAIRO_FORMAT_RGB24, size.width(), size.height());
        shadow = cairo_image_surface_create(CAIRO_FORMAT_RGB24, size.width(), size.height());
        if (cairo_surface_status(backBuffer) != CAIRO_STATUS_SUCCESS || cairo_surface_status(shadow) != CAIRO_STATUS_SUCCESS) {
            cairo_surface_destroy(backBuffer);
            cairo_surface_destroy(shadow);
            backBuffer = shadow = nullptr;
            return nullptr;
        }
    }
    return new X11WindowContext(frame, backBuffer, this);
}

void X11Frame::presentChanges()
{
    if (!alive || !backBuffer)
        return;
    // Compare with what the window shows and copy the band of rows that changed: one
    // memcmp per row is far cheaper than sending the whole image to the server.
    cairo_surface_flush(backBuffer);
    cairo_surface_flush(shadow);
    const unsigned char* drawn = cairo_image_surface_get_data(backBuffer);
    const unsigned char* shown = cairo_image_surface_get_data(shadow);
    const int stride = cairo_image_surface_get_stride(backBuffer);
    const size_t rowBytes = size_t(size.width()) * 4;
    int first = -1, last = -1;
    for (int y = 0; y < size.height(); ++y) {
        if (std::memcmp(drawn + size_t(y) * stride, shown + size_t(y) * stride, rowBytes) != 0) {
            if (first < 0)
                first = y;
            last = y;
        }
    }
    if (first >= 0)
        copyToWindow(CRect(0, first, size.width(), last + 1));
}

void X11Frame::copyToWindow(const CRect& area)
{
    if (!alive || !backBuffer || area.isEmpty())
        return;
    cairo_surface_flush(backBuffer);
    const unsigned char* drawn = cairo_image_surface_get_data(backBuffer);
    unsigned char* shown = cairo_image_surface_get_data(shadow);
    const int stride = cairo_image_surface_get_stride(backBuffer);
    for (int y = area.top; y < area.bottom; ++y)
        std::memcpy(shown + size_t(y) * stride + size_t(area.left) * 4, drawn + size_t(y) * stride + size_t(area.left) * 4,
            size_t(area.width()) * 4);
    cairo_surface_mark_dirty(shadow);

    X11ErrorTrap trap(display);
    copyImageToDrawable(display, window, visual, depth, size.width(), size.height(), backBuffer, area);
    XFlush(display);
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
    if (pressButtons) {
        // A tracking loop has seen the press; from its next pass on the pointer is polled.
        pressButtons.reset();
        return pressWhere;
    }
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
