// Catches X protocol errors of one Display while it is in scope, so that a window the
// host destroyed behind our back cannot end the host process through Xlib's default
// error handler. Errors of other connections go on to the handler that was installed.
#pragma once

#include <X11/Xlib.h>

class X11ErrorTrap {
public:
    explicit X11ErrorTrap(Display* display);
    // Waits for the server to answer everything sent so far, then restores the handler.
    ~X11ErrorTrap();

    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

    // Errors of this display seen so far in this scope.
    int errors();

    // Errors of the framework's own displays caught since the process started.
    static int totalErrors();

private:
    Display* display;
    XErrorHandler previous;
    Display* outerDisplay;
    int outerErrors;
};
