// The editor's top-level window for hosts that give no parent window and show the
// UI through its show interface. Lives on the editor's thread, with a Display
// connection of its own.
#pragma once

#include <X11/Xlib.h>

#include <memory>

class OwnWindow {
public:
    // Null when no X server can be reached.
    static std::unique_ptr<OwnWindow> create(int width, int height, const char* title);
    ~OwnWindow();

    Window window() const { return id; }
    // True once the user asked the window manager to close it.
    bool closeRequested();

private:
    OwnWindow(Display* display, Window id, Atom deleteWindow);

    Display* display;
    Window id;
    Atom deleteWindow;
    bool closing = false;
};
