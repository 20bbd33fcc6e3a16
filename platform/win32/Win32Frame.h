// The frame's window on Windows: a child of the host's window, of a window class
// registered under a name unique to the loaded module. Views draw into a memory
// device context (the back buffer); painting and every drawing context copy it to
// the window with BitBlt, so nothing flickers. The host's message loop runs the window
// procedure; the views poll the buttons and the cursor while they track the mouse.
#pragma once

#include "gui/PlatformFrame.h"
#include "platform/win32/GdiImage.h"
#include "platform/win32/Win32DropTarget.h"

#include <windows.h>

#include <optional>

class Win32Frame : public PlatformFrame {
public:
    // Null when the window cannot be made.
    static std::unique_ptr<Win32Frame> create(CFrame* frame, HWND parent, const CRect& size);
    ~Win32Frame() override;

    void* getSystemWindow() const override { return window; }
    bool isAlive() const override { return alive; }
    bool isViewable() override { return alive && IsWindowVisible(window); }
    // The host's message loop delivers the window's messages: nothing is pending here.
    void handleEvents() override {}
    // Removes and dispatches one pending paint message of the thread.
    void handlePaintEvents() override;
    CDrawContext* createDrawContext() override;
    int32_t getButtonState() override;
    CPoint getMousePosition() override;
    int32_t popupMenu(const std::vector<PopupMenuEntry>& entries, const CPoint& where, bool rightButton) override;

    // Copies the back buffer's area to the window.
    void present(HDC target, const RECT& area);
    void presentAll();

    // The button state word from the current state of the physical buttons and keys;
    // with swapped buttons the physical right button is the left one.
    static int32_t currentButtonState(bool swappedButtons);

private:
    Win32Frame(CFrame* frame, std::unique_ptr<GdiImage> backBuffer, const CRect& size);
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void paint();
    void buttonDown(UINT message, WPARAM wParam, LPARAM lParam);

    CFrame* frame;
    HWND window = nullptr;
    std::unique_ptr<GdiImage> backBuffer;
    CRect size;
    bool alive = true;
    std::unique_ptr<Win32DropTarget> dropTarget;
    // While a button press is handled, the press itself answers the button state up to
    // the first query of the position: a quick click may already be over.
    std::optional<int32_t> pressButtons;
    CPoint pressWhere;
};
