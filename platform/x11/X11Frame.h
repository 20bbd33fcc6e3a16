// The frame's window on X11: a child of the host's window on a Display connection of
// its own, opened with the window and closed with it. Its events are read when the
// editor idles. Views draw into a back buffer in memory; the rows that changed are
// sent to the window when a drawing context ends.
#pragma once

#include "gui/PlatformFrame.h"
#include "platform/x11/XdndTarget.h"

#include <X11/Xlib.h>

typedef struct _cairo_surface cairo_surface_t;

#include <memory>
#include <optional>

class X11Frame : public PlatformFrame {
public:
    // Answers null when no X server can be reached or the window cannot be made.
    static std::unique_ptr<X11Frame> create(CFrame* frame, Window parent, const CRect& size);
    ~X11Frame() override;

    void* getSystemWindow() const override { return reinterpret_cast<void*>(window); }
    bool isAlive() const override { return alive; }
    bool isViewable() override;
    void handleEvents() override;
    void handlePaintEvents() override;
    CDrawContext* createDrawContext() override;
    int32_t getButtonState() override;
    CPoint getMousePosition() override;
    int32_t popupMenu(const std::vector<PopupMenuEntry>& entries, const CPoint& where, bool rightButton) override;

    Display* getDisplay() const { return display; }
    // Sends what the window contexts changed in the back buffer to the window.
    void presentChanges();

    // The button state word of an X button and modifier mask. X has already applied the
    // user's button mapping: Button1 is the primary button, also when left-handed users
    // swapped the physical buttons.
    static int32_t buttonStateFromMask(unsigned int mask);

private:
    X11Frame(CFrame* frame, Display* display, Window window, const CRect& size);
    void dispatch(XEvent& event);
    void paint(const XExposeEvent& event);
    void copyToWindow(const CRect& area);

    CFrame* frame;
    Display* display;
    Window window;
    Visual* visual = nullptr;
    int depth = 0;
    // Views draw into the back buffer; the shadow holds what the window shows.
    cairo_surface_t* backBuffer = nullptr;
    cairo_surface_t* shadow = nullptr;
    CRect size;
    bool alive = true;
    XdndTarget dropTarget;
    // While a button press is being handled, the press itself answers the queries of the
    // button state up to the first query of the position: a quick click may be over
    // before the event is read, and the views must still see the button that made it.
    std::optional<int32_t> pressButtons;
    CPoint pressWhere;
};
