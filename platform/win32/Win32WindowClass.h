// The frame windows' class: registered on first use under "Plugin" and the module
// handle in hex, so that two loaded copies of the plug-in never share a class, and
// unregistered when the last frame of the module goes.
#pragma once

#include <windows.h>

class Win32WindowClass {
public:
    // Registers the class if needed; answers its name, or null on failure.
    static const char* acquire(WNDPROC procedure);
    static void release();
    // Whether the mouse buttons were swapped when the class was registered.
    static bool swappedButtons();
    // The module the class belongs to: the plug-in's, else the program's own.
    static HINSTANCE instance();
};
