// OLE drag and drop onto the frame's window: text (CF_TEXT) and files (CF_HDROP) go to
// the frame's onDrop; dropped shortcuts (.lnk) are replaced by their targets' paths.
#pragma once

#include <windows.h>

#include <memory>

class CFrame;

class Win32DropTarget {
public:
    // Initialises OLE for the thread and registers the window's drop target; answers
    // null (no drops) when either fails.
    static std::unique_ptr<Win32DropTarget> registerFor(HWND window, CFrame* frame);
    // Revokes the registration and uninitialises OLE.
    ~Win32DropTarget();

    Win32DropTarget(const Win32DropTarget&) = delete;
    Win32DropTarget& operator=(const Win32DropTarget&) = delete;

private:
    Win32DropTarget(HWND window, IDropTarget* target);

    HWND window;
    IDropTarget* target;
};
