// What a frame needs of the window system: its window inside the host's window, the
// events of that window, the pointer and button state, and popup menus. The views never
// see the window system; platform/ implements this interface.
#pragma once

#include "gui/CRect.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CDrawContext;
class CFrame;

// One entry of a popup menu as the window system shows it.
struct PopupMenuEntry {
    enum Kind { kItem, kSeparator, kGreyed, kTitle, kSubmenu };
    Kind kind = kItem;
    std::string text;
    bool checked = false;
    bool columnBreak = false;  // starts a new column
    int32_t command = -1;      // unique across the whole tree; -1 for non-choosable entries
    std::vector<PopupMenuEntry> submenu;
};

class PlatformFrame {
public:
    virtual ~PlatformFrame() = default;

    // The native window handle (an X11 window id), or null.
    virtual void* getSystemWindow() const = 0;
    // False once the window has been destroyed (by the host or by the window system).
    virtual bool isAlive() const = 0;
    // False while the window or one of its ancestors is unmapped.
    virtual bool isViewable() = 0;

    // Handles every pending event of the window: painting, button presses, drops.
    virtual void handleEvents() = 0;
    // Handles only pending paint requests, for the loops that track the mouse.
    virtual void handlePaintEvents() = 0;

    // A drawing context on the window, for one event; the caller deletes it.
    virtual CDrawContext* createDrawContext() = 0;

    // The button state word (kLButton ...) and the pointer relative to the window.
    virtual int32_t getButtonState() = 0;
    virtual CPoint getMousePosition() = 0;

    // Shows a popup menu with its top-left corner at `where` (window coordinates) and
    // tracks it until a choice or a dismissal. Answers the chosen entry's command or -1.
    virtual int32_t popupMenu(const std::vector<PopupMenuEntry>& entries, const CPoint& where, bool rightButton) = 0;
};

// Creates the frame's child window inside parentWindow (a native window handle).
// Answers null when the window system is unavailable.
std::unique_ptr<PlatformFrame> createPlatformFrame(CFrame* frame, void* parentWindow, const CRect& size);
