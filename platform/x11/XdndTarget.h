// The receiving side of the XDND protocol (version 5) for one window: file lists arrive
// as "text/uri-list", text as "text/plain" or UTF8_STRING. A file list is preferred,
// because file managers offer their URIs as plain text as well.
#pragma once

#include "gui/CRect.h"

#include <X11/Xlib.h>

#include <functional>

class XdndTarget {
public:
    // deliver(items, count, type, where): the frame's onDrop; where is window-relative.
    using DropHandler = std::function<bool(void** items, int32_t count, int32_t type, CPoint where)>;

    XdndTarget(Display* display, Window window, DropHandler deliver);

    // Marks the window as a drop target.
    void announce();
    // Answers true when the event belonged to a drag and drop exchange.
    bool handleClientMessage(const XClientMessageEvent& event);
    bool handleSelectionNotify(const XSelectionEvent& event);

private:
    void reset();
    void chooseType(const Atom* types, long count);
    void sendStatus();
    void sendFinished(bool accepted);
    void deliverData(const unsigned char* data, unsigned long length);

    Display* display;
    Window window;
    DropHandler deliver;

    Atom xdndAware, xdndEnter, xdndPosition, xdndStatus, xdndLeave, xdndDrop, xdndFinished;
    Atom xdndSelection, xdndTypeList, xdndActionCopy, xdndActionMove, dropProperty;
    Atom uriList, textPlain, textPlainUtf8, utf8String;

    Window source = None;
    Atom chosenType = None;
    Atom action = None;
    CPoint where;
    bool waitingForData = false;
};
