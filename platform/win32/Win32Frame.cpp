#include "platform/win32/Win32Frame.h"

#include "gui/CDrawContext.h"
#include "gui/CFrame.h"
#include "gui/DebugCounters.h"
#include "gui/InputState.h"
#include "platform/win32/Win32PopupMenu.h"
#include "platform/win32/Win32WindowClass.h"

#include <windowsx.h>

namespace {
// A drawing context on the frame's window, alive for one event: it draws into the back
// buffer, which goes to the window when the context ends.
class Win32WindowContext : public CDrawContext {
public:
    Win32WindowContext(CFrame* frame, GdiImage& backBuffer, Win32Frame* owner_)
        : CDrawContext(frame, backBuffer.createGraphics()), owner(owner_)
    {
        ++guiDebugCounters().windowContexts;
    }
    ~Win32WindowContext() override
    {
        graphics.reset();
        if (owner)
            owner->presentAll();
        --guiDebugCounters().windowContexts;
    }

private:
    Win32Frame* owner;  // null while painting: the paint itself copies what it drew
};
}  // namespace

std::unique_ptr<PlatformFrame> createPlatformFrame(CFrame* frame, void* parentWindow, const CRect& size)
{
    return Win32Frame::create(frame, static_cast<HWND>(parentWindow), size);
}

std::unique_ptr<Win32Frame> Win32Frame::create(CFrame* frame, HWND parent, const CRect& size)
{
    if (!parent || size.width() <= 0 || size.height() <= 0)
        return nullptr;
    std::unique_ptr<GdiImage> backBuffer = GdiImage::create(size.width(), size.height());
    if (!backBuffer)
        return nullptr;
    const char* className = Win32WindowClass::acquire(windowProcedure);
    if (!className)
        return nullptr;
    std::unique_ptr<Win32Frame> platform(new Win32Frame(frame, std::move(backBuffer), size));
    platform->window = CreateWindowExA(0, className, "Window", WS_CHILD | WS_VISIBLE, 0, 0, size.width(), size.height(),
        parent, nullptr, Win32WindowClass::instance(), platform.get());
    if (!platform->window)
        return nullptr;  // the destructor releases the class
    platform->dropTarget = Win32DropTarget::registerFor(platform->window, frame);
    return platform;
}

Win32Frame::Win32Frame(CFrame* frame_, std::unique_ptr<GdiImage> backBuffer_, const CRect& size_)
    : frame(frame_), backBuffer(std::move(backBuffer_)), size(size_)
{
}

Win32Frame::~Win32Frame()
{
    dropTarget.reset();
    if (window && alive) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        DestroyWindow(window);
    }
    Win32WindowClass::release();
}

LRESULT CALLBACK Win32Frame::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32Frame*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_DESTROY:
        self->alive = false;
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        return 0;
    case WM_PAINT:
        self->paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the paint covers everything
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        self->buttonDown(message, wParam, lParam);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void Win32Frame::paint()
{
    PAINTSTRUCT paintInfo;
    HDC target = BeginPaint(window, &paintInfo);
    if (!target)
        return;
    const RECT& area = paintInfo.rcPaint;
    if (area.right > area.left && area.bottom > area.top) {
        {
            CDrawContext context(frame, backBuffer->createGraphics());
            frame->windowPainted(&context, CRect(area.left, area.top, area.right, area.bottom));
        }
        present(target, area);
    }
    EndPaint(window, &paintInfo);
}

void Win32Frame::present(HDC target, const RECT& area)
{
    GdiFlush();
    BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top, backBuffer->getDC(), area.left,
        area.top, SRCCOPY);
}

void Win32Frame::presentAll()
{
    if (!alive)
        return;
    HDC target = GetDC(window);
    if (!target)
        return;
    present(target, RECT{0, 0, size.width(), size.height()});
    ReleaseDC(window, target);
}

void Win32Frame::buttonDown(UINT message, WPARAM wParam, LPARAM lParam)
{
    // The message names the logical button: Windows has already applied the swap.
    int32_t buttons = message == WM_LBUTTONDOWN ? kLButton : (message == WM_RBUTTONDOWN ? kRButton : kMButton);
    if (wParam & MK_SHIFT)
        buttons |= kShift;
    if (wParam & MK_CONTROL)
        buttons |= kControl;
    if (GetKeyState(VK_MENU) < 0)
        buttons |= kAlt;
    pressButtons = buttons;
    pressWhere = CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    frame->windowMouseDown(pressWhere);
    pressButtons.reset();
}

void Win32Frame::handlePaintEvents()
{
    pressButtons.reset();  // from now on the buttons are polled
    MSG message;
    if (PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
        DispatchMessageA(&message);
}

CDrawContext* Win32Frame::createDrawContext()
{
    return alive ? new Win32WindowContext(frame, *backBuffer, this) : nullptr;
}

int32_t Win32Frame::currentButtonState(bool swappedButtons)
{
    // GetAsyncKeyState reads the physical buttons.
    auto down = [](int key) { return GetAsyncKeyState(key) < 0; };
    int32_t state = 0;
    if (down(swappedButtons ? VK_RBUTTON : VK_LBUTTON))
        state |= kLButton;
    if (down(VK_MBUTTON))
        state |= kMButton;
    if (down(swappedButtons ? VK_LBUTTON : VK_RBUTTON))
        state |= kRButton;
    if (down(VK_SHIFT))
        state |= kShift;
    if (down(VK_CONTROL))
        state |= kControl;
    if (down(VK_MENU))
        state |= kAlt;
    return state;
}

int32_t Win32Frame::getButtonState()
{
    if (pressButtons)
        return *pressButtons;
    return alive ? currentButtonState(Win32WindowClass::swappedButtons()) : 0;
}

CPoint Win32Frame::getMousePosition()
{
    if (pressButtons) {
        pressButtons.reset();  // a tracking loop has seen the press; from now on it polls
        return pressWhere;
    }
    POINT cursor{};
    if (!alive || !GetCursorPos(&cursor) || !ScreenToClient(window, &cursor))
        return CPoint();
    return CPoint(cursor.x, cursor.y);
}

int32_t Win32Frame::popupMenu(const std::vector<PopupMenuEntry>& entries, const CPoint& where, bool rightButton)
{
    if (!alive || entries.empty())
        return -1;
    pressButtons.reset();
    POINT screen{where.h, where.v};
    ClientToScreen(window, &screen);
    return trackPopupMenu(window, entries, screen.x, screen.y, rightButton);
}
