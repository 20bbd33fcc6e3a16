// Popup menus as override-redirect windows of their own, drawn with Cairo and tracked
// modally: submenus open on hover or with the Right key, Up and Down move between
// choosable entries, Return chooses, Escape closes the innermost menu, and a click
// outside every menu dismisses them all.
#pragma once

#include "gui/PlatformFrame.h"

#include <X11/Xlib.h>

#include <functional>
#include <vector>

class X11PopupMenu {
public:
    // Geometry of the entries, in pixels.
    static constexpr int kItemHeight = 20;
    static constexpr int kSeparatorHeight = 7;
    static constexpr int kBorder = 1;
    static constexpr int kTextLeft = 22;   // room for the check mark
    static constexpr int kTextRight = 24;  // room for the submenu arrow

    // otherEvent receives every event of the display that is not the menus' own
    // (the frame keeps painting while the menu is open).
    X11PopupMenu(Display* display, std::function<void(XEvent&)> otherEvent);
    ~X11PopupMenu();

    X11PopupMenu(const X11PopupMenu&) = delete;
    X11PopupMenu& operator=(const X11PopupMenu&) = delete;

    // Opens the menu with its top-left corner at rootX, rootY (screen coordinates) and
    // answers the chosen command or -1. rightButton: a release of the right button chooses too.
    int32_t run(const std::vector<PopupMenuEntry>& entries, int rootX, int rootY, bool rightButton);

    // Stops a running menu from outside (the frame's window went away).
    void cancel() { finished = true; }

private:
    struct ItemBox {
        int x, y, w, h;  // relative to the menu window
    };
    struct Level {
        const std::vector<PopupMenuEntry>* entries = nullptr;
        Window window = None;
        int x = 0, y = 0, w = 0, h = 0;
        std::vector<ItemBox> boxes;
        int highlighted = -1;
        int openedFrom = -1;  // entry of this level whose submenu is open
    };

    void openLevel(const std::vector<PopupMenuEntry>& entries, int rootX, int rootY, int avoidLeft);
    void closeLevelsAbove(size_t depth);
    void layout(Level& level);
    void paint(const Level& level);
    bool hit(int rootX, int rootY, size_t& depth, int& item) const;
    void hover(size_t depth, int item);
    void moveHighlight(int direction);
    bool activate(size_t depth, int item);  // true when a command was chosen
    static bool isChoosable(const PopupMenuEntry& entry);

    Display* display;
    std::function<void(XEvent&)> otherEvent;
    std::vector<Level> levels;
    int32_t result = -1;
    bool finished = false;
};
