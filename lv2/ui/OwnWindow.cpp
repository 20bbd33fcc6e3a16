#include "lv2/ui/OwnWindow.h"

#include <X11/Xutil.h>

std::unique_ptr<OwnWindow> OwnWindow::create(int width, int height, const char* title)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return nullptr;
    const Window id = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, unsigned(width),
        unsigned(height), 0, 0, BlackPixel(display, DefaultScreen(display)));
    XStoreName(display, id, title);
    // A fixed size: the editor does not scale.
    XSizeHints* hints = XAllocSizeHints();
    if (hints) {
        hints->flags = PMinSize | PMaxSize;
        hints->min_width = hints->max_width = width;
        hints->min_height = hints->max_height = height;
        XSetWMNormalHints(display, id, hints);
        XFree(hints);
    }
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, id, &deleteWindow, 1);
    XSelectInput(display, id, StructureNotifyMask);
    XMapWindow(display, id);
    XSync(display, False);
    return std::unique_ptr<OwnWindow>(new OwnWindow(display, id, deleteWindow));
}

OwnWindow::OwnWindow(Display* display_, Window id_, Atom deleteWindow_)
    : display(display_), id(id_), deleteWindow(deleteWindow_)
{
}

OwnWindow::~OwnWindow()
{
    XDestroyWindow(display, id);
    XCloseDisplay(display);
}

bool OwnWindow::closeRequested()
{
    while (XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == ClientMessage && Atom(event.xclient.data.l[0]) == deleteWindow)
            closing = true;
    }
    return closing;
}
