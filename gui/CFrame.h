// The root of an editor's views: owns a child window of the host's window (through the
// platform layer) and a flat list of views, drawn in the order they were added and
// offered mouse clicks from the last added to the first. Without a parent window the
// frame exists without any window and can still draw offscreen.
#pragma once

#include "gui/CView.h"
#include "gui/PlatformFrame.h"

#include <memory>
#include <vector>

class CBitmap;

class CFrame : public CView {
public:
    CFrame(const CRect& size, void* parentWindow, AEffGUIEditor* editor);
    // A frame over a window supplied by the caller (tests script their own platform).
    CFrame(const CRect& size, std::unique_ptr<PlatformFrame> platform, AEffGUIEditor* editor);
    ~CFrame() override;

    void draw(CDrawContext* context) override;
    void drawRect(CDrawContext* context, const CRect& updateRect) override;
    void mouse(CDrawContext* context, CPoint& where) override;
    void update(CDrawContext* context) override;
    intptr_t onKeyDown(VstKeyCode& keyCode) override;
    intptr_t onKeyUp(VstKeyCode& keyCode) override;
    bool onDrop(void** items, int32_t count, int32_t type, CPoint& where) override;
    bool onWheel(CDrawContext* context, const CPoint& where, float distance) override;
    bool isDirty() const override;
    void setDirty(bool state = true) override;
    AEffGUIEditor* getEditor() const override { return pEditor; }

    // Takes over the caller's reference. False when the list cannot grow.
    virtual bool addView(CView* view);
    virtual bool removeView(CView* view, bool withForget = true);
    virtual bool removeAll(bool withForget = true);
    virtual bool isChild(CView* view) const;
    virtual int32_t getNbViews() const { return int32_t(views.size()); }
    virtual CView* getView(int32_t index) const;

    void setBackground(CBitmap* bitmap);
    CBitmap* getBackground() const { return pBackground; }
    void setModalView(CView* view) { pModalView = view; }
    CView* getModalView() const { return pModalView; }
    // The previous focus view loses its focus.
    void setFocusView(CView* view);
    CView* getFocusView() const { return pFocusView; }

    // Handles the window's events, then redraws dirty views once the window has been painted.
    void idle();
    // The editor's doIdleStuff, for controls that track the mouse.
    void doIdleStuff();
    void beginEdit(int32_t tag);
    void endEdit(int32_t tag);

    int32_t getCurrentMouseButtons();
    void getCurrentMouseLocation(CPoint& where);
    void* getSystemWindow() const { return platform ? platform->getSystemWindow() : nullptr; }
    PlatformFrame* getPlatformFrame() const { return platform.get(); }
    bool isWindowOpened() const { return platform && platform->isAlive(); }
    // A drawing context on the window, or null without one; the caller deletes it.
    CDrawContext* createDrawContext();
    // A context for listeners and views outside a paint: the window's, or a small
    // offscreen one when there is no window, so that callers never get null.
    std::unique_ptr<CDrawContext> createEventContext();

    // Called by the platform layer.
    void windowPainted(CDrawContext* context, const CRect& updateRect);
    void windowMouseDown(const CPoint& where);

private:
    AEffGUIEditor* pEditor;
    CBitmap* pBackground = nullptr;
    std::vector<CView*> views;
    CView* pModalView = nullptr;
    CView* pFocusView = nullptr;
    bool firstPaintPending = true;
    bool inMouse = false;  // a view is handling a click (and may be tracking the mouse)
    std::unique_ptr<PlatformFrame> platform;
};
