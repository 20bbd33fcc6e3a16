#include "platform/x11/X11ErrorTrap.h"

namespace {
// The trap of the current scope. The framework runs on one thread (the host's UI thread).
Display* trappedDisplay = nullptr;
int trappedErrors = 0;
int totalTrapped = 0;
XErrorHandler forwardTo = nullptr;

int trapHandler(Display* display, XErrorEvent* event)
{
    if (display == trappedDisplay) {
        ++trappedErrors;
        ++totalTrapped;
        return 0;
    }
    return forwardTo ? forwardTo(display, event) : 0;
}
}  // namespace

X11ErrorTrap::X11ErrorTrap(Display* display_) : display(display_), outerDisplay(trappedDisplay), outerErrors(trappedErrors)
{
    if (display)
        XSync(display, False);  // errors of earlier requests are not ours to swallow here
    previous = XSetErrorHandler(trapHandler);
    if (previous != trapHandler)
        forwardTo = previous;
    trappedDisplay = display;
    trappedErrors = 0;
}

X11ErrorTrap::~X11ErrorTrap()
{
    if (display)
        XSync(display, False);
    trappedDisplay = outerDisplay;
    trappedErrors = outerErrors;
    XSetErrorHandler(previous);
}

int X11ErrorTrap::errors()
{
    if (display)
        XSync(display, False);
    return trappedErrors;
}

int X11ErrorTrap::totalErrors()
{
    return totalTrapped;
}
