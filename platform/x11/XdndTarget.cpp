#include "platform/x11/XdndTarget.h"

#include "gui/InputState.h"
#include "platform/x11/UriList.h"
#include "platform/x11/X11ErrorTrap.h"

#include <X11/Xatom.h>

#include <string>
#include <vector>

namespace {
constexpr long kXdndVersion = 5;
}

XdndTarget::XdndTarget(Display* display_, Window window_, DropHandler deliver_)
    : display(display_), window(window_), deliver(std::move(deliver_))
{
    xdndAware = XInternAtom(display, "XdndAware", False);
    xdndEnter = XInternAtom(display, "XdndEnter", False);
    xdndPosition = XInternAtom(display, "XdndPosition", False);
    xdndStatus = XInternAtom(display, "XdndStatus", False);
    xdndLeave = XInternAtom(display, "XdndLeave", False);
    xdndDrop = XInternAtom(display, "XdndDrop", False);
    xdndFinished = XInternAtom(display, "XdndFinished", False);
    xdndSelection = XInternAtom(display, "XdndSelection", False);
    xdndTypeList = XInternAtom(display, "XdndTypeList", False);
    xdndActionCopy = XInternAtom(display, "XdndActionCopy", False);
    xdndActionMove = XInternAtom(display, "XdndActionMove", False);
    dropProperty = XInternAtom(display, "TOVARINE_DROP", False);
    uriList = XInternAtom(display, "text/uri-list", False);
    textPlain = XInternAtom(display, "text/plain", False);
    textPlainUtf8 = XInternAtom(display, "text/plain;charset=utf-8", False);
    utf8String = XInternAtom(display, "UTF8_STRING", False);
}

void XdndTarget::announce()
{
    const long version = kXdndVersion;
    XChangeProperty(display, window, xdndAware, XA_ATOM, 32, PropModeReplace,
        reinterpret_cast<const unsigned char*>(&version), 1);
}

void XdndTarget::reset()
{
    source = None;
    chosenType = None;
    action = None;
    waitingForData = false;
}

void XdndTarget::chooseType(const Atom* types, long count)
{
    const Atom preference[] = {uriList, textPlainUtf8, utf8String, textPlain, XA_STRING};
    chosenType = None;
    for (Atom wanted : preference) {
        for (long i = 0; i < count; ++i) {
            if (types[i] == wanted) {
                chosenType = wanted;
                return;
            }
        }
    }
}

bool XdndTarget::handleClientMessage(const XClientMessageEvent& event)
{
    const long* l = event.data.l;
    if (event.message_type == xdndEnter) {
        reset();
        source = Window(l[0]);
        if (l[1] & 1) {
            // More than three types: the full list is on the source window.
            X11ErrorTrap trap(display);
            Atom actualType = None;
            int format = 0;
            unsigned long count = 0, remaining = 0;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(display, source, xdndTypeList, 0, 1024, False, XA_ATOM, &actualType, &format, &count,
                    &remaining, &data) == Success && data && format == 32)
                chooseType(reinterpret_cast<const Atom*>(data), long(count));
            if (data)
                XFree(data);
        } else {
            const Atom types[3] = {Atom(l[2]), Atom(l[3]), Atom(l[4])};
            chooseType(types, 3);
        }
        return true;
    }
    if (event.message_type == xdndPosition) {
        if (Window(l[0]) != source)
            return true;
        const int rootX = int((unsigned long)l[2] >> 16);
        const int rootY = int((unsigned long)l[2] & 0xffff);
        Window child = None;
        int x = 0, y = 0;
        Window root = None, pointerChild = None;
        int rx = 0, ry = 0, wx = 0, wy = 0;
        unsigned int mask = 0;
        {
            X11ErrorTrap trap(display);
            XTranslateCoordinates(display, DefaultRootWindow(display), window, rootX, rootY, &x, &y, &child);
            XQueryPointer(display, window, &root, &pointerChild, &rx, &ry, &wx, &wy, &mask);
        }
        where = CPoint(x, y);
        action = chosenType == None ? None : ((mask & ControlMask) ? xdndActionCopy : xdndActionMove);
        sendStatus();
        return true;
    }
    if (event.message_type == xdndLeave) {
        reset();
        return true;
    }
    if (event.message_type == xdndDrop) {
        if (Window(l[0]) != source)
            return true;
        if (chosenType == None) {
            sendFinished(false);
            reset();
            return true;
        }
        waitingForData = true;
        XConvertSelection(display, xdndSelection, chosenType, dropProperty, window, Time(l[2]));
        XFlush(display);
        return true;
    }
    return false;
}

bool XdndTarget::handleSelectionNotify(const XSelectionEvent& event)
{
    if (event.selection != xdndSelection || !waitingForData)
        return false;
    waitingForData = false;
    bool accepted = false;
    if (event.property != None) {
        Atom actualType = None;
        int format = 0;
        unsigned long length = 0, remaining = 0;
        unsigned char* data = nullptr;
        // Up to 4 MB of text or file names; larger (incremental) transfers are refused.
        if (XGetWindowProperty(display, window, event.property, 0, 1L << 20, True, AnyPropertyType, &actualType,
                &format, &length, &remaining, &data) == Success && data && format == 8 && remaining == 0) {
            deliverData(data, length);
            accepted = true;
        }
        if (data)
            XFree(data);
    }
    sendFinished(accepted);
    reset();
    return true;
}

void XdndTarget::deliverData(const unsigned char* data, unsigned long length)
{
    if (!deliver)
        return;
    const std::string text(reinterpret_cast<const char*>(data), length);
    if (chosenType == uriList) {
        const std::vector<std::string> paths = filePathsFromUriList(text);
        if (paths.empty())
            return;
        std::vector<void*> items;
        items.reserve(paths.size());
        for (const std::string& path : paths)
            items.push_back(const_cast<char*>(path.c_str()));
        deliver(items.data(), int32_t(items.size()), kDropFiles, where);
        return;
    }
    // Text: one item, NUL-terminated; the count is the size of that block, NUL included.
    std::string block(text.c_str());
    void* item = block.data();
    deliver(&item, int32_t(block.size() + 1), kDropText, where);
}

void XdndTarget::sendStatus()
{
    XClientMessageEvent message{};
    message.type = ClientMessage;
    message.display = display;
    message.window = source;
    message.message_type = xdndStatus;
    message.format = 32;
    message.data.l[0] = long(window);
    message.data.l[1] = chosenType != None ? 3 : 0;  // bit 0 accept, bit 1 send every position
    message.data.l[4] = long(action);
    X11ErrorTrap trap(display);
    XSendEvent(display, source, False, NoEventMask, reinterpret_cast<XEvent*>(&message));
}

void XdndTarget::sendFinished(bool accepted)
{
    XClientMessageEvent message{};
    message.type = ClientMessage;
    message.display = display;
    message.window = source;
    message.message_type = xdndFinished;
    message.format = 32;
    message.data.l[0] = long(window);
    message.data.l[1] = accepted ? 1 : 0;
    message.data.l[2] = accepted ? long(action) : long(None);
    X11ErrorTrap trap(display);
    XSendEvent(display, source, False, NoEventMask, reinterpret_cast<XEvent*>(&message));
}
